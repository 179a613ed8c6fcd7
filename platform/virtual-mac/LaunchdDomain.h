#pragma once
// The virtual Mac's system launchd domain. Each loaded job has a small supervisor process of
// its own (pid in var/run/launchd/LABEL.pid) that starts the job's program resolved under the
// system root, appends its output to var/log/LABEL.log, restarts it as KeepAlive says, and on
// bootout stops it with SIGTERM, then SIGKILL after the job's exit timeout.

#include "LaunchdJob.h"

#include <nlohmann/json.hpp>

#include <filesystem>
#include <optional>
#include <stdexcept>
#include <string>
#include <vector>

namespace brisvane {

class LaunchdDomain {
public:
    // A failed request, with launchctl's exit code and message.
    class Error : public std::runtime_error {
    public:
        Error(int code, const std::string& message)
            : std::runtime_error(message)
            , m_code(code)
        {}
        int code() const { return m_code; }

    private:
        int m_code;
    };

    explicit LaunchdDomain(std::filesystem::path root);

    // The plist path is the file to read (already under the root); returns once the supervisor
    // runs and, for a job that starts at load, has started it.
    void bootstrap(const std::filesystem::path& plist);
    void bootout(const std::string& label);
    // The supervisor's record of the job: state, pid, runs, last exit, program, arguments.
    std::optional<nlohmann::json> describe(const std::string& label) const;
    // launchctl print's text for a loaded job.
    std::string print(const std::string& label) const;
    std::vector<std::string> loadedLabels() const;

    std::filesystem::path stateDirectory() const;
    std::filesystem::path logFile(const std::string& label) const;
    // The path a real-Mac path names inside this root.
    std::filesystem::path resolve(const std::string& macPath) const;

private:
    std::filesystem::path supervisorPidFile(const std::string& label) const;
    std::filesystem::path stateFile(const std::string& label) const;
    std::optional<pid_t> liveSupervisor(const std::string& label) const;
    void removeRecords(const std::string& label) const;
    [[noreturn]] void supervise(const LaunchdJob& job, const std::filesystem::path& plist,
                                int readyFd);

    std::filesystem::path m_root;
};

} // namespace brisvane
