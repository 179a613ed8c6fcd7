#pragma once
// Helpers shared by the virtual Mac's tests: raw SMC records, temporary system roots, and a
// brisvane-vsmc process served into one.

#include "platform/virtual-mac/ControlClient.h"
#include "platform/virtual-mac/ProcessControl.h"
#include "platform/virtual-mac/VirtualSmc.h"

#include <gtest/gtest.h>

#include <chrono>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <map>
#include <optional>
#include <ostream>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include <sys/wait.h>
#include <unistd.h>

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

// A folder under /tmp (short, for socket paths) removed with everything in it.
class TemporaryRoot {
public:
    TemporaryRoot()
    {
        std::string pattern = "/tmp/vmac-XXXXXX";
        if (::mkdtemp(pattern.data()) == nullptr)
            throw std::runtime_error("mkdtemp failed");
        m_path = pattern;
    }
    ~TemporaryRoot()
    {
        std::error_code ignored;
        std::filesystem::remove_all(m_path, ignored);
    }
    const std::filesystem::path& path() const { return m_path; }

private:
    std::filesystem::path m_path;
};

// Points BRISVANE_SYSTEM_ROOT somewhere for the life of the object.
class ScopedSystemRoot {
public:
    explicit ScopedSystemRoot(const std::filesystem::path& root)
    {
        if (const char* old = std::getenv("BRISVANE_SYSTEM_ROOT"))
            m_old = old;
        ::setenv("BRISVANE_SYSTEM_ROOT", root.c_str(), 1);
    }
    ~ScopedSystemRoot()
    {
        if (m_old)
            ::setenv("BRISVANE_SYSTEM_ROOT", m_old->c_str(), 1);
        else
            ::unsetenv("BRISVANE_SYSTEM_ROOT");
    }

private:
    std::optional<std::string> m_old;
};

inline std::filesystem::path binary(const std::string& name)
{
    return std::filesystem::path(BRISVANE_BUILD_DIR "/bin") / name;
}

// Polls `condition` every 10 ms until it holds or `limit` passes.
template <typename Condition>
bool eventually(Condition condition, std::chrono::milliseconds limit = std::chrono::seconds(10))
{
    const auto deadline = std::chrono::steady_clock::now() + limit;
    while (!condition()) {
        if (std::chrono::steady_clock::now() >= deadline)
            return false;
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    return true;
}

inline std::string readFile(const std::filesystem::path& path)
{
    std::ifstream in(path, std::ios::binary);
    std::stringstream text;
    text << in.rdbuf();
    return text.str();
}

inline void writeFile(const std::filesystem::path& path, const std::string& content,
                      bool executable = false)
{
    std::filesystem::create_directories(path.parent_path());
    std::ofstream(path, std::ios::binary | std::ios::trunc) << content;
    if (executable)
        std::filesystem::permissions(path, std::filesystem::perms::owner_all |
                                               std::filesystem::perms::group_read |
                                               std::filesystem::perms::group_exec);
}

// Runs a program, waits for it, and returns its exit status and everything it printed.
struct RunResult {
    int status = -1;
    std::string output;
};

inline RunResult run(const std::vector<std::string>& argv,
                     const std::map<std::string, std::string>& environment = {})
{
    std::string log = "/tmp/vmac-run-XXXXXX";
    const int fd = ::mkstemp(log.data());
    if (fd < 0)
        throw std::runtime_error("mkstemp failed");
    ::close(fd);
    RunResult result;
    const pid_t pid = ProcessControl::spawn(argv, log, environment, false);
    int status = 0;
    while (::waitpid(pid, &status, 0) < 0 && errno == EINTR) {
    }
    result.status = WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
    result.output = readFile(log);
    std::filesystem::remove(log);
    return result;
}

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
    RunResult launchctl(const std::vector<std::string>& args) const
    {
        std::vector<std::string> argv{(root() / "bin/launchctl").string()};
        argv.insert(argv.end(), args.begin(), args.end());
        return run(argv);
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

// One entry of the virtual SMC's write journal, as `ctl writes` reports it.
struct SmcWrite {
    double t = 0;
    std::string key;
    std::string bytes; // hex
    int result = 0;

    bool accepted() const { return result == 0; }
    // The bytes of a 4-byte "flt " key (little-endian).
    float asFloat() const
    {
        std::uint32_t bits = 0;
        for (int i = 3; i >= 0; --i)
            bits = (bits << 8) |
                   static_cast<std::uint32_t>(std::stoul(bytes.substr(i * 2, 2), nullptr, 16));
        float value;
        std::memcpy(&value, &bits, sizeof value);
        return value;
    }
};

// "F0Md=1", "F0Tg=2910", and " refused 0x86" after a write the SMC did not take: a journal
// entry as the daemon's tests compare it, whichever journal it comes from.
inline std::string writeText(const std::string& key, const std::vector<std::uint8_t>& bytes,
                             int result)
{
    std::ostringstream line;
    line << key << '=';
    if (bytes.size() == 4) {
        float value;
        std::memcpy(&value, bytes.data(), 4); // little-endian, as is the host
        line << value;
    } else if (bytes.size() == 1) {
        line << int(bytes[0]);
    } else {
        line << '?';
    }
    if (result != 0)
        line << " refused 0x" << std::hex << result;
    return line.str();
}

inline std::ostream& operator<<(std::ostream& out, const SmcWrite& write)
{
    std::vector<std::uint8_t> bytes;
    for (std::size_t i = 0; i + 1 < write.bytes.size(); i += 2)
        bytes.push_back(
            static_cast<std::uint8_t>(std::stoul(write.bytes.substr(i, 2), nullptr, 16)));
    return out << writeText(write.key, bytes, write.result);
}

// The entries of a `writes` reply, in journal order.
inline std::vector<SmcWrite> smcWrites(const nlohmann::json& reply)
{
    std::vector<SmcWrite> writes;
    for (const auto& entry : reply.at("writes"))
        writes.push_back({entry.value("t", 0.0), entry.value("key", ""), entry.value("bytes", ""),
                          entry.value("result", 0)});
    return writes;
}

} // namespace brisvane::test
