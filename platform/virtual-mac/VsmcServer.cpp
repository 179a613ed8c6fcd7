#include "VsmcServer.h"

#include "ControlProtocol.h"
#include "VirtualSmc.h"

#include <array>
#include <cstring>
#include <stdexcept>
#include <string>

#include <sys/stat.h>

namespace brisvane {
namespace {

using asio::local::stream_protocol;

constexpr std::size_t kCallSize = 4 + sizeof(SMCParamStruct);
// A control request is a short line; anything longer is refused rather than buffered.
constexpr std::size_t kMaxControlLine = 4096;

class UserClientSession : public std::enable_shared_from_this<UserClientSession> {
public:
    UserClientSession(stream_protocol::socket socket, VirtualSmc& smc)
        : m_socket(std::move(socket))
        , m_smc(smc)
    {}

    void start() { readCall(); }

private:
    void readCall()
    {
        asio::async_read(m_socket, asio::buffer(m_call),
                         [self = shared_from_this()](std::error_code error, std::size_t) {
                             if (!error)
                                 self->answer();
                         });
    }

    void answer()
    {
        std::uint32_t selector = 0;
        for (int i = 0; i < 4; ++i)
            selector |= static_cast<std::uint32_t>(m_call[i]) << (8 * i);
        std::size_t outputSize = sizeof(SMCParamStruct);
        const kern_return_t code = m_smc.callStructMethod(
            selector, m_call.data() + 4, sizeof(SMCParamStruct), m_answer.data() + 4, &outputSize);
        const auto raw = static_cast<std::uint32_t>(code);
        for (int i = 0; i < 4; ++i)
            m_answer[i] = static_cast<std::uint8_t>(raw >> (8 * i));
        asio::async_write(m_socket, asio::buffer(m_answer),
                          [self = shared_from_this()](std::error_code error, std::size_t) {
                              if (!error)
                                  self->readCall();
                          });
    }

    stream_protocol::socket m_socket;
    VirtualSmc& m_smc;
    std::array<std::uint8_t, kCallSize> m_call{};
    std::array<std::uint8_t, kCallSize> m_answer{};
};

class ControlSession : public std::enable_shared_from_this<ControlSession> {
public:
    ControlSession(stream_protocol::socket socket, VirtualSmc& smc)
        : m_socket(std::move(socket))
        , m_smc(smc)
    {}

    void start() { readLine(); }

private:
    void readLine()
    {
        asio::async_read_until(m_socket, asio::dynamic_buffer(m_input, kMaxControlLine), '\n',
                               [self = shared_from_this()](std::error_code error, std::size_t n) {
                                   self->onLine(error, n);
                               });
    }

    void onLine(std::error_code error, std::size_t length)
    {
        bool last = false;
        nlohmann::json reply;
        if (error == asio::error::not_found) {
            reply = {{"ok", false}, {"error", "request line too long"}};
            last = true;
        } else if (error) {
            return;
        } else {
            reply =
                ControlProtocol::execute(m_smc, std::string_view(m_input).substr(0, length - 1));
            m_input.erase(0, length);
        }
        m_output = reply.dump(-1, ' ', false, nlohmann::json::error_handler_t::replace) + "\n";
        asio::async_write(m_socket, asio::buffer(m_output),
                          [self = shared_from_this(), last](std::error_code e, std::size_t) {
                              if (!e && !last)
                                  self->readLine();
                          });
    }

    stream_protocol::socket m_socket;
    VirtualSmc& m_smc;
    std::string m_input;
    std::string m_output;
};

// True when something accepts connections at `path` right now.
bool answers(const std::filesystem::path& path)
{
    asio::io_context io;
    stream_protocol::socket probe(io);
    std::error_code error;
    probe.connect(stream_protocol::endpoint(path.string()), error);
    return !error;
}

} // namespace

struct VsmcServer::Listener {
    std::filesystem::path path;
    stream_protocol::acceptor acceptor;
    VirtualSmc& smc;
    bool control;

    Listener(asio::io_context& io, std::filesystem::path p, VirtualSmc& s, bool isControl)
        : path(std::move(p))
        , acceptor(io)
        , smc(s)
        , control(isControl)
    {
        std::error_code ignored;
        if (std::filesystem::is_socket(path, ignored)) {
            if (answers(path))
                throw std::runtime_error(path.string() + " is already being served");
            std::filesystem::remove(path, ignored);
        }
        const stream_protocol::endpoint endpoint(path.string());
        acceptor.open(endpoint.protocol());
        acceptor.bind(endpoint);
        acceptor.listen();
        // Every user may talk to the SMC, as every process may open the IOKit user client.
        ::chmod(path.c_str(), 0666);
        accept();
    }

    void accept()
    {
        acceptor.async_accept([this](std::error_code error, stream_protocol::socket socket) {
            if (error == asio::error::operation_aborted || !acceptor.is_open())
                return;
            if (!error) {
                if (control)
                    std::make_shared<ControlSession>(std::move(socket), smc)->start();
                else
                    std::make_shared<UserClientSession>(std::move(socket), smc)->start();
            }
            accept();
        });
    }

    void close()
    {
        std::error_code ignored;
        if (acceptor.is_open()) {
            acceptor.close(ignored);
            std::filesystem::remove(path, ignored);
        }
    }
};

VsmcServer::VsmcServer(asio::io_context& io, VirtualSmc& smc, std::filesystem::path root)
    : m_io(io)
    , m_smc(smc)
    , m_root(std::move(root))
{}

VsmcServer::~VsmcServer()
{
    stop();
}

std::filesystem::path VsmcServer::socketDirectory(const std::filesystem::path& root)
{
    return root / "var/run/iokit";
}

std::filesystem::path VsmcServer::userClientSocketPath() const
{
    return socketDirectory(m_root) / m_smc.serviceClass();
}

std::filesystem::path VsmcServer::controlSocketPath() const
{
    return socketDirectory(m_root) / "vsmc.control";
}

void VsmcServer::start()
{
    std::filesystem::create_directories(socketDirectory(m_root));
    try {
        m_control = std::make_unique<Listener>(m_io, controlSocketPath(), m_smc, true);
        m_userClient = std::make_unique<Listener>(m_io, userClientSocketPath(), m_smc, false);
    } catch (const std::system_error& e) {
        stop();
        throw std::runtime_error("cannot serve under " + socketDirectory(m_root).string() + ": " +
                                 e.what());
    } catch (...) {
        stop();
        throw;
    }
}

void VsmcServer::stop()
{
    // The user client goes first, so no new SMC caller arrives while control still answers.
    if (m_userClient)
        m_userClient->close();
    if (m_control)
        m_control->close();
    m_userClient.reset();
    m_control.reset();
}

} // namespace brisvane
