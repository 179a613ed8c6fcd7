#pragma once
// End-to-end rigs: a temporary virtual Mac (brisvane-vsmc) with the real BrisvaneHelper started
// in it, the SMC write journal as the tests read it, and a private system bus with logind played
// by python-dbusmock.

#include "HelperWireClient.h"
#include "VsmcTestSupport.h"

#include "shared/HelperShared.h"

#include <gtest/gtest.h>
#include <nlohmann/json.hpp>
#include <systemd/sd-bus.h>

#include <chrono>
#include <csignal>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <map>
#include <optional>
#include <sstream>
#include <string>
#include <vector>

#include <sys/socket.h>
#include <sys/wait.h>

namespace brisvane::test {

using namespace std::chrono_literals;

inline std::filesystem::path daemonBinary()
{
    return std::filesystem::path(BRISVANE_BUILD_DIR "/libexec/brisvane/BrisvaneHelper");
}

inline std::size_t countOccurrences(const std::string& text, const std::string& needle)
{
    std::size_t count = 0;
    for (auto at = text.find(needle); at != std::string::npos; at = text.find(needle, at + 1))
        ++count;
    return count;
}

// "key<-bytes" with " refused" for a refused write, consecutive repeats collapsed into one: the
// order of a takeover or a release as a short list.
inline std::vector<std::string> writeOrder(const std::vector<SmcWrite>& writes,
                                           bool withTargets = false)
{
    std::vector<std::string> order;
    for (const SmcWrite& write : writes) {
        if (!withTargets && write.key.size() == 4 && write.key.ends_with("Tg"))
            continue;
        std::ostringstream text;
        text << write;
        if (order.empty() || order.back() != text.str())
            order.push_back(text.str());
    }
    return order;
}

// Waits for a child process to end; its exit status, or 128 + signal.
inline std::optional<int> waitForExit(pid_t pid, std::chrono::milliseconds limit)
{
    std::optional<int> status;
    eventually(
        [&] {
            int raw = 0;
            const pid_t done = ::waitpid(pid, &raw, WNOHANG);
            if (done == pid)
                status = WIFEXITED(raw) ? WEXITSTATUS(raw) : 128 + WTERMSIG(raw);
            return done != 0;
        },
        limit);
    return status;
}

// The system-bus address a test root provides (nothing listens there unless a test starts a bus).
inline std::string systemBusAddress(const std::filesystem::path& root)
{
    return "unix:path=" + (root / "var/run/dbus/system_bus_socket").string();
}

// What every rig offers over a virtual Mac with the daemon in it: the virtual SMC's control
// socket, the write journal as the tests read it, the daemon's log and clients of its socket.
class VirtualMacRig {
public:
    virtual ~VirtualMacRig() = default;

    virtual const std::filesystem::path& root() const = 0;
    // Where the daemon's stderr goes.
    virtual std::filesystem::path logFile() const = 0;

    std::string socketPath() const
    {
        return (root() / "var/run" / (std::string(HelperConstants::machServiceName) + ".socket"))
            .string();
    }
    std::string busAddress() const { return systemBusAddress(root()); }

    nlohmann::json control(const std::string& line) const
    {
        nlohmann::json reply = ControlClient::request(root(), line);
        EXPECT_TRUE(reply.value("ok", false)) << line << ": " << reply.dump();
        return reply;
    }
    nlohmann::json vsmcStatus() const { return control("status"); }
    // The virtual SMC's time (as in its write journal) at `monotonicSeconds` of CLOCK_MONOTONIC,
    // from the narrowest of a few readings of its clock; within a few milliseconds.
    double vsmcTimeAt(double monotonicSeconds) const
    {
        const auto seconds = [] {
            return std::chrono::duration<double>(
                       std::chrono::steady_clock::now().time_since_epoch())
                .count();
        };
        double offset = 0;
        double narrowest = 1e9;
        for (int i = 0; i < 5; ++i) {
            const double before = seconds();
            const double t = vsmcStatus()["t"].get<double>();
            const double after = seconds();
            if (after - before < narrowest) {
                narrowest = after - before;
                offset = t - (before + after) / 2;
            }
        }
        return monotonicSeconds + offset;
    }
    nlohmann::json violations() const { return control("violations")["violations"]; }

    std::string daemonLog() const { return readFile(logFile()); }
    std::size_t logCount(const std::string& text) const
    {
        return countOccurrences(daemonLog(), text);
    }

    HelperWireClient connect() const { return HelperWireClient(socketPath()); }

