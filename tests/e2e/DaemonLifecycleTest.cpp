// The daemon as a process in a virtual Mac: takeover by heartbeat, the release after it, signals,
// a crash and its restart, and the two operations that end the process.
#include "tests/e2e/DaemonTestSupport.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <csignal>
#include <filesystem>

#include <sys/stat.h>

namespace brisvane::test {
namespace {

using ::testing::ElementsAre;

TEST(DaemonLifecycle, HeartbeatDrivesTheTakeoverAndItsEndReleasesSixToSevenSecondsLater)
{
    DaemonRig rig;
    rig.control("firmware accept-mode-after 1.5");
    rig.startDaemon();
    HelperWireClient app = rig.connect();
    const HelperStatus before = app.status();
    ASSERT_EQ(before.phase, HelperControlPhase::idle);
    ASSERT_EQ(before.autoFloors.size(), 2u);
    const std::size_t start = rig.writes().size();

    // While the firmware still refuses manual mode the reply carries no targets.
    EXPECT_TRUE(app.setTargets({2500, 2600}).empty());
    EXPECT_EQ(app.status().phase, HelperControlPhase::unlocking);
    ASSERT_TRUE(eventually([&] { return app.status().isControlling(); }, 10s)) << rig.daemonLog();
    // The app's next heartbeat, with targets of its own so that its write can be found.
    EXPECT_EQ(app.setTargets({2700, 2800}), (std::vector<double>{2700, 2800}));
    ASSERT_TRUE(eventually([&] { return app.status().phase == HelperControlPhase::idle; }, 10s));

    const std::vector<SmcWrite> writes = rig.writesSince(start);
    EXPECT_THAT(writeOrder(writes), ElementsAre("Ftst=1", "F0Md=1 refused 0x86", "F0Md=1", "F1Md=1",
                                                "F0Md=0", "F1Md=0", "Ftst=0"));

    // Between the takeover and the release: target pairs, never below either floor.
    auto indexOf = [&](auto predicate) {
        return static_cast<std::size_t>(std::find_if(writes.begin(), writes.end(), predicate) -
                                        writes.begin());
    };
    const std::size_t engaged =
        indexOf([](const SmcWrite& w) { return w.key == "F1Md" && w.accepted(); });
    const std::size_t released =
        indexOf([](const SmcWrite& w) { return w.key == "F0Md" && w.bytes == "00"; });
    ASSERT_LT(engaged, released);
    ASSERT_LT(released, writes.size());
    ASSERT_EQ((released - engaged - 1) % 2, 0u) << "targets come in pairs";
    std::optional<double> lastCallAt;
    int pairs = 0;
    for (std::size_t i = engaged + 1; i < released; i += 2) {
        const SmcWrite& fan0 = writes[i];
        const SmcWrite& fan1 = writes[i + 1];
        EXPECT_EQ(fan0.key, "F0Tg");
        EXPECT_EQ(fan1.key, "F1Tg");
        EXPECT_TRUE(fan0.accepted() && fan1.accepted());
        EXPECT_GE(fan0.asFloat(), std::max(2500.0, before.autoFloors[0]));
        EXPECT_GE(fan1.asFloat(), std::max(2600.0, before.autoFloors[1]));
        if (!lastCallAt && fan0.asFloat() == 2700.0f)
            lastCallAt = fan0.t;
        ++pairs;
    }
    EXPECT_GE(pairs, 2);
    ASSERT_TRUE(lastCallAt.has_value());
    // Measured on the virtual SMC's clock: the first tick at or after 6 s without a call.
    const double quietSeconds = writes[released].t - *lastCallAt;
    EXPECT_GE(quietSeconds, 5.95);
    EXPECT_LE(quietSeconds, 7.25);

    EXPECT_TRUE(rig.fansAutomatic());
    EXPECT_EQ(rig.logCount("manual mode engaged after"), 1u);
    EXPECT_EQ(rig.logCount("fans returned to macOS control"), 1u);
    EXPECT_EQ(rig.violations(), nlohmann::json::array());
    EXPECT_EQ(rig.logCount("heartbeat timeout - releasing fans"), 1u) << rig.daemonLog();
}

struct SignalCase {
    const char* name;
    int signal;
    bool controlling;
    std::size_t sigtermLines;
};

class DaemonSignal : public ::testing::TestWithParam<SignalCase> {};

TEST_P(DaemonSignal, ReleasesTheFansThenExitsWithStatusZero)
{
    const SignalCase& row = GetParam();
    DaemonRig rig;
    if (row.controlling)
        rig.startControlling();
    else
        rig.startDaemon();
    const std::size_t start = rig.writes().size();

    ASSERT_EQ(::kill(rig.daemonPid(), row.signal), 0);
    EXPECT_EQ(rig.waitDaemonExit(), 0) << rig.daemonLog();

    const std::vector<std::string> expected =
        row.controlling ? kReleaseOrder : std::vector<std::string>{};
    EXPECT_EQ(writeOrder(rig.writesSince(start)), expected);
    EXPECT_TRUE(rig.fansAutomatic());
    EXPECT_EQ(rig.logCount("SIGTERM - releasing fans and exiting"), row.sigtermLines);
    // The exit handler's second release finds nothing to do.
    EXPECT_EQ(rig.logCount("fans returned to macOS control"), row.controlling ? 1u : 0u);
    EXPECT_EQ(rig.violations(), nlohmann::json::array());
}

INSTANTIATE_TEST_SUITE_P(Signals, DaemonSignal,
                         ::testing::Values(SignalCase{"SigtermWhileControlling", SIGTERM, true, 1},
                                           SignalCase{"SigintWhileControlling", SIGINT, true, 0},
                                           SignalCase{"SigtermWhileIdle", SIGTERM, false, 1}),
                         [](const auto& info) { return std::string(info.param.name); });

// shutDown and uninstall reply first and end the process after a delay, during which it still
// serves; uninstall removes the installed files, or finds them gone.
struct EndingCase {
    const char* name;
    bool controlling;
    bool filesPresent;
    std::string logLine;
};

class DaemonEnding : public ::testing::TestWithParam<EndingCase> {};

TEST_P(DaemonEnding, RepliesThenReleasesAndExitsAfterTheDelay)
{
    const EndingCase& row = GetParam();
    DaemonRig rig;
    const auto plist = rig.root() / HelperConstants::daemonPlistPath.substr(1);
    const auto tool = rig.root() / HelperConstants::helperInstallPath.substr(1);
    if (row.filesPresent) {
        writeFile(plist, "installed\n");
        writeFile(tool, "installed\n");
    }
    if (row.controlling)
        rig.startControlling();
    else
        rig.startDaemon();
    HelperWireClient app = rig.connect();
    HelperWireClient other = rig.connect();
    const std::size_t start = rig.writes().size();

    if (row.logLine.starts_with("shutdown"))
        app.shutDown();
    else
        EXPECT_TRUE(app.uninstall());
    const auto repliedAt = std::chrono::steady_clock::now();
    EXPECT_EQ(other.status().phase, HelperControlPhase::idle);
    EXPECT_FALSE(std::filesystem::exists(plist));
    EXPECT_FALSE(std::filesystem::exists(tool));
    EXPECT_EQ(rig.waitDaemonExit(), 0) << rig.daemonLog();
    EXPECT_GE(std::chrono::steady_clock::now() - repliedAt, 400ms);
    EXPECT_TRUE(app.closedByPeer(1s));
    EXPECT_EQ(writeOrder(rig.writesSince(start)),
              row.controlling ? kReleaseOrder : std::vector<std::string>{});
    EXPECT_EQ(rig.logCount(row.logLine), 1u);
    EXPECT_EQ(rig.violations(), nlohmann::json::array());
}

INSTANTIATE_TEST_SUITE_P(
    Operations, DaemonEnding,
    ::testing::Values(EndingCase{"ShutDown", true, false, "shutdown requested by the app; exiting"},
                      EndingCase{"UninstallBothInstalled", true, true, "uninstalled; exiting"},
                      EndingCase{"UninstallAlreadyGone", false, false, "uninstalled; exiting"}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(DaemonLifecycle, ReplacesAStaleSocketListensForEveryoneAndStartsWithoutSleepHandling)
{
    DaemonRig rig;
    ASSERT_TRUE(leaveStaleSocket(rig.socketPath()));
    rig.startDaemon();

    struct stat info {};
    ASSERT_EQ(::stat(rig.socketPath().c_str(), &info), 0);
    EXPECT_TRUE(S_ISSOCK(info.st_mode));
    EXPECT_EQ(info.st_mode & 0777, 0666u);
    EXPECT_EQ(rig.connect().status().version, HelperConstants::helperVersion);
    EXPECT_EQ(
        rig.logCount("BrisvaneHelper 1.0.2 starting (euid " + std::to_string(::geteuid()) + ")"),
        1u);
    // No system bus in this root: no sleep handling, and not a word about it.
    EXPECT_EQ(rig.logCount("sleep"), 0u) << rig.daemonLog();
}

TEST(DaemonLifecycle, ASecondDaemonLeavesTheServingOneAndTheFansAlone)
{
    DaemonRig rig;
    rig.startControlling();
    const std::size_t start = rig.writes().size();

    const pid_t second = rig.spawnDaemon();
    EXPECT_EQ(waitForExit(second, 5s), 1);
    EXPECT_EQ(rig.logCount("another BrisvaneHelper is serving"), 1u);
    for (const SmcWrite& write : rig.writesSince(start))
        EXPECT_TRUE(write.key.ends_with("Tg")) << write;
    EXPECT_TRUE(rig.connect().status().isControlling());
    EXPECT_TRUE(rig.fansManual());
}

} // namespace
} // namespace brisvane::test
