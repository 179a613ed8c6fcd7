#pragma once
// Sends one request line to a virtual Mac's control socket and returns its JSON answer; used by
// `brisvane-vsmc ctl`, brisvane-sim and the tests.

#include <nlohmann/json.hpp>

#include <chrono>
#include <filesystem>
#include <stdexcept>
#include <string>

namespace brisvane {

class ControlClient {
public:
    // No answer (nothing listening, a broken socket, the time limit, a reply that is not JSON).
    class Error : public std::runtime_error {
    public:
        using std::runtime_error::runtime_error;
    };

    static std::filesystem::path socketPath(const std::filesystem::path& root);

    static nlohmann::json request(const std::filesystem::path& root, const std::string& line,
                                  std::chrono::milliseconds timeout = std::chrono::seconds(5));
};

} // namespace brisvane