    // The pid of the process answering on the socket (from the connection's peer credentials).
    // It answers a call only once its set-up has run.
    std::optional<pid_t> servingPid() const
    {
        try {
            HelperWireClient client = connect();
            ucred peer{};
            socklen_t size = sizeof peer;
            if (::getsockopt(client.fd(), SOL_SOCKET, SO_PEERCRED, &peer, &size) != 0)
                return std::nullopt;
            client.statusData();
            return peer.pid;
        } catch (const HelperWireClient::Error&) {
        }
        return std::nullopt;
    }

    // Every SMC write since the rig started (the vsmc hands out each one once).
    const std::vector<SmcWrite>& writes()
    {
        for (SmcWrite& write : smcWrites(control("writes")))
            m_writes.push_back(std::move(write));
        return m_writes;
    }
    // The writes after the first `from`.
    std::vector<SmcWrite> writesSince(std::size_t from)
    {
        const auto& all = writes();
        return {all.begin() + static_cast<std::ptrdiff_t>(std::min(from, all.size())), all.end()};
    }

    // Fan modes and Ftst as the virtual SMC holds them.
    bool fansAutomatic() const
    {
        const nlohmann::json status = vsmcStatus();
        for (const auto& fan : status["fans"])
            if (fan.value("mode", -1) != 0)
                return false;
        return status["ftst"].is_null() || status["ftst"] == 0;
    }
    bool fansManual() const
    {
        const nlohmann::json status = vsmcStatus();
        for (const auto& fan : status["fans"])
            if (fan.value("mode", -1) != 1)
                return false;
        return true;
    }

    // One setTargets, then the takeover followed to `controlling`.
    void takeOver(std::initializer_list<double> targets)
    {
        HelperWireClient client = connect();
        client.setTargets(targets);
        EXPECT_TRUE(eventually([&] { return client.status().isControlling(); }, 20s))
            << daemonLog();
    }

    // Until the socket answers a status call (the daemon's set-up runs before any call).
    bool waitUntilServing(std::chrono::milliseconds limit = 10s) const
    {
        return eventually(
            [&] {
                try {
                    connect().statusData();
                    return true;
                } catch (const HelperWireClient::Error&) {
                    return false;
                }
            },
            limit);
    }

private:
    std::vector<SmcWrite> m_writes;
};

// brisvane-vsmc in a temporary root, and the daemon started in it directly, on demand. The
// daemon's stderr goes to <root>/var/log/BrisvaneHelper.log; its system bus is the root's
// (absent unless a test starts one).
class DaemonRig : public VirtualMacRig {
public:
    explicit DaemonRig(const std::string& profile = VirtualSmc::kDefaultProfile)
        : m_vsmc(profile)
    {
        std::filesystem::create_directories(root() / "var/log");
        control("noise 0");
    }
    ~DaemonRig() override
    {
        if (m_daemon > 0)
            ProcessControl::stop(m_daemon, 5s);
    }

    const std::filesystem::path& root() const override { return m_vsmc.root(); }
    std::filesystem::path logFile() const override { return root() / "var/log/BrisvaneHelper.log"; }
    std::map<std::string, std::string> daemonEnvironment() const
    {
        return {{"BRISVANE_SYSTEM_ROOT", root().string()},
                {"DBUS_SYSTEM_BUS_ADDRESS", busAddress()}};
    }

    // Starts the daemon and waits until it answers.
    pid_t startDaemon()
    {
        m_daemon = spawnDaemon();
        const bool up = eventually([&] {
            try {
                connect().statusData();
                return true;
            } catch (const HelperWireClient::Error&) {
                return !ProcessControl::isAlive(m_daemon);
            }
        });
        EXPECT_TRUE(up && ProcessControl::isAlive(m_daemon)) << "the daemon did not come up:\n"
                                                             << daemonLog();
        return m_daemon;
    }
    // Another daemon process in the same root, not waited for.
    pid_t spawnDaemon() const
    {
        return ProcessControl::spawn({daemonBinary().string()}, logFile(), daemonEnvironment(),
                                     false);
    }
    pid_t daemonPid() const { return m_daemon; }
    // The virtual SMC's process, for stalling it (SIGSTOP, SIGCONT).
    pid_t vsmcPid() const { return m_vsmc.pid(); }
    // Exit status of the daemon once it has ended (within `limit`).
    std::optional<int> waitDaemonExit(std::chrono::milliseconds limit = 5s)
    {
        std::optional<int> status = waitForExit(m_daemon, limit);
        if (status)
            m_daemon = -1;
        return status;
    }

private:
    ServedVirtualMac m_vsmc;
    pid_t m_daemon = -1;
};

// A virtual Mac made by brisvane-sim with the daemon installed as the app's installer puts it
// (the executable and the shipped plist, unchanged) and run by the stand-in launchctl.
class LaunchdRig : public VirtualMacRig {
public:
    static constexpr const char* kService = "system/org.brisvane.Brisvane.helper";

