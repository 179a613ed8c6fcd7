// The sleep watcher in this process against logind played by python-dbusmock: while the
// before-sleep work runs, the lock is still held, so logind cannot put the machine to sleep yet.
#include "tests/e2e/DaemonTestSupport.h"

#include "helper/HelperLog.h"
#include "helper/SleepWatcher.h"

#include <gtest/gtest.h>

#include <atomic>
#include <memory>

namespace brisvane::test {
namespace {

TEST(SleepWatcher, TheLockIsHeldWhileTheFansAreReleasedClosedRightAfterAndOnStop)
{
    TemporaryRoot root;
    PrivateSystemBus bus(root.path());
    ScopedEnv address("DBUS_SYSTEM_BUS_ADDRESS", bus.address());
    HelperLog log("test", "control");
    HelperLogCapture capture(log);

    std::atomic<int> releases{0};
    std::atomic<std::size_t> locksDuringRelease{99};
    auto watcher = std::make_unique<SleepWatcher>(
        [&] {
            // A connection of this thread's own: the test thread keeps using the other one.
            LogindClient observer(bus.address());
            locksDuringRelease = observer.inhibitorsBy(SleepWatcher::kInhibitWho);
            ++releases;
        },
        log);
    watcher->start();
    ASSERT_TRUE(eventually([&] { return bus.inhibitorsBy("Brisvane") == 1; }));

    for (int cycle = 1; cycle <= 2; ++cycle) {
        SCOPED_TRACE(cycle);
        bus.emitPrepareForSleep(true);
        ASSERT_TRUE(eventually([&] { return releases == cycle; }));
        EXPECT_EQ(locksDuringRelease, 1u);
        EXPECT_TRUE(eventually([&] { return bus.inhibitorsBy("Brisvane") == 0; }));
        bus.emitPrepareForSleep(false);
        EXPECT_TRUE(eventually([&] { return bus.inhibitorsBy("Brisvane") == 1; }));
    }
    watcher.reset();
    EXPECT_TRUE(eventually([&] { return bus.inhibitorsBy("Brisvane") == 0; }));
}

} // namespace
} // namespace brisvane::test
