// Runs as root: accepts local clients and carries their calls to the fan controller and the
// replies back; every connection lives on the main loop.
#include "HelperListener.h"

#include "HelperLog.h"
#include "shared/HelperWire.h"

#include <asio/post.hpp>
#include <asio/write.hpp>

#include <array>
#include <cerrno>
#include <cstdarg>
#include <cstdio>
#include <cstring>
#include <deque>
#include <filesystem>
#include <tuple>

#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

namespace brisvane {

using Socket = asio::local::stream_protocol::socket;
using TimePoint = Clock::time_point;

namespace {

constexpr std::size_t kReadChunkSize = 4096;
constexpr auto kAcceptRetryDelay = std::chrono::milliseconds(100);
constexpr auto kFlushPollInterval = std::chrono::milliseconds(5);

double seconds(std::chrono::milliseconds duration)
{
    return std::chrono::duration<double>(duration).count();
}

// The peer's uid as the kernel saw it at connect (a Mac would take the effective uid from the
// connection's audit token); nothing when it cannot be learnt.
std::optional<uid_t> peerUid(Socket& socket)
{
    ucred peer{};
    socklen_t size = sizeof peer;
    if (::getsockopt(socket.native_handle(), SOL_SOCKET, SO_PEERCRED, &peer, &size) != 0)
        return std::nullopt;
    return peer.uid;
}

std::string uidText(std::optional<uid_t> uid)
{
    return uid ? std::to_string(*uid) : std::string("unknown");
}

} // namespace

// One client. Every member runs on the io_context's single thread, except that the controller's
// reply callbacks (on the control thread) only encode a frame and post it here.
class HelperListener::Connection : public std::enable_shared_from_this<Connection> {
public:
    Connection(HelperListener& owner, Socket socket, std::uint64_t serial,
               std::optional<uid_t> peer)
        : m_owner(owner)
        , m_socket(std::move(socket))
        , m_frameTimer(owner.m_io)
        , m_writeTimer(owner.m_io)
        , m_serial(serial)
        , m_peer(peer)
        , m_lastActivity(owner.m_clock.now())
    {}

    void start() { readMore(); }

    TimePoint now() const { return m_owner.m_clock.now(); }

    // Ends the connection at once; replies still on their way are dropped. `forget` is false
    // only when the listener itself is clearing its table.
    void close(bool forget = true)
    {
        if (m_closed)
            return;
        m_closed = true;
        m_frameTimer.cancel();
        m_writeTimer.cancel();
        std::error_code ignored;
        m_socket.shutdown(Socket::shutdown_both, ignored);
        m_socket.close(ignored);
        m_pending.clear();
        m_output.clear();
        m_outputBytes = 0;
        if (forget)
            m_owner.forget(m_serial);
    }

    std::size_t queuedBytes() const { return m_outputBytes; }
    std::optional<uid_t> peer() const { return m_peer; }

    // The order in which connections give up their place: one that never sent a whole call
    // before one that did, an idle one before one with calls in progress, then the longest idle.
    auto displacementRank() const
    {
        const bool busy = m_inFlight > 0 || !m_pending.empty() || !m_output.empty();
        return std::make_tuple(m_madeCall, busy, m_lastActivity);
    }

private:
    const Limits& limits() const { return m_owner.m_limits; }

    // Reads only while the controller has room for this client's calls, so a client that
    // pipelines thousands of calls cannot crowd out the others on the control thread.
    void readMore()
    {
        if (m_closed || m_reading || m_inputEnded)
            return;
        if (!m_pending.empty() || m_inFlight >= limits().maxCallsInFlight) {
            m_paused = true;
            return;
        }
        m_reading = true;
        if (!m_decoder.idle()) {
            // Time spent waiting for the controller is not the client's.
            if (m_paused)
                m_frameStartedAt = now();
            m_frameDeadline = m_frameStartedAt + limits().frameTimeout;
            waitForFrameDeadline();
        }
        m_paused = false;
        m_socket.async_read_some(
            asio::buffer(m_readBuffer),
            [self = shared_from_this()](const std::error_code& error, std::size_t size) {
                self->onRead(error, size);
            });
    }

