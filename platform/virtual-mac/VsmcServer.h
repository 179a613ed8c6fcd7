#pragma once
// brisvane-vsmc's two sockets under a system root: the SMC user client at
// var/run/iokit/<ServiceClass> (selector u32 LE + 80-byte record in, kern_return_t i32 LE +
// 80-byte record out, per call) and the control socket var/run/iokit/vsmc.control (one line
// in, one JSON line out). Any number of clients; everything runs on the caller's io_context.

#include <asio.hpp>

#include <filesystem>
#include <memory>

namespace brisvane {

class VirtualSmc;

class VsmcServer {
public:
    VsmcServer(asio::io_context& io, VirtualSmc& smc, std::filesystem::path root);
    ~VsmcServer();
    VsmcServer(const VsmcServer&) = delete;
    VsmcServer& operator=(const VsmcServer&) = delete;

    // Binds both sockets (mode 0666), replacing stale files; throws std::runtime_error when
    // another server answers on them or binding fails.
    void start();
    // Stops accepting and removes the socket files; open sessions end with the io_context.
    void stop();

    std::filesystem::path userClientSocketPath() const;
    std::filesystem::path controlSocketPath() const;
    static std::filesystem::path socketDirectory(const std::filesystem::path& root);

private:
    struct Listener;
    asio::io_context& m_io;
    VirtualSmc& m_smc;
    std::filesystem::path m_root;
    std::unique_ptr<Listener> m_userClient;
    std::unique_ptr<Listener> m_control;
};

} // namespace brisvane
