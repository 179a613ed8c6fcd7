// Every way control ends (release request, emergency release, shutdown, uninstall), the delayed
// exit, and the emergency release across threads with the real control thread.
#include "ControllerRig.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <fstream>
#include <future>
#include <mutex>
#include <thread>
#include <vector>

namespace brisvane {
namespace {

using testing::ControllerRig;
using testing::profileNamed;
using Phase = HelperControlPhase;
using namespace std::chrono_literals;

const std::vector<std::string> kReleaseWrites{"F0Md=0", "F1Md=0", "Ftst=0"};
const std::string kReturned = "info: fans returned to macOS control";

// Waits, within a bound, for something another thread does.
template <typename Condition>
bool eventually(Condition condition, std::chrono::milliseconds bound = 10s)
{
    const auto giveUp = std::chrono::steady_clock::now() + bound;
    while (!condition()) {
        if (std::chrono::steady_clock::now() > giveUp)
            return false;
        std::this_thread::sleep_for(5ms);
    }
    return true;
}

MachineProfile instantFirmware()
{
    return profileNamed("two-fan-laptop", [](MachineProfile& profile) {
        profile.firmware.acceptModeAfterSeconds = 0.0;
    });
}

struct ReleasePath {
    std::string name;
    std::function<void(ControllerRig&)> release;
    std::vector<std::string> log;
    bool exits;
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
    EXPECT_EQ(rig.takeWrites(), kReleaseWrites);
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

TEST_P(FanControllerRelease, IsHarmlessWhenIdle)
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

INSTANTIATE_TEST_SUITE_P(Paths, FanControllerRelease, ::testing::ValuesIn(kReleasePaths),
                         [](const auto& info) { return info.param.name; });

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

// Uninstall's files

void touch(const std::filesystem::path& file)
{
    std::filesystem::create_directories(file.parent_path());
    std::ofstream(file) << "x";
}

TEST(FanControllerUninstall, RemovesItsFilesUnderTheSystemRoot)
{
    ControllerRig rig("two-fan-laptop");
    const auto plist = rig.root.path() / "Library/LaunchDaemons/org.brisvane.Brisvane.helper.plist";
    const auto tool =
        rig.root.path() / "Library/PrivilegedHelperTools/org.brisvane.Brisvane.helper";
    const auto record = tool.string() + ".installer";
    touch(plist);
    touch(tool);
    touch(record);
    const auto unrelated = rig.root.path() / "Library/LaunchDaemons/other.plist";
    touch(unrelated);
    rig.setUp();

    std::optional<bool> reply;
    rig.controller->uninstall([&](bool ok) { reply = ok; });
    rig.controller->poll();
    EXPECT_EQ(reply, true);
    EXPECT_FALSE(std::filesystem::exists(plist));
    EXPECT_FALSE(std::filesystem::exists(tool));
    EXPECT_FALSE(std::filesystem::exists(record));
    EXPECT_TRUE(std::filesystem::exists(unrelated));
}

TEST(FanControllerUninstall, RepliesTrueWhenTheFilesCannotBeRemoved)
{
    ControllerRig rig("two-fan-laptop");
    // The plist's path is a folder with content: its removal fails, the tool's still happens.
    const auto plist = rig.root.path() / "Library/LaunchDaemons/org.brisvane.Brisvane.helper.plist";
    touch(plist / "inside");
    const auto tool =
        rig.root.path() / "Library/PrivilegedHelperTools/org.brisvane.Brisvane.helper";
    touch(tool);
    rig.setUp();
    rig.drain();

    std::optional<bool> reply;
    rig.controller->uninstall([&](bool ok) { reply = ok; });
    rig.controller->poll();
    EXPECT_EQ(reply, true);
    EXPECT_FALSE(std::filesystem::exists(tool));
    EXPECT_EQ(rig.takeLog(), std::vector<std::string>{"info: uninstalled; exiting"});
}

// The real control thread

// A controller whose own thread runs its io_context; the clock stays manual.
struct ThreadedRig {
    explicit ThreadedRig(std::function<void()> exitAction = [] {})
    {
        model = std::make_shared<VirtualSmc>(instantFirmware());
        model->followClock(clock);
        iokit::registerService(model->serviceClass(), model);
        FanController::Options options;
        options.clock = &clock;
        options.log = &log;
        options.tickTimer = false;
        options.exitAction = std::move(exitAction);
        controller = std::make_unique<FanController>(std::move(options));
        controller->start();
    }
    ~ThreadedRig()
    {
        controller.reset();
        iokit::unregisterService(model->serviceClass(), model.get());
    }

