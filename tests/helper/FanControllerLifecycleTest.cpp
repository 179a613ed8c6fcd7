// Every way control ends (release request, emergency release, shutdown, uninstall), the delayed
// exit, and the emergency release across threads with the real control thread.
#include "tests/helper/ControllerRig.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <future>
#include <mutex>
#include <thread>
#include <vector>

namespace brisvane::test {
namespace {

using Phase = HelperControlPhase;
using namespace std::chrono_literals;

const std::vector<std::string> kReleaseWrites{"F0Md=0", "F1Md=0", "Ftst=0"};
const std::string kReturned = "info: fans returned to macOS control";

struct ReleasePath {
    std::string name;
    std::function<void(ControllerRig&)> release;
    std::vector<std::string> log;
    bool exits;
    std::vector<std::string> writes = kReleaseWrites;
};

std::ostream& operator<<(std::ostream& out, const ReleasePath& row)
{
    return out << row.name;
}

const ReleasePath kReleasePaths[] = {
    {"ReleaseControl", [](ControllerRig& rig) { rig.releaseControl(); }, {kReturned}, false},
    {"EmergencyRelease",
     [](ControllerRig& rig) { rig.controller->emergencyReleaseSync(); },
     {kReturned},
     false},
    {"ShutDown",
     [](ControllerRig& rig) {
         bool replied = false;
         rig.controller->shutDown([&] { replied = true; });
         rig.controller->poll();
         EXPECT_TRUE(replied);
     },
     {kReturned, "info: shutdown requested by the app; exiting"},
     true},
    {"Uninstall",
     [](ControllerRig& rig) {
         std::optional<bool> reply;
         rig.controller->uninstall([&](bool ok) { reply = ok; });
         rig.controller->poll();
         EXPECT_EQ(reply, true);
     },
     {kReturned, "info: uninstalled; exiting"},
     true},
    // Fan 1 refuses its new target: everything is released in the same step, fan 0's target
    // is not rewritten, and the request is gone.
    {"FailedTargetWrite",
     [](ControllerRig& rig) {
         rig.failWrites("F1Tg", kSmcResultWriteRefused, 1);
         EXPECT_EQ(rig.setTargets({2500, 2600}), std::vector<double>{});
         EXPECT_EQ(rig.status().lastError,
                   "Applying fan targets failed: SMC key F1Tg error (result 134)");
     },
     {"error: SMC write failed (SMC key F1Tg error (result 134)) - full release", kReturned},
     false,
     {"F0Tg=2500", "F1Tg=2600 refused 0x86", "F0Md=0", "F1Md=0", "Ftst=0"}},
};

class FanControllerRelease : public ::testing::TestWithParam<ReleasePath> {};

TEST_P(FanControllerRelease, ReturnsTheFansAndEndsTheRequest)
{
    const ReleasePath& row = GetParam();
    ControllerRig rig(instantFirmware());
    rig.setUp();
    rig.setTargets({3000, 3000});
    ASSERT_EQ(rig.phase(), Phase::controlling);
    rig.drain();

    row.release(rig);
    EXPECT_EQ(rig.takeWrites(), row.writes);
    EXPECT_EQ(rig.takeLog(), row.log);
    EXPECT_EQ(rig.phase(), Phase::idle);

    // Well within the heartbeat, yet nothing takes the fans again and nothing times out.
    rig.tick();
    rig.tick();
    EXPECT_EQ(rig.takeWrites(), std::vector<std::string>{});
    EXPECT_EQ(rig.takeLog(), std::vector<std::string>{});
    EXPECT_EQ(rig.phase(), Phase::idle);

    if (row.exits)
        EXPECT_TRUE(eventually([&] { return rig.exits() == 1; })) << "no exit";
    else
        EXPECT_EQ(rig.exits(), 0);
}

class FanControllerIdleRelease : public FanControllerRelease {};

TEST_P(FanControllerIdleRelease, IsHarmlessWhenIdle)
{
    const ReleasePath& row = GetParam();
    ControllerRig rig("two-fan-laptop");
    rig.setUp();
    rig.drain();
    row.release(rig);
    EXPECT_EQ(rig.takeWrites(), std::vector<std::string>{});
    std::vector<std::string> expectedLog = row.log;
    expectedLog.erase(expectedLog.begin()); // nothing was returned
    EXPECT_EQ(rig.takeLog(), expectedLog);
}

const auto kName = [](const auto& info) { return info.param.name; };
INSTANTIATE_TEST_SUITE_P(Paths, FanControllerRelease, ::testing::ValuesIn(kReleasePaths), kName);
// A request while idle would start a takeover: the failed write has no idle form.
INSTANTIATE_TEST_SUITE_P(Paths, FanControllerIdleRelease,
                         ::testing::ValuesIn(std::begin(kReleasePaths),
                                             std::end(kReleasePaths) - 1),
                         kName);

TEST(FanControllerShutDown, ExitsOnceHowEverOftenItIsAsked)
{
    ControllerRig rig("two-fan-laptop");
    rig.setUp();
    int replies = 0;
    rig.controller->shutDown([&] { ++replies; });
    rig.controller->shutDown([&] { ++replies; });
    rig.controller->uninstall([&](bool) { ++replies; });
    rig.controller->poll();
    EXPECT_EQ(replies, 3);
    ASSERT_TRUE(eventually([&] { return rig.exits() >= 1; }));
    // A second exit would have been due at the same moment as the first.
    EXPECT_FALSE(eventually([&] { return rig.exits() > 1; }, 1s));
}

// The plist's path is a folder with content: its removal fails, the others' still happen, and
// the reply is still true.
TEST(FanControllerUninstall, RemovesWhatItCanOfItsFilesUnderTheSystemRoot)
{
    ControllerRig rig("two-fan-laptop");
    const auto library = rig.root.path() / "Library";
    const auto tool = library / "PrivilegedHelperTools/org.brisvane.Brisvane.helper";
    const auto record = tool.string() + ".installer";
    const auto unrelated = library / "LaunchDaemons/other.plist";
    for (const auto& file : {library / "LaunchDaemons/org.brisvane.Brisvane.helper.plist/inside",
                             tool, std::filesystem::path(record), unrelated})
        writeFile(file, "x");
    rig.setUp();
    rig.drain();

    std::optional<bool> reply;
    rig.controller->uninstall([&](bool ok) { reply = ok; });
    rig.controller->poll();
    EXPECT_EQ(reply, true);
    EXPECT_FALSE(std::filesystem::exists(tool));
    EXPECT_FALSE(std::filesystem::exists(record));
    EXPECT_TRUE(std::filesystem::exists(unrelated));
    EXPECT_EQ(rig.takeLog(), std::vector<std::string>{"info: uninstalled; exiting"});
}

// The real control thread; the clock stays manual.

TEST(FanControllerControlThread, EmergencyReleaseFromAnotherThreadIsDoneOnReturn)
{
    ControllerRig rig(instantFirmware(), true);
    rig.setUp();
    EXPECT_EQ(rig.setTargets({3000, 3000}), (std::vector<double>{3000, 3000}));
    ASSERT_EQ(rig.byte("F0Md"), 1);
    EXPECT_FALSE(rig.controller->isControlThread());
    rig.drain();

    rig.controller->emergencyReleaseSync();
    EXPECT_EQ(rig.takeWrites(), kReleaseWrites);
    EXPECT_EQ(rig.phase(), Phase::idle);
    rig.controller->emergencyReleaseSync(); // again, idle: returns at once
}

TEST(FanControllerControlThread, EmergencyReleaseOnTheControlThreadRunsInline)
{
    ControllerRig rig(instantFirmware(), true);
    rig.setUp();
    std::promise<bool> released;
    auto future = released.get_future();
    rig.controller->setTargets({3000, 3000}, [&](std::vector<double>) {
        // A reply runs on the control thread; waiting for the queue here would never return.
        const bool onControlThread = rig.controller->isControlThread();
        rig.controller->emergencyReleaseSync();
        released.set_value(onControlThread && rig.byte("F0Md") == 0);
    });
    ASSERT_EQ(future.wait_for(10s), std::future_status::ready) << "deadlocked";
    EXPECT_TRUE(future.get());
}

TEST(FanControllerControlThread, CallsFromManyThreadsAreServedOneAtATime)
{
    ControllerRig rig(instantFirmware(), true);
    rig.setUp();
    std::atomic<int> replies{0};
    std::vector<std::thread> threads;
    for (int t = 0; t < 4; ++t) {
        threads.emplace_back([&, t] {
            for (int i = 0; i < 50; ++i) {
                if ((i + t) % 5 == 0)
                    rig.controller->emergencyReleaseSync();
                else
                    rig.controller->setTargets({2000.0 + i, 2500.0 + t},
                                               [&](std::vector<double>) { ++replies; });
            }
        });
    }
    for (auto& thread : threads)
        thread.join();
    rig.controller->emergencyReleaseSync();
    EXPECT_EQ(replies.load(), 160);
    EXPECT_EQ(rig.phase(), Phase::idle);
    EXPECT_EQ(rig.byte("F0Md"), 0);
    EXPECT_EQ(rig.byte("F1Md"), 0);
}

TEST(FanControllerControlThread, ShutDownRepliesThenExitsOffTheControlThread)
{
    std::mutex mutex;
    std::vector<std::string> events;
    FanController* controller = nullptr;
    ControllerRig rig(instantFirmware(), true, [&] {
        std::lock_guard lock(mutex);
        // An exit handler's emergency release must still be able to reach the control thread.
        controller->emergencyReleaseSync();
        events.push_back(controller->isControlThread() ? "exit on control thread"
                                                       : "exit elsewhere");
    });
    controller = rig.controller.get();
    rig.setUp();
    rig.setTargets({3000, 3000});
    rig.controller->shutDown([&] {
        std::lock_guard lock(mutex);
        events.push_back("reply");
    });
    ASSERT_TRUE(eventually([&] {
        std::lock_guard lock(mutex);
        return events.size() == 2;
    }));
    std::lock_guard lock(mutex);
    EXPECT_EQ(events, (std::vector<std::string>{"reply", "exit elsewhere"}));
    EXPECT_EQ(rig.byte("F0Md"), 0);
}

} // namespace
} // namespace brisvane::test
