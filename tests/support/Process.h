#pragma once

#include <chrono>
#include <filesystem>
#include <map>
#include <optional>
#include <string>
#include <vector>

#include <sys/types.h>

namespace brisvane::test {

// A program of the build tree, by its path under the build folder ("bin/brisvane-vsmc").
std::filesystem::path buildPath(const std::string& relative);
inline std::filesystem::path binary(const std::string& name)
{
    return buildPath("bin/" + name);
}

struct RunResult {
    int status = -1; // the exit status, or 128 + the signal
    std::string output;
};

// Runs a program to its end with `environment` added to ours; everything it printed is kept.
RunResult run(const std::vector<std::string>& argv,
              const std::map<std::string, std::string>& environment = {});

// A child's exit status, or 128 + signal; nothing if it did not end within `limit`.
std::optional<int> waitForExit(pid_t pid, std::chrono::milliseconds limit);

// A child started with its output in `log`, stopped (SIGTERM, then SIGKILL) with this object.
class ChildProcess {
public:
    ChildProcess(const std::vector<std::string>& argv, const std::filesystem::path& log,
                 const std::map<std::string, std::string>& environment = {});
    ~ChildProcess();
    ChildProcess(const ChildProcess&) = delete;
    ChildProcess& operator=(const ChildProcess&) = delete;

    pid_t pid() const { return m_pid; }
    std::optional<int> waitForExit(std::chrono::milliseconds limit);

private:
    pid_t m_pid = -1;
};

} // namespace brisvane::test
