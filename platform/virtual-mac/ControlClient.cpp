#include "ControlClient.h"

#include "VsmcServer.h"

#include <asio.hpp>

namespace brisvane {

std::filesystem::path ControlClient::socketPath(const std::filesystem::path& root)
{
    return VsmcServer::socketDirectory(root) / "vsmc.control";
}

nlohmann::json ControlClient::request(const std::filesystem::path& root, const std::string& line,
                                      std::chrono::milliseconds timeout)
{
    using asio::local::stream_protocol;
    if (line.find('\n') != std::string::npos)
        throw Error("a control request is one line");
    const std::string path = socketPath(root).string();

    asio::io_context io;
    stream_protocol::socket socket(io);
    const std::string request = line + "\n";
    std::string reply;
    std::error_code result = asio::error::timed_out;
    bool finished = false;

    stream_protocol::endpoint endpoint;
    try {
        endpoint = stream_protocol::endpoint(path);
    } catch (const std::system_error& e) {
        throw Error(path + ": " + e.what());
    }
    socket.async_connect(endpoint, [&](std::error_code error) {
        if (error) {
            result = error;
            finished = true;
            return;
        }
        asio::async_write(socket, asio::buffer(request), [&](std::error_code e, std::size_t) {
            if (e) {
                result = e;
                finished = true;
                return;
            }
            asio::async_read_until(socket, asio::dynamic_buffer(reply), '\n',
                                   [&](std::error_code e2, std::size_t) {
                                       result = e2;
                                       finished = true;
                                   });
        });
    });
    io.run_for(timeout);
    if (!finished)
        throw Error("no answer from " + path + " within " + std::to_string(timeout.count()) +
                    " ms");
    if (result)
        throw Error(path + ": " + result.message());
    try {
        return nlohmann::json::parse(reply.substr(0, reply.find('\n')));
    } catch (const nlohmann::json::exception& e) {
        throw Error(path + " answered with something that is not JSON: " + e.what());
    }
}

} // namespace brisvane