    explicit LaunchdRig(const std::string& profile = VirtualSmc::kDefaultProfile)
        : m_mac(profile)
    {
        control("noise 0");
        const auto tool = root() / HelperConstants::helperInstallPath.substr(1);
        std::filesystem::create_directories(tool.parent_path());
        std::filesystem::copy_file(daemonBinary(), tool);
        std::filesystem::create_directories(plistPath().parent_path());
        std::filesystem::copy_file(shippedPlist(), plistPath());
    }

    static std::filesystem::path shippedPlist()
    {
        return std::filesystem::path(BRISVANE_BUILD_DIR "/share/brisvane") /
               (std::string(HelperConstants::machServiceName) + ".plist");
    }
    std::filesystem::path plistPath() const
    {
        return root() / HelperConstants::daemonPlistPath.substr(1);
    }
    const std::filesystem::path& root() const override { return m_mac.root(); }
    std::filesystem::path logFile() const override
    {
        return root() / "var/log" / (std::string(HelperConstants::machServiceName) + ".log");
    }

    // launchctl with the root's system bus in the environment it hands on to the job.
    RunResult launchctl(const std::vector<std::string>& args) const
    {
        std::vector<std::string> argv{(root() / "bin/launchctl").string()};
        argv.insert(argv.end(), args.begin(), args.end());
        return run(argv, {{"DBUS_SYSTEM_BUS_ADDRESS", busAddress()}});
    }
    // bootstrap, then until the daemon answers.
    void bootstrap()
    {
        const RunResult result = launchctl({"bootstrap", "system", plistPath().string()});
        ASSERT_EQ(result.status, 0) << result.output;
        ASSERT_TRUE(waitUntilServing()) << daemonLog();
    }

private:
    SimulatedMac m_mac;
};

// One sd-bus connection to logind's name on a given bus; each thread uses its own.
class LogindClient {
public:
    struct Inhibitor {
        std::string what, who, why, mode;
    };

    explicit LogindClient(std::string address)
        : m_address(std::move(address))
    {}
    ~LogindClient()
    {
        if (m_bus)
            sd_bus_flush_close_unref(m_bus);
    }
    LogindClient(const LogindClient&) = delete;
    LogindClient& operator=(const LogindClient&) = delete;

    bool connect()
    {
        if (m_bus)
            return true;
        sd_bus* bus = nullptr;
        if (sd_bus_new(&bus) < 0)
            return false;
        if (sd_bus_set_address(bus, m_address.c_str()) < 0 || sd_bus_set_bus_client(bus, 1) < 0 ||
            sd_bus_start(bus) < 0) {
            sd_bus_unref(bus);
            return false;
        }
        m_bus = bus;
        return true;
    }

    bool logindRunning()
    {
        if (!connect())
            return false;
        sd_bus_error error = SD_BUS_ERROR_NULL;
        sd_bus_message* reply = nullptr;
        int owned = 0;
        if (sd_bus_call_method(m_bus, "org.freedesktop.DBus", "/org/freedesktop/DBus",
                               "org.freedesktop.DBus", "NameHasOwner", &error, &reply, "s",
                               "org.freedesktop.login1") >= 0)
            sd_bus_message_read(reply, "b", &owned);
        sd_bus_message_unref(reply);
        sd_bus_error_free(&error);
        return owned != 0;
    }

    // Emitted by the mock itself, so that it comes from logind's name as the real one does.
    void emitPrepareForSleep(bool sleeping)
    {
        ASSERT_TRUE(connect());
        sd_bus_error error = SD_BUS_ERROR_NULL;
        const int result = sd_bus_call_method(
            m_bus, "org.freedesktop.login1", "/org/freedesktop/login1", "org.freedesktop.DBus.Mock",
            "EmitSignal", &error, nullptr, "sssav", "org.freedesktop.login1.Manager",
            "PrepareForSleep", "b", 1, "b", sleeping ? 1 : 0);
        EXPECT_GE(result, 0) << "EmitSignal: " << (error.message ? error.message : "");
        sd_bus_error_free(&error);
    }

