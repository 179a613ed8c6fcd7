#pragma once
// End-to-end rigs: a temporary virtual Mac with the real BrisvaneHelper in it (started directly
// or by the stand-in launchctl), and a private system bus with logind played by python-dbusmock.

#include "tests/e2e/HelperWireClient.h"
#include "tests/virtual-mac/VsmcTestSupport.h"

#include "shared/HelperShared.h"

#include <gtest/gtest.h>
#include <nlohmann/json.hpp>
#include <systemd/sd-bus.h>

#include <chrono>
#include <filesystem>
#include <map>
#include <optional>
#include <string>
#include <vector>

#include <sys/socket.h>

namespace brisvane::test {

using namespace std::chrono_literals;

inline std::filesystem::path daemonBinary()
{
    return buildPath("libexec/brisvane/BrisvaneHelper");
}

inline std::size_t countOccurrences(const std::string& text, const std::string& needle)
{
    std::size_t count = 0;
    for (auto at = text.find(needle); at != std::string::npos; at = text.find(needle, at + 1))
        ++count;
    return count;
}

// A virtual Mac with the daemon in it: the virtual SMC's control socket and journal, the
// daemon's log and clients of its socket.
class VirtualMacRig {
public:
    virtual ~VirtualMacRig() = default;
    virtual const std::filesystem::path& root() const = 0;
    virtual std::filesystem::path logFile() const = 0; // the daemon's stderr

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
    // The virtual SMC's time at `monotonicSeconds` of CLOCK_MONOTONIC, from the narrowest of a
    // few readings of its clock.
    double vsmcTimeAt(double monotonicSeconds) const
    {
        const auto seconds = [] {
            return std::chrono::duration<double>(
                       std::chrono::steady_clock::now().time_since_epoch())
                .count();
        };
        double offset = 0, narrowest = 1e9;
        for (int i = 0; i < 5; ++i) {
            const double before = seconds();
            const double t = control("status")["t"].get<double>();
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
    // The pid of the process answering a status call (it answers only once set up).
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
            return std::nullopt;
        }
    }

    // Every SMC write since the rig started (the vsmc hands out each one once).
    const std::vector<SmcWrite>& writes()
    {
        for (SmcWrite& write : smcWrites(control("writes")))
            m_writes.push_back(std::move(write));
        return m_writes;
    }
    std::vector<SmcWrite> writesSince(std::size_t from)
    {
        const auto& all = writes();
        return {all.begin() + static_cast<std::ptrdiff_t>(std::min(from, all.size())), all.end()};
    }

    // Every fan in `mode` as the virtual SMC holds it; automatic also means no unlock.
    bool fansIn(int mode) const
    {
        const nlohmann::json status = control("status");
        for (const auto& fan : status["fans"])
            if (fan.value("mode", -1) != mode)
                return false;
        return mode != 0 || status["ftst"].is_null() || status["ftst"] == 0;
    }
    bool fansAutomatic() const { return fansIn(0); }
    bool fansManual() const { return fansIn(1); }

    // One setTargets, then the takeover followed to `controlling`.
    void takeOver(std::initializer_list<double> targets)
    {
        HelperWireClient client = connect();
        client.setTargets(targets);
        EXPECT_TRUE(eventually([&] { return client.status().isControlling(); }, 20s))
            << daemonLog();
    }

private:
    std::vector<SmcWrite> m_writes;
};

// brisvane-vsmc in a temporary root and the daemon started in it directly, on demand; its
// stderr goes to <root>/var/log/BrisvaneHelper.log.
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
    // The daemon with a firmware that takes manual mode at once, controlling at 3000 RPM.
    void startControlling()
    {
        control("firmware accept-mode-after 0");
        startDaemon();
        takeOver({3000, 3000});
    }
    // Another daemon process in the same root, not waited for.
    pid_t spawnDaemon() const
    {
        return ProcessControl::spawn(
            {daemonBinary().string()}, logFile(),
            {{"BRISVANE_SYSTEM_ROOT", root().string()}, {"DBUS_SYSTEM_BUS_ADDRESS", busAddress()}},
            false);
    }
    pid_t daemonPid() const { return m_daemon; }
    pid_t vsmcPid() const { return m_vsmc.pid(); }
    std::optional<int> waitDaemonExit(std::chrono::milliseconds limit = 5s)
    {
        const std::optional<int> status = waitForExit(m_daemon, limit);
        if (status)
            m_daemon = -1;
        return status;
    }

private:
    ServedVirtualMac m_vsmc;
    pid_t m_daemon = -1;
};

// A virtual Mac made by brisvane-sim, whose daemon the stand-in launchctl runs.
class SimulatedMacRig : public VirtualMacRig {
public:
    explicit SimulatedMacRig(const std::string& profile = VirtualSmc::kDefaultProfile)
        : m_mac(profile)
    {
        control("noise 0");
    }

    const std::filesystem::path& root() const override { return m_mac.root(); }
    std::filesystem::path logFile() const override
    {
        return root() / "var/log" / (std::string(HelperConstants::machServiceName) + ".log");
    }
    const SimulatedMac& mac() const { return m_mac; }

private:
    SimulatedMac m_mac;
};

// The daemon installed as the app's installer puts it (the executable and the shipped plist,
// unchanged).
class LaunchdRig : public SimulatedMacRig {
public:
    static constexpr const char* kService = "system/org.brisvane.Brisvane.helper";

