#pragma once
// brisvane-vsmc serving a profile, or a whole virtual Mac made by brisvane-sim, each in a
// temporary root and taken down at the end. Shared by the tests and the benchmarks, so a failure
// to come up is an exception rather than a test assertion.

#include "tests/support/Eventually.h"
#include "tests/support/Files.h"
#include "tests/support/Process.h"

#include "platform/virtual-mac/ControlClient.h"
#include "platform/virtual-mac/ProcessControl.h"
#include "platform/virtual-mac/VirtualSmc.h"

#include <chrono>
#include <filesystem>
#include <map>
#include <optional>
#include <stdexcept>
#include <string>
#include <vector>

namespace brisvane::test {

class ServedVirtualMac {
public:
    explicit ServedVirtualMac(const std::string& profile = VirtualSmc::kDefaultProfile,
                              std::vector<std::string> extraArguments = {})
    {
        std::vector<std::string> argv{binary("brisvane-vsmc").string(), "serve",     "--root",
                                      m_root.path().string(),           "--profile", profile};
        argv.insert(argv.end(), extraArguments.begin(), extraArguments.end());
        m_pid = ProcessControl::spawn(argv, m_root.path() / "vsmc.log", {}, false);
        const bool up = eventually([&] {
            try {
                return ControlClient::request(m_root.path(), "status",
                                              std::chrono::milliseconds(200))
                    .value("ok", false);
            } catch (const ControlClient::Error&) {
                return false;
            }
        });
        if (!up) {
            ProcessControl::stop(m_pid, std::chrono::seconds(5));
            throw std::runtime_error("brisvane-vsmc did not come up: " +
                                     readFile(m_root.path() / "vsmc.log"));
        }
    }
    ~ServedVirtualMac() { ProcessControl::stop(m_pid, std::chrono::seconds(5)); }
    ServedVirtualMac(const ServedVirtualMac&) = delete;
    ServedVirtualMac& operator=(const ServedVirtualMac&) = delete;

    const std::filesystem::path& root() const { return m_root.path(); }
    pid_t pid() const { return m_pid; }
    nlohmann::json control(const std::string& line) const
    {
        return ControlClient::request(m_root.path(), line);
    }

private:
    TemporaryRoot m_root;
    pid_t m_pid = -1;
};

class SimulatedMac {
public:
    explicit SimulatedMac(const std::string& profile = VirtualSmc::kDefaultProfile)
    {
        const auto up = run(
            {binary("brisvane-sim").string(), "up", m_root.path().string(), "--profile", profile});
        if (up.status != 0)
            throw std::runtime_error("brisvane-sim up failed: " + up.output);
    }
    ~SimulatedMac() { run({binary("brisvane-sim").string(), "down", m_root.path().string()}); }
    SimulatedMac(const SimulatedMac&) = delete;
    SimulatedMac& operator=(const SimulatedMac&) = delete;

    const std::filesystem::path& root() const { return m_root.path(); }
    RunResult launchctl(const std::vector<std::string>& args,
                        const std::map<std::string, std::string>& environment = {}) const
    {
        std::vector<std::string> argv{(root() / "bin/launchctl").string()};
        argv.insert(argv.end(), args.begin(), args.end());
        return run(argv, environment);
    }
    // The daemon's pid as the stand-in launchd reports it.
    std::optional<pid_t> daemonPid() const
    {
        const RunResult printed = launchctl({"print", "system/org.brisvane.Brisvane.helper"});
        const auto at = printed.output.find("\tpid = ");
        if (printed.status != 0 || at == std::string::npos)
            return std::nullopt;
        return static_cast<pid_t>(std::stol(printed.output.substr(at + 7)));
    }
    RunResult osascript(const std::string& source,
                        const std::map<std::string, std::string>& environment = {}) const
    {
        return run({(root() / "usr/bin/osascript").string(), "-e", source}, environment);
    }
    nlohmann::json control(const std::string& line) const
    {
        return ControlClient::request(root(), line);
    }

private:
    TemporaryRoot m_root;
};

} // namespace brisvane::test