    std::vector<double> setTargets(std::vector<double> targets)
    {
        std::promise<std::vector<double>> reply;
        auto future = reply.get_future();
        controller->setTargets(std::move(targets),
                               [&](std::vector<double> effective) { reply.set_value(effective); });
        EXPECT_EQ(future.wait_for(10s), std::future_status::ready);
        return future.get();
    }
    HelperStatus status()
    {
        std::promise<std::vector<std::uint8_t>> reply;
        auto future = reply.get_future();
        controller->status([&](std::vector<std::uint8_t> data) { reply.set_value(data); });
        EXPECT_EQ(future.wait_for(10s), std::future_status::ready);
        return HelperStatus::decode(future.get()).value_or(HelperStatus{});
    }
    std::uint8_t mode(const char* key) { return model->key(key)->data.at(0); }

    testing::TemporarySystemRoot root;
    ManualClock clock;
    HelperLog log{"s", "c"};
    HelperLogCapture capture{log};
    std::shared_ptr<VirtualSmc> model;
    std::unique_ptr<FanController> controller;
};

TEST(FanControllerControlThread, EmergencyReleaseFromAnotherThreadIsDoneOnReturn)
{
    ThreadedRig rig;
    EXPECT_EQ(rig.setTargets({3000, 3000}), (std::vector<double>{3000, 3000}));
    ASSERT_EQ(rig.mode("F0Md"), 1);
    EXPECT_FALSE(rig.controller->isControlThread());

    rig.controller->emergencyReleaseSync();
    EXPECT_EQ(rig.mode("F0Md"), 0);
    EXPECT_EQ(rig.mode("F1Md"), 0);
    EXPECT_EQ(rig.model->key("Ftst")->data.at(0), 0);
    EXPECT_EQ(rig.status().phase, Phase::idle);
    rig.controller->emergencyReleaseSync(); // again, idle: returns at once
}

TEST(FanControllerControlThread, EmergencyReleaseOnTheControlThreadRunsInline)
{
    ThreadedRig rig;
    std::promise<bool> released;
    auto future = released.get_future();
    rig.controller->setTargets({3000, 3000}, [&](std::vector<double>) {
        // A reply runs on the control thread; waiting for the queue here would never return.
        const bool onControlThread = rig.controller->isControlThread();
        rig.controller->emergencyReleaseSync();
        released.set_value(onControlThread && rig.mode("F0Md") == 0);
    });
    ASSERT_EQ(future.wait_for(10s), std::future_status::ready) << "deadlocked";
    EXPECT_TRUE(future.get());
}

TEST(FanControllerControlThread, CallsFromManyThreadsAreServedOneAtATime)
{
    ThreadedRig rig;
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
    EXPECT_EQ(rig.status().phase, Phase::idle);
    EXPECT_EQ(rig.mode("F0Md"), 0);
    EXPECT_EQ(rig.mode("F1Md"), 0);
}

TEST(FanControllerControlThread, ShutDownRepliesThenExitsOffTheControlThread)
{
    std::mutex mutex;
    std::vector<std::string> events;
    FanController* controller = nullptr;
    ThreadedRig rig([&] {
        std::lock_guard lock(mutex);
        // An exit handler's emergency release must still be able to reach the control thread.
        controller->emergencyReleaseSync();
        events.push_back(controller->isControlThread() ? "exit on control thread"
                                                       : "exit elsewhere");
    });
    controller = rig.controller.get();
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
    EXPECT_EQ(rig.mode("F0Md"), 0);
}

} // namespace
} // namespace brisvane
