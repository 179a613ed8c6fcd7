// System sleep with logind played by python-dbusmock on a private system bus: the daemon's delay
// lock closes only after the fans are released, and a new one is taken on wake.
#include "tests/e2e/DaemonTestSupport.h"

#include "helper/SleepWatcher.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

namespace brisvane::test {
namespace {

using ::testing::ElementsAre;

const char* const kSleepLine = "system going to sleep - fans released, sleep lock closed";
const char* const kWakeLine = "system woke - sleep lock taken again";
const char* const kStillHeldLine = "system woke - sleep lock still held";

TEST(DaemonSleep, ReleasesTheFansBeforeClosingTheLockAndTakesANewLockOnWake)
{
    DaemonRig rig;
    PrivateSystemBus bus(rig.root());
    rig.control("firmware accept-mode-after 0");
    rig.startDaemon();
    ASSERT_TRUE(eventually([&] { return bus.inhibitorsBy("Brisvane") == 1; })) << rig.daemonLog();
    for (const auto& inhibitor : bus.inhibitors()) {
        EXPECT_EQ(inhibitor.what, "sleep");
        EXPECT_EQ(inhibitor.why, SleepWatcher::kInhibitWhy);
        EXPECT_EQ(inhibitor.mode, "delay");
    }
    rig.takeOver({3000, 3000});
    const std::size_t start = rig.writes().size();

    // A slow SMC spreads the release over a second, so that a lock closed before it or during
    // it shows in the times: every release write must come before the close.
    rig.control("latency 300");
    bus.emitPrepareForSleep(true);
    ASSERT_TRUE(eventually([&] { return bus.inhibitorsBy("Brisvane") == 0; })) << rig.daemonLog();
    rig.control("latency 0");
    const std::vector<double> closed = bus.inhibitorsClosedAt();
    ASSERT_EQ(closed.size(), 1u);
    const double closedAt = rig.vsmcTimeAt(closed.front());
    std::vector<SmcWrite> release;
    for (const SmcWrite& write : rig.writesSince(start))
        if (!write.key.ends_with("Tg"))
            release.push_back(write);
    EXPECT_EQ(writeOrder(release), kReleaseOrder);
    for (const SmcWrite& write : release)
        EXPECT_LE(write.t, closedAt + 0.1)
            << write.key << " written " << write.t - closedAt << " s after the lock was closed";
    EXPECT_TRUE(rig.fansAutomatic());
    ASSERT_TRUE(eventually([&] { return rig.logCount(kSleepLine) == 1; }));
    const std::string log = rig.daemonLog();
    EXPECT_LT(log.find("fans returned to macOS control"), log.find(kSleepLine));

    bus.emitPrepareForSleep(false);
    ASSERT_TRUE(eventually([&] { return bus.inhibitorsBy("Brisvane") == 1; })) << rig.daemonLog();
    // The line follows the lock.
    EXPECT_TRUE(eventually([&] { return rig.logCount(kWakeLine) == 1; })) << rig.daemonLog();
    HelperWireClient app = rig.connect();
    // Nothing is taken back on wake; the app's next call starts a new takeover.
    EXPECT_EQ(app.status().phase, HelperControlPhase::idle);
    const std::size_t woke = rig.writes().size();
    rig.takeOver({3000, 3000});
    EXPECT_THAT(writeOrder(rig.writesSince(woke)), ElementsAre("Ftst=1", "F0Md=1", "F1Md=1"));
    EXPECT_EQ(rig.violations(), nlohmann::json::array());
}

TEST(DaemonSleep, SleepWhileIdleWritesNothingAndEveryWakeHoldsOneLock)
{
    DaemonRig rig;
    PrivateSystemBus bus(rig.root());
    rig.startDaemon();
    ASSERT_TRUE(eventually([&] { return bus.inhibitorsBy("Brisvane") == 1; })) << rig.daemonLog();
    const std::size_t start = rig.writes().size();

    for (int cycle = 1; cycle <= 3; ++cycle) {
        bus.emitPrepareForSleep(true);
        ASSERT_TRUE(eventually([&] { return bus.inhibitorsBy("Brisvane") == 0; }));
        bus.emitPrepareForSleep(false);
        ASSERT_TRUE(eventually([&] { return rig.logCount(kWakeLine) == std::size_t(cycle); }));
        EXPECT_EQ(bus.inhibitorsBy("Brisvane"), 1u);
    }
    // A second wake without a sleep between keeps the one lock it has; counted once the
    // daemon has handled it.
    bus.emitPrepareForSleep(false);
    ASSERT_TRUE(eventually([&] { return rig.logCount(kStillHeldLine) == 1; })) << rig.daemonLog();
    EXPECT_EQ(rig.connect().status().phase, HelperControlPhase::idle);
    EXPECT_EQ(bus.inhibitorsBy("Brisvane"), 1u);
    EXPECT_EQ(rig.logCount(kWakeLine), 3u);
    EXPECT_TRUE(rig.writesSince(start).empty());
    EXPECT_EQ(rig.logCount("fans returned to macOS control"), 0u);
}

TEST(DaemonSleep, ABusWithoutLogindMeansNoSleepHandlingAndNoWordAboutIt)
{
    DaemonRig rig;
    PrivateSystemBus bus(rig.root(), PrivateSystemBus::Logind::absent);
    rig.startControlling();
    EXPECT_EQ(rig.logCount("sleep"), 0u) << rig.daemonLog();
}

} // namespace
} // namespace brisvane::test