    void onRead(const std::error_code& error, std::size_t size)
    {
        m_reading = false;
        m_frameTimer.cancel();
        if (m_closed)
            return;
        if (error) {
            // The client closed its side (or the socket broke): answer what it already sent.
            m_inputEnded = true;
            finishIfDrained();
            return;
        }

        m_lastActivity = now();
        const bool frameWasOpen = !m_decoder.idle();
        std::vector<HelperMessage> messages =
            m_decoder.feed(std::span<const std::uint8_t>(m_readBuffer.data(), size));
        m_madeCall = m_madeCall || !messages.empty();
        if (!m_decoder.idle() && (!frameWasOpen || !messages.empty()))
            m_frameStartedAt = now();
        for (HelperMessage& message : messages)
            m_pending.push_back(std::move(message));

        if (const auto& protocolError = m_decoder.error()) {
            // Calls that arrived whole before the bad frame are still answered; then it ends.
            m_owner.report("closing a client connection after a protocol error: %s",
                           protocolError->reason.c_str());
            m_inputEnded = true;
        }
        dispatchPending();
        readMore();
        finishIfDrained();
    }

    // The deadline is on the listener's clock; the real timer only says when to look at it.
    void waitForFrameDeadline()
    {
        m_frameTimer.expires_after(realWaitUntil(m_frameDeadline));
        m_frameTimer.async_wait([self = shared_from_this()](const std::error_code& error) {
            if (!error)
                self->frameTimedOut();
        });
    }

    TimePoint::duration realWaitUntil(TimePoint deadline) const
    {
        return m_owner.m_clock.realWait(std::max(deadline - now(), TimePoint::duration(0)));
    }

    void frameTimedOut()
    {
        // A cancel can come too late for a handler already queued: check the deadline itself.
        if (m_closed || !m_reading || m_decoder.idle())
            return;
        if (m_frameDeadline > now()) {
            waitForFrameDeadline();
            return;
        }
        m_owner.report("closing a client connection: a frame was incomplete after %g s",
                       seconds(limits().frameTimeout));
        close();
    }

    void dispatchPending()
    {
        while (!m_closed && !m_pending.empty() && m_inFlight < limits().maxCallsInFlight) {
            HelperMessage message = std::move(m_pending.front());
            m_pending.pop_front();
            dispatch(message);
        }
    }

    // Hands one call to the controller, which replies exactly once, from its own thread.
    void dispatch(const HelperMessage& message)
    {
        ++m_inFlight;
        BrisvaneHelperProtocol& service = m_owner.m_service;
        auto self = shared_from_this();
        const std::uint32_t id = message.id;
        switch (message.op) {
        case HelperOperation::setTargets:
            service.setTargets(message.targets, [self, id](std::vector<double> targets) {
                self->postReply([&] { return encodeSetTargetsReply(id, targets); });
            });
            break;
        case HelperOperation::releaseControl:
            service.releaseControl(
                [self, id] { self->postReply([&] { return encodeReleaseControlReply(id); }); });
            break;
        case HelperOperation::status:
            service.status([self, id](std::vector<std::uint8_t> json) {
                self->postReply([&] { return encodeStatusReply(id, json); });
            });
            break;
        case HelperOperation::uninstall:
            if (!m_owner.mayEndDaemon(m_peer)) {
                refuseEnding("uninstall");
                postReply([&] { return encodeUninstallReply(id, false); });
                break;
            }
            service.uninstall([self, id](bool uninstalled) {
                self->postReply([&] { return encodeUninstallReply(id, uninstalled); });
            });
            break;
        case HelperOperation::shutDown:
            if (!m_owner.mayEndDaemon(m_peer)) {
                refuseEnding("shutDown");
                postReply([&] { return encodeShutDownReply(id); });
                break;
            }
            service.shutDown(
                [self, id] { self->postReply([&] { return encodeShutDownReply(id); }); });
            break;
        }
    }

