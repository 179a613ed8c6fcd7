#pragma once
// Runs as root: the daemon's listening socket. Any local process may connect (as with the mach
// service); every byte a client sends is untrusted, and no client can hold up the control thread
// or another client, nor a crowd of connections shut out a newcomer. Each peer's uid is learnt
// when it connects: only the ending policy's users may uninstall or stop the daemon.

#include "shared/HelperShared.h"
#include "smc/Clock.h"

#include <asio/io_context.hpp>
#include <asio/local/stream_protocol.hpp>
#include <asio/steady_timer.hpp>

#include <chrono>
#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <stdexcept>
#include <string>

#include <sys/types.h>

namespace brisvane {

class HelperLog;

class HelperListener {
public:
    struct Limits {
        // Clients connected at once. A newcomer at the cap is still served: the user holding
        // the most places gives one up (its longest-idle connection, one that never sent a
        // whole call first), so a crowd ends only its own connections.
        std::size_t maxConnections = 64;
        // From a frame's first byte to its last.
        std::chrono::milliseconds frameTimeout{5000};
        // For one reply frame to be taken by a client.
        std::chrono::milliseconds writeTimeout{5000};
        // Replies waiting for a client to read them; beyond this the client is dropped.
        std::size_t maxQueuedReplyBytes = 256 * 1024;
        // Calls of one client handed to the controller and not yet answered; while at the limit
        // that client's socket is not read.
        std::size_t maxCallsInFlight = 8;
        // Reports of misbehaving clients: at most this many per interval.
        std::size_t reportsPerInterval = 20;
        std::chrono::milliseconds reportInterval{10000};
    };

    class Error : public std::runtime_error {
    public:
        using std::runtime_error::runtime_error;
    };

    // `io` must be run by exactly one thread (the main loop): it is the strand of every
    // connection. `service` receives the calls and may reply from any thread. Every timeout is
    // measured on `clock`.
    HelperListener(asio::io_context& io, BrisvaneHelperProtocol& service, HelperLog& log,
                   std::string socketPath, Limits limits,
                   const Clock& clock = SteadyClock::shared());
    HelperListener(asio::io_context& io, BrisvaneHelperProtocol& service, HelperLog& log,
                   std::string socketPath);
    ~HelperListener();
    HelperListener(const HelperListener&) = delete;
    HelperListener& operator=(const HelperListener&) = delete;

    // Whether a peer of this uid may call uninstall and shutDown; the others get `false` and
    // the empty reply, and the controller never sees the call. Without a policy: root and this
    // process's own user.
    void setEndingPolicy(std::function<bool(uid_t)> mayEndDaemon);

    // Creates the socket's folder, replaces a stale socket file, listens with mode 0666 and
    // starts accepting. Throws Error when the path is served by another process or cannot be
    // bound.
    void start();

    // True when a process accepts connections at `socketPath`.
    static bool isServing(const std::string& socketPath);

    // On the io_context's thread.
    std::size_t queuedReplyBytes() const;
    // Calls `done` on the io_context once no reply is waiting to be written, or after `limit`.
    void whenRepliesWritten(std::chrono::milliseconds limit, std::function<void()> done);

    const std::string& socketPath() const { return m_socketPath; }

private:
    class Connection;
    friend class Connection;

    void acceptNext();
    void onAccepted(const std::error_code& error, asio::local::stream_protocol::socket socket);
    void forget(std::uint64_t serial);
    void makeRoomFor(std::optional<uid_t> newcomer);
    bool mayEndDaemon(std::optional<uid_t> peer) const;
    void pollRepliesWritten(Clock::time_point deadline, std::shared_ptr<asio::steady_timer> timer,
                            std::function<void()> done);
    // Misbehaving clients are reported at most reportsPerInterval times per interval, so that a
    // client cannot flood the system log.
    void report(const char* format, ...) __attribute__((format(printf, 2, 3)));

    asio::io_context& m_io;
    BrisvaneHelperProtocol& m_service;
    HelperLog& m_log;
    const std::string m_socketPath;
    const Limits m_limits;
    const Clock& m_clock;

    asio::local::stream_protocol::acceptor m_acceptor;
    asio::steady_timer m_acceptRetry;
    std::map<std::uint64_t, std::shared_ptr<Connection>> m_connections;
    std::uint64_t m_nextSerial = 1;
    std::uint64_t m_displacedConnections = 0;
    std::function<bool(uid_t)> m_mayEndDaemon;

    Clock::time_point m_reportWindowStart{};
    std::size_t m_reportsInWindow = 0;
    std::uint64_t m_suppressedReports = 0;
};

} // namespace brisvane
