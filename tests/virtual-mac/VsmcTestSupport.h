#pragma once
// The virtual Mac's rig on the shared test support: raw SMC records, and brisvane-vsmc or a
// whole virtual Mac made by brisvane-sim in a temporary root.

#include "tests/support/Environment.h"
#include "tests/support/Eventually.h"
#include "tests/support/Files.h"
#include "tests/support/Process.h"
#include "tests/support/SmcJournal.h"

#include "platform/virtual-mac/ControlClient.h"
#include "platform/virtual-mac/ProcessControl.h"
#include "platform/virtual-mac/VirtualSmc.h"

#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <map>
#include <optional>
#include <string>
#include <vector>

namespace brisvane::test {

inline SMCParamStruct request(SMCCommand command, const std::string& key = "")
{
    SMCParamStruct record = SMCParamStruct::zeroed();
    record.key = smcFourCC(key);
    record.data8 = static_cast<std::uint8_t>(command);
    return record;
}

inline SMCParamStruct writeRequest(const std::string& key, const std::vector<std::uint8_t>& bytes,
                                   std::uint32_t declaredSize)
{
    SMCParamStruct record = request(SMCCommand::writeKey, key);
    record.keyInfo.dataSize = declaredSize;
    std::copy(bytes.begin(), bytes.end(), record.bytes.begin());
    return record;
}

// One call through the user-client interface; the kern_return_t must be success.
inline SMCParamStruct call(iokit::UserClient& client, const SMCParamStruct& input)
{
    SMCParamStruct output = SMCParamStruct::zeroed();
    std::size_t size = sizeof output;
    EXPECT_EQ(client.callStructMethod(kSMCUserClientSelector, &input, sizeof input, &output, &size),
              kIOReturnSuccess);
    return output;
}

// Points BRISVANE_SYSTEM_ROOT somewhere for the life of the object.
struct ScopedSystemRoot : ScopedEnv {
    explicit ScopedSystemRoot(const std::filesystem::path& root)
        : ScopedEnv("BRISVANE_SYSTEM_ROOT", root.string())
    {}
};

// brisvane-vsmc serving a profile into a temporary root, stopped at the end.
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
        if (!up)
            ADD_FAILURE() << "brisvane-vsmc did not come up";
    }
    ~ServedVirtualMac() { ProcessControl::stop(m_pid, std::chrono::seconds(5)); }

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

// A whole virtual Mac made by brisvane-sim up, taken down (jobs and all) at the end.
class SimulatedMac {
public:
    explicit SimulatedMac(const std::string& profile = VirtualSmc::kDefaultProfile)
    {
        const auto up = run(
            {binary("brisvane-sim").string(), "up", m_root.path().string(), "--profile", profile});
        if (up.status != 0)
            ADD_FAILURE() << "brisvane-sim up failed: " << up.output;
    }
    ~SimulatedMac() { run({binary("brisvane-sim").string(), "down", m_root.path().string()}); }

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