    void refuseEnding(const char* operation)
    {
        m_owner.report("refusing %s from uid %s: only root and the user who installed the "
                       "helper may remove or stop it",
                       operation, uidText(m_peer).c_str());
    }

    // On the replying thread: encode there, deliver on the main loop.
    template <typename Encode> void postReply(Encode encode)
    {
        std::optional<std::vector<std::uint8_t>> frame;
        try {
            frame = encode();
        } catch (const std::length_error&) {
            // More targets than a frame may carry (a machine reporting over 64 fans).
        }
        asio::post(m_owner.m_io, [self = shared_from_this(), frame = std::move(frame)]() mutable {
            self->deliver(std::move(frame));
        });
    }

    void deliver(std::optional<std::vector<std::uint8_t>> frame)
    {
        --m_inFlight;
        if (m_closed)
            return;
        if (!frame) {
            m_owner.report("closing a client connection: a reply could not be encoded");
            close();
            return;
        }
        if (m_outputBytes + frame->size() > limits().maxQueuedReplyBytes) {
            m_owner.report("dropping a client that does not read its replies (%zu bytes waiting)",
                           m_outputBytes);
            close();
            return;
        }
        m_outputBytes += frame->size();
        m_output.push_back(std::move(*frame));
        writeNext();
        dispatchPending();
        readMore();
    }

    void writeNext()
    {
        if (m_closed || m_writing || m_output.empty())
            return;
        m_writing = true;
        m_writeDeadline = now() + limits().writeTimeout;
        waitForWriteDeadline();
        asio::async_write(m_socket, asio::buffer(m_output.front()),
                          [self = shared_from_this()](const std::error_code& error, std::size_t) {
                              self->onWritten(error);
                          });
    }

    void waitForWriteDeadline()
    {
        m_writeTimer.expires_after(realWaitUntil(m_writeDeadline));
        m_writeTimer.async_wait([self = shared_from_this()](const std::error_code& error) {
            if (!error)
                self->writeTimedOut();
        });
    }

    void writeTimedOut()
    {
        if (m_closed || !m_writing)
            return;
        if (m_writeDeadline > now()) {
            waitForWriteDeadline();
            return;
        }
        m_owner.report("dropping a client that does not read its replies (none taken in %g s)",
                       seconds(limits().writeTimeout));
        close();
    }

    void onWritten(const std::error_code& error)
    {
        m_writing = false;
        m_writeTimer.cancel();
        if (m_closed)
            return;
        if (error) {
            close(); // the client went away; nothing to report
            return;
        }
        m_lastActivity = now();
        m_outputBytes -= m_output.front().size();
        m_output.pop_front();
        writeNext();
        finishIfDrained();
    }

    // After the client's last call (end of its stream or a protocol error) the connection ends
    // once every call it made is answered and written.
    void finishIfDrained()
    {
        if (m_closed || !m_inputEnded)
            return;
        if (m_pending.empty() && m_inFlight == 0 && m_output.empty() && !m_writing)
            close();
    }

    HelperListener& m_owner;
    Socket m_socket;
    asio::steady_timer m_frameTimer;
    asio::steady_timer m_writeTimer;
    const std::uint64_t m_serial;
    const std::optional<uid_t> m_peer;
    TimePoint m_lastActivity;
    bool m_madeCall = false; // a whole call has arrived