    explicit LaunchdRig(const std::string& profile = VirtualSmc::kDefaultProfile)
        : SimulatedMacRig(profile)
    {
        const auto tool = root() / HelperConstants::helperInstallPath.substr(1);
        std::filesystem::create_directories(tool.parent_path());
        std::filesystem::copy_file(daemonBinary(), tool);
        std::filesystem::create_directories(plistPath().parent_path());
        std::filesystem::copy_file(
            buildPath("share/brisvane/" + std::string(HelperConstants::machServiceName) + ".plist"),
            plistPath());
    }

    std::filesystem::path plistPath() const
    {
        return root() / HelperConstants::daemonPlistPath.substr(1);
    }

    // launchctl with the root's system bus in the environment it hands on to the job.
    RunResult launchctl(const std::vector<std::string>& args) const
    {
        return mac().launchctl(args, {{"DBUS_SYSTEM_BUS_ADDRESS", busAddress()}});
    }
    // bootstrap, then until the daemon answers.
    void bootstrap()
    {
        const RunResult result = launchctl({"bootstrap", "system", plistPath().string()});
        ASSERT_EQ(result.status, 0) << result.output;
        ASSERT_TRUE(eventually([&] { return servingPid().has_value(); })) << daemonLog();
    }
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
        int owned = 0;
        Reply reply = call("org.freedesktop.DBus", "/org/freedesktop/DBus", "org.freedesktop.DBus",
                           "NameHasOwner", false, "s", "org.freedesktop.login1");
        if (reply.message)
            sd_bus_message_read(reply.message, "b", &owned);
        return owned != 0;
    }

    // Emitted by the mock itself, so that it comes from logind's name as the real one does.
    void emitPrepareForSleep(bool sleeping)
    {
        callLogind("org.freedesktop.DBus.Mock", "EmitSignal", "sssav",
                   "org.freedesktop.login1.Manager", "PrepareForSleep", "b", 1, "b",
                   sleeping ? 1 : 0);
    }

    std::vector<Inhibitor> inhibitors()
    {
        std::vector<Inhibitor> found;
        Reply reply = callLogind("org.freedesktop.login1.Manager", "ListInhibitors", "");
        if (reply.message && sd_bus_message_enter_container(reply.message, 'a', "(ssssuu)") >= 0) {
            const char *what, *who, *why, *mode;
            std::uint32_t uid, pid;
            while (sd_bus_message_read(reply.message, "(ssssuu)", &what, &who, &why, &mode, &uid,
                                       &pid) > 0)
                found.push_back({what, who, why, mode});
        }
        return found;
    }
    std::size_t inhibitorsBy(const std::string& who)
    {
        std::size_t count = 0;
        for (const Inhibitor& inhibitor : inhibitors())
            count += inhibitor.who == who;
        return count;
    }
    // When each inhibitor lock was closed, in seconds of CLOCK_MONOTONIC (steady_clock here).
    std::vector<double> inhibitorsClosedAt()
    {
        std::vector<double> times;
        Reply reply = callLogind("org.freedesktop.DBus.Mock", "InhibitorsClosedAt", "");
        const void* data = nullptr;
        std::size_t size = 0;
        if (reply.message && sd_bus_message_read_array(reply.message, 'd', &data, &size) >= 0) {
            const auto* values = static_cast<const double*>(data);
            times.assign(values, values + size / sizeof(double));
        }
        return times;
    }

private:
    struct Reply {
        Reply() = default;
        Reply(Reply&& other) noexcept
            : message(std::exchange(other.message, nullptr))
        {}
        ~Reply() { sd_bus_message_unref(message); }
        sd_bus_message* message = nullptr;
    };

    template <typename... Args>
    Reply call(const char* destination, const char* path, const char* interface, const char* member,
               bool mustAnswer, const char* types, Args... args)
    {
        Reply reply;
        if (!connect()) {
            if (mustAnswer)
                ADD_FAILURE() << "no bus at " << m_address;
            return reply;
        }
        sd_bus_error error = SD_BUS_ERROR_NULL;
        const int result = sd_bus_call_method(m_bus, destination, path, interface, member, &error,
                                              &reply.message, types, args...);
        if (result < 0 && mustAnswer)
            ADD_FAILURE() << member << ": " << (error.message ? error.message : "");
        sd_bus_error_free(&error);
        return reply;
    }
    template <typename... Args>
    Reply callLogind(const char* interface, const char* member, const char* types, Args... args)
    {
        return call("org.freedesktop.login1", "/org/freedesktop/login1", interface, member, true,
                    types, args...);
    }

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
        const auto log = root / "var/log";
        std::filesystem::create_directories(root / "var/run/dbus");
        std::filesystem::create_directories(log);
        // The session bus's policy (everything allowed) at the system bus's address.
        m_busDaemon = ProcessControl::spawn({"/usr/bin/dbus-daemon", "--nofork", "--nopidfile",
                                             "--session", "--address=" + m_address},
                                            log / "dbus-daemon.log", {}, false);
        EXPECT_TRUE(eventually([&] { return connect(); })) << "dbus-daemon did not come up";
        if (logind == Logind::absent)
            return;
        // Debian's interpreter: the one with dbusmock and its GLib bindings.
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