    std::vector<Inhibitor> inhibitors()
    {
        std::vector<Inhibitor> found;
        if (!connect()) {
            ADD_FAILURE() << "no bus at " << m_address;
            return found;
        }
        sd_bus_error error = SD_BUS_ERROR_NULL;
        sd_bus_message* reply = nullptr;
        const int result = sd_bus_call_method(
            m_bus, "org.freedesktop.login1", "/org/freedesktop/login1",
            "org.freedesktop.login1.Manager", "ListInhibitors", &error, &reply, "");
        EXPECT_GE(result, 0) << "ListInhibitors: " << (error.message ? error.message : "");
        if (result >= 0 && sd_bus_message_enter_container(reply, 'a', "(ssssuu)") >= 0) {
            const char *what, *who, *why, *mode;
            std::uint32_t uid, pid;
            while (sd_bus_message_read(reply, "(ssssuu)", &what, &who, &why, &mode, &uid, &pid) > 0)
                found.push_back({what, who, why, mode});
        }
        sd_bus_message_unref(reply);
        sd_bus_error_free(&error);
        return found;
    }
    // When each inhibitor lock was closed, in seconds of CLOCK_MONOTONIC (steady_clock here).
    std::vector<double> inhibitorsClosedAt()
    {
        std::vector<double> times;
        EXPECT_TRUE(connect());
        sd_bus_error error = SD_BUS_ERROR_NULL;
        sd_bus_message* reply = nullptr;
        const int result = sd_bus_call_method(
            m_bus, "org.freedesktop.login1", "/org/freedesktop/login1", "org.freedesktop.DBus.Mock",
            "InhibitorsClosedAt", &error, &reply, "");
        EXPECT_GE(result, 0) << "InhibitorsClosedAt: " << (error.message ? error.message : "");
        const void* data = nullptr;
        std::size_t size = 0;
        if (result >= 0 && sd_bus_message_read_array(reply, 'd', &data, &size) >= 0) {
            const auto* values = static_cast<const double*>(data);
            times.assign(values, values + size / sizeof(double));
        }
        sd_bus_message_unref(reply);
        sd_bus_error_free(&error);
        return times;
    }
    std::size_t inhibitorsBy(const std::string& who)
    {
        std::size_t count = 0;
        for (const Inhibitor& inhibitor : inhibitors())
            count += inhibitor.who == who;
        return count;
    }

private:
    std::string m_address;
    sd_bus* m_bus = nullptr;
};

// A dbus-daemon of our own at <root>'s system-bus address, with logind played by
// python-dbusmock's template (or absent). Stopped at the end.
class PrivateSystemBus : public LogindClient {
public:
    enum class Logind { mocked, absent };

    explicit PrivateSystemBus(const std::filesystem::path& root, Logind logind = Logind::mocked)
        : LogindClient(systemBusAddress(root))
        , m_address(systemBusAddress(root))
    {
        const auto folder = root / "var/run/dbus";
        const auto log = root / "var/log";
        std::filesystem::create_directories(folder);
        std::filesystem::create_directories(log);
        const auto config = folder / "bus.conf";
        std::ofstream(config) << R"(<!DOCTYPE busconfig PUBLIC
 "-//freedesktop//DTD D-Bus Bus Configuration 1.0//EN"
 "http://www.freedesktop.org/standards/dbus/1.0/busconfig.dtd">
<busconfig>
  <listen>unix:path=)" << (folder / "system_bus_socket").string()
                              << R"(</listen>
  <auth>EXTERNAL</auth>
  <policy context="default">
    <allow user="*"/>
    <allow own="*"/>
    <allow send_destination="*"/>
    <allow receive_sender="*"/>
  </policy>
</busconfig>
)";
        m_busDaemon = ProcessControl::spawn(
            {"/usr/bin/dbus-daemon", "--nofork", "--nopidfile", "--config-file=" + config.string()},
            log / "dbus-daemon.log", {}, false);
        EXPECT_TRUE(eventually([&] { return connect(); })) << "dbus-daemon did not come up";
        if (logind == Logind::absent)
            return;

        // Debian's interpreter: the one with dbusmock and its GLib bindings. Its logind
        // template, and the time each lock was closed.
        m_logind = ProcessControl::spawn({"/usr/bin/python3", "-m", "dbusmock", "--template",
                                          BRISVANE_SOURCE_DIR "/tests/e2e/logind_lock_times.py"},
                                         log / "dbusmock-logind.log",
                                         {{"DBUS_SYSTEM_BUS_ADDRESS", m_address}}, false);
        EXPECT_TRUE(eventually([&] { return logindRunning(); }, 20s))
            << "the logind mock did not come up:\n"
            << readFile(log / "dbusmock-logind.log");
    }
    ~PrivateSystemBus()
    {
        if (m_logind > 0)
            ProcessControl::stop(m_logind, 5s);
        ProcessControl::stop(m_busDaemon, 5s);
    }

    const std::string& address() const { return m_address; }

private:
    std::string m_address;
    pid_t m_busDaemon = -1;
    pid_t m_logind = -1;
};

} // namespace brisvane::test