    HelperFrameDecoder m_decoder{HelperFrameKind::call};
    std::array<std::uint8_t, kReadChunkSize> m_readBuffer{};
    TimePoint m_frameStartedAt{};
    TimePoint m_frameDeadline{};
    TimePoint m_writeDeadline{};
    std::deque<HelperMessage> m_pending;
    std::size_t m_inFlight = 0;
    std::deque<std::vector<std::uint8_t>> m_output;
    std::size_t m_outputBytes = 0;
    bool m_reading = false;
    bool m_paused = false; // reading held back for the controller
    bool m_writing = false;
    bool m_inputEnded = false;
    bool m_closed = false;
};

HelperListener::HelperListener(asio::io_context& io, BrisvaneHelperProtocol& service,
                               HelperLog& log, std::string socketPath, Limits limits,
                               const Clock& clock)
    : m_io(io)
    , m_service(service)
    , m_log(log)
    , m_socketPath(std::move(socketPath))
    , m_limits(limits)
    , m_clock(clock)
    , m_acceptor(io)
    , m_acceptRetry(io)
{}

HelperListener::HelperListener(asio::io_context& io, BrisvaneHelperProtocol& service,
                               HelperLog& log, std::string socketPath)
    : HelperListener(io, service, log, std::move(socketPath), Limits{})
{}

HelperListener::~HelperListener()
{
    std::error_code ignored;
    m_acceptor.close(ignored);
    m_acceptRetry.cancel();
    for (auto& [serial, connection] : m_connections)
        connection->close(false);
    m_connections.clear();
}

bool HelperListener::isServing(const std::string& socketPath)
{
    sockaddr_un address{};
    if (socketPath.size() >= sizeof address.sun_path)
        return false;
    address.sun_family = AF_UNIX;
    std::memcpy(address.sun_path, socketPath.c_str(), socketPath.size() + 1);
    const int fd = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC | SOCK_NONBLOCK, 0);
    if (fd < 0)
        return false;
    int result;
    do {
        result = ::connect(fd, reinterpret_cast<const sockaddr*>(&address), sizeof address);
    } while (result < 0 && errno == EINTR);
    // EAGAIN: a listener whose backlog is full is still a listener.
    const bool serving = result == 0 || errno == EAGAIN || errno == EINPROGRESS;
    ::close(fd);
    return serving;
}

void HelperListener::start()
{
    namespace fs = std::filesystem;
    const fs::path path(m_socketPath);
    std::error_code error;
    fs::create_directories(path.parent_path(), error);
    if (error)
        throw Error("cannot create " + path.parent_path().string() + ": " + error.message());

    if (isServing(m_socketPath))
        throw Error("another process is serving " + m_socketPath);
    // Whatever is left at the path belongs to a daemon that is gone.
    if (::unlink(m_socketPath.c_str()) < 0 && errno != ENOENT)
        throw Error("cannot replace " + m_socketPath + ": " + std::strerror(errno));

    const asio::local::stream_protocol::endpoint endpoint(m_socketPath);
    m_acceptor.open(endpoint.protocol(), error);
    if (!error)
        m_acceptor.bind(endpoint, error);
    // Every local user may connect, as to the mach service.
    if (!error && ::chmod(m_socketPath.c_str(), 0666) < 0)
        error = std::error_code(errno, std::generic_category());
    if (!error)
        m_acceptor.listen(asio::socket_base::max_listen_connections, error);
    if (error) {
        std::error_code ignored;
        m_acceptor.close(ignored);
        throw Error("cannot listen on " + m_socketPath + ": " + error.message());
    }
    acceptNext();
}

void HelperListener::acceptNext()
{
    m_acceptor.async_accept([this](const std::error_code& error, Socket socket) {
        onAccepted(error, std::move(socket));
    });
}

void HelperListener::onAccepted(const std::error_code& error, Socket socket)
{
    if (error == asio::error::operation_aborted || !m_acceptor.is_open())
        return;
    if (error) {
        // Out of descriptors, most likely: wait a little rather than spin on the error.
        report("accepting a client failed: %s", error.message().c_str());
        m_acceptRetry.expires_after(kAcceptRetryDelay);
        m_acceptRetry.async_wait([this](const std::error_code& waitError) {
            if (!waitError)
                acceptNext();
        });
        return;
    }
    const std::optional<uid_t> peer = peerUid(socket);
    if (m_connections.size() >= m_limits.maxConnections)
        makeRoomFor(peer);
    const std::uint64_t serial = m_nextSerial++;
    auto connection = std::make_shared<Connection>(*this, std::move(socket), serial, peer);
    m_connections.emplace(serial, connection);
    m_log.debug("client of uid %s connected (%zu open)", uidText(peer).c_str(),
                m_connections.size());
    connection->start();
    acceptNext();
}

