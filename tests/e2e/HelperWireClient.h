#pragma once
// A small blocking client of the daemon's socket that speaks HelperWire, for the end-to-end tests
// and the daemon benchmark, and raw frames for the tests of malformed input. Every wait is
// bounded; a missing reply is an Error, never a hang.

#include "shared/HelperShared.h"
#include "shared/HelperWire.h"

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cstdint>
#include <cstring>
#include <deque>
#include <initializer_list>
#include <optional>
#include <span>
#include <stdexcept>
#include <string>
#include <utility>
#include <vector>

#include <poll.h>
#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

namespace brisvane::test {

using Bytes = std::vector<std::uint8_t>;

inline Bytes le32(std::uint32_t v)
{
    return {std::uint8_t(v), std::uint8_t(v >> 8), std::uint8_t(v >> 16), std::uint8_t(v >> 24)};
}

inline Bytes concat(Bytes a, const Bytes& b)
{
    a.insert(a.end(), b.begin(), b.end());
    return a;
}

// A frame of any kind and operation, call id 5, whose length prefix matches what follows.
inline Bytes rawFrame(std::uint8_t kind, std::uint8_t op, const Bytes& body = {})
{
    return concat(le32(static_cast<std::uint32_t>(6 + body.size())),
                  concat({kind, op, 5, 0, 0, 0}, body));
}

class HelperWireClient {
public:
    class Error : public std::runtime_error {
    public:
        using std::runtime_error::runtime_error;
    };

    static constexpr std::chrono::milliseconds kReplyTimeout{3000};

    explicit HelperWireClient(const std::string& socketPath)
    {
        sockaddr_un address{};
        if (socketPath.size() >= sizeof address.sun_path)
            throw Error("socket path too long: " + socketPath);
        address.sun_family = AF_UNIX;
        std::memcpy(address.sun_path, socketPath.c_str(), socketPath.size() + 1);
        m_fd = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
        if (m_fd < 0)
            throw Error(std::string("socket: ") + std::strerror(errno));
        if (::connect(m_fd, reinterpret_cast<const sockaddr*>(&address), sizeof address) < 0) {
            const int error = errno;
            ::close(m_fd);
            throw Error("connect " + socketPath + ": " + std::strerror(error));
        }
    }
    ~HelperWireClient()
    {
        if (m_fd >= 0)
            ::close(m_fd);
    }
    HelperWireClient(const HelperWireClient&) = delete;
    HelperWireClient& operator=(const HelperWireClient&) = delete;
    HelperWireClient(HelperWireClient&& other) noexcept
        : m_fd(std::exchange(other.m_fd, -1))
        , m_nextId(other.m_nextId)
        , m_decoder(std::move(other.m_decoder))
        , m_ready(std::move(other.m_ready))
    {}

    int fd() const { return m_fd; }

    void send(std::span<const std::uint8_t> bytes)
    {
        std::size_t sent = 0;
        while (sent < bytes.size()) {
            const ssize_t n = ::send(m_fd, bytes.data() + sent, bytes.size() - sent, MSG_NOSIGNAL);
            if (n < 0 && errno == EINTR)
                continue;
            if (n < 0)
                throw Error(std::string("send: ") + std::strerror(errno));
            sent += static_cast<std::size_t>(n);
        }
    }

    // Ends this side's stream; replies can still be read.
    void shutdownWrite() { ::shutdown(m_fd, SHUT_WR); }

    // The next reply frame.
    HelperMessage readReply(std::chrono::milliseconds timeout = kReplyTimeout)
    {
        const auto deadline = std::chrono::steady_clock::now() + timeout;
        while (m_ready.empty()) {
            if (m_decoder.error())
                throw Error("bad reply: " + m_decoder.error()->reason);
            std::uint8_t buffer[4096];
            const ssize_t n = readSome(buffer, sizeof buffer, deadline);
            if (n == 0)
                throw Error("the daemon closed the connection");
            for (HelperMessage& message :
                 m_decoder.feed(std::span<const std::uint8_t>(buffer, static_cast<size_t>(n))))
                m_ready.push_back(std::move(message));
        }
        HelperMessage message = std::move(m_ready.front());
        m_ready.pop_front();
        return message;
    }

    // True once the daemon has ended this connection within `limit`; replies on the way are
    // read and dropped.
    bool closedByPeer(std::chrono::milliseconds limit)
    {
        const auto deadline = std::chrono::steady_clock::now() + limit;
        try {
            for (;;) {
                std::uint8_t buffer[4096];
                if (readSome(buffer, sizeof buffer, deadline) == 0)
                    return true;
            }
        } catch (const Error& error) {
            return std::string(error.what()) != "timeout";
        }
    }

    std::vector<double> setTargets(std::span<const double> targets)
    {
        return call(encodeSetTargetsCall(m_nextId, targets), HelperOperation::setTargets).targets;
    }
    std::vector<double> setTargets(std::initializer_list<double> targets)
    {
        return setTargets(std::span<const double>(targets.begin(), targets.size()));
    }
    void releaseControl()
    {
        call(encodeReleaseControlCall(m_nextId), HelperOperation::releaseControl);
    }
    std::vector<std::uint8_t> statusData()
    {
        return call(encodeStatusCall(m_nextId), HelperOperation::status).statusData;
    }
    HelperStatus status()
    {
        const std::vector<std::uint8_t> data = statusData();
        std::optional<HelperStatus> decoded = HelperStatus::decode(data);
        if (!decoded)
            throw Error("undecodable status: " + std::string(data.begin(), data.end()));
        return *decoded;
    }
    bool uninstall()
    {
        return call(encodeUninstallCall(m_nextId), HelperOperation::uninstall).uninstalled;
    }
    void shutDown() { call(encodeShutDownCall(m_nextId), HelperOperation::shutDown); }

private:
    HelperMessage call(const std::vector<std::uint8_t>& frame, HelperOperation op)
    {
        const std::uint32_t id = m_nextId++;
        send(frame);
        HelperMessage reply = readReply();
        if (reply.id != id || reply.op != op)
            throw Error("reply " + std::to_string(reply.id) + " (op " +
                        std::to_string(static_cast<int>(reply.op)) + ") to call " +
                        std::to_string(id));
        return reply;
    }

    ssize_t readSome(std::uint8_t* buffer, std::size_t size,
                     std::chrono::steady_clock::time_point deadline)
    {
        for (;;) {
            // Always one look at the socket, however short the limit.
            const auto left = std::chrono::ceil<std::chrono::milliseconds>(
                deadline - std::chrono::steady_clock::now());
            pollfd p{m_fd, POLLIN, 0};
            const int ready = ::poll(&p, 1, static_cast<int>(std::max<long>(0, left.count())));
            if (ready < 0 && errno == EINTR)
                continue;
            if (ready < 0)
                throw Error(std::string("poll: ") + std::strerror(errno));
            if (ready == 0) {
                if (std::chrono::steady_clock::now() >= deadline)
                    throw Error("timeout");
                continue;
            }
            const ssize_t n = ::recv(m_fd, buffer, size, 0);
            if (n < 0 && errno == EINTR)
                continue;
            if (n < 0 && errno == ECONNRESET)
                return 0;
            if (n < 0)
                throw Error(std::string("recv: ") + std::strerror(errno));
            return n;
        }
    }

    int m_fd = -1;
    std::uint32_t m_nextId = 1;
    HelperFrameDecoder m_decoder{HelperFrameKind::reply};
    std::deque<HelperMessage> m_ready;
};

} // namespace brisvane::test
