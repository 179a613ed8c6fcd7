#pragma once
// The process handling the virtual Mac's programs share: detached starts with a log file, pid
// files, and a bounded stop (SIGTERM, then SIGKILL).

#include <chrono>
#include <filesystem>
#include <map>
#include <optional>
#include <string>
#include <sys/types.h>
#include <vector>

namespace brisvane {

class ProcessControl {
public:
    // The folder of the running executable (build/bin for our programs).
    static std::filesystem::path selfDirectory();

    // Starts argv[0] (a path) in a session of its own, stdin from /dev/null, stdout and stderr
    // appended to `logFile`, with `environment` added to ours. Returns the child's pid; throws
    // std::system_error when it cannot be started. The caller owns reaping it.
    static pid_t spawn(const std::vector<std::string>& argv, const std::filesystem::path& logFile,
                       const std::map<std::string, std::string>& environment = {},
                       bool newSession = true);

    // Alive and not a zombie.
    static bool isAlive(pid_t pid);
    // The process's argv[0] as /proc shows it, empty when it is gone.
    static std::string commandName(pid_t pid);
    // SIGTERM, wait up to `grace`, then SIGKILL and wait a little more. Reaps it when it is our
    // child. True when the process is gone.
    static bool stop(pid_t pid, std::chrono::milliseconds grace);
    // Waits for the process to be gone; reaps it when it is our child.
    static bool waitGone(pid_t pid, std::chrono::milliseconds limit);

    static std::optional<pid_t> readPidFile(const std::filesystem::path& file);
    // Written to a temporary name and renamed, so a reader never sees half a number.
    static void writePidFile(const std::filesystem::path& file, pid_t pid);
};

} // namespace brisvane