void HelperListener::makeRoomFor(std::optional<uid_t> newcomer)
{
    // Places held per user, the newcomer's counted as taken; on a tie its own user gives one up.
    std::map<std::optional<uid_t>, std::size_t> held;
    for (const auto& [serial, connection] : m_connections)
        ++held[connection->peer()];
    std::optional<uid_t> crowd = newcomer;
    std::size_t most = 0;
    if (const auto own = held.find(newcomer); own != held.end())
        most = own->second + 1;
    for (const auto& [uid, count] : held) {
        if (count > most) {
            most = count;
            crowd = uid;
        }
    }
    std::shared_ptr<Connection> displaced;
    for (const auto& [serial, connection] : m_connections) {
        if (connection->peer() == crowd &&
            (!displaced || connection->displacementRank() < displaced->displacementRank()))
            displaced = connection;
    }
    if (!displaced)
        return;
    ++m_displacedConnections;
    report("closing a client connection of uid %s to make room: %zu clients connected (%llu "
           "closed so far)",
           uidText(crowd).c_str(), m_connections.size(),
           static_cast<unsigned long long>(m_displacedConnections));
    displaced->close();
}

void HelperListener::setEndingPolicy(std::function<bool(uid_t)> mayEndDaemon)
{
    m_mayEndDaemon = std::move(mayEndDaemon);
}

bool HelperListener::mayEndDaemon(std::optional<uid_t> peer) const
{
    if (!peer)
        return false;
    if (m_mayEndDaemon)
        return m_mayEndDaemon(*peer);
    return *peer == 0 || *peer == ::geteuid();
}

void HelperListener::forget(std::uint64_t serial)
{
    if (m_connections.erase(serial) > 0)
        m_log.debug("client disconnected (%zu open)", m_connections.size());
}

std::size_t HelperListener::queuedReplyBytes() const
{
    std::size_t total = 0;
    for (const auto& [serial, connection] : m_connections)
        total += connection->queuedBytes();
    return total;
}

void HelperListener::whenRepliesWritten(std::chrono::milliseconds limit, std::function<void()> done)
{
    pollRepliesWritten(m_clock.now() + limit, std::make_shared<asio::steady_timer>(m_io),
                       std::move(done));
}

void HelperListener::pollRepliesWritten(TimePoint deadline,
                                        std::shared_ptr<asio::steady_timer> timer,
                                        std::function<void()> done)
{
    if (queuedReplyBytes() == 0 || m_clock.now() >= deadline) {
        done();
        return;
    }
    timer->expires_after(kFlushPollInterval);
    timer->async_wait([this, deadline, timer, done = std::move(done)](const std::error_code&) {
        pollRepliesWritten(deadline, timer, done);
    });
}

void HelperListener::report(const char* format, ...)
{
    const auto now = m_clock.now();
    if (now - m_reportWindowStart >= m_limits.reportInterval) {
        if (m_suppressedReports > 0)
            m_log.error("%llu more reports about clients were suppressed",
                        static_cast<unsigned long long>(m_suppressedReports));
        m_reportWindowStart = now;
        m_reportsInWindow = 0;
        m_suppressedReports = 0;
    }
    if (m_reportsInWindow >= m_limits.reportsPerInterval) {
        ++m_suppressedReports;
        return;
    }
    ++m_reportsInWindow;

    char message[512];
    va_list args;
    va_start(args, format);
    std::vsnprintf(message, sizeof message, format, args);
    va_end(args);
    m_log.error("%s", message);
}

} // namespace brisvane
