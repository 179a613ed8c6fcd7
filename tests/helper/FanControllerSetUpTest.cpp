// The controller's set-up over machines of every shape, what it cleans up after an earlier run,
// the status as the app decodes it in each phase, and the first tick of the real timer.
#include "tests/helper/ControllerRig.h"

#include <gtest/gtest.h>

#include <chrono>
#include <functional>
#include <limits>
#include <optional>
#include <string>
#include <thread>
#include <vector>

namespace brisvane::test {
namespace {

using Phase = HelperControlPhase;

const std::string kMonitoredOnly =
    "This Mac exposes no fan mode key, so its fans can be monitored but not controlled.";

struct SetUpCase {
    std::string name;
    std::string profile; // empty: no SMC service
    std::function<void(MachineProfile&)> editProfile;
    std::function<void(ControllerRig&)> beforeSetUp;
    std::optional<std::string> lastError;
    std::vector<std::string> log;
};

std::ostream& operator<<(std::ostream& out, const SetUpCase& row)
{
    return out << row.name;
}

const SetUpCase kSetUpCases[] = {
    {.name = "TwoFansWithModeKeys",
     .profile = "two-fan-laptop",
     .log = {"info: helper up: 2 fans, max [6000, 6000], modeKeys [F0Md, F1Md], Ftst present, "
             "control available"}},
    {.name = "OneFanWithLowerCaseModeKeyAndNoUnlock",
     .profile = "one-fan-desktop",
     .log = {"info: helper up: 1 fans, max [3500], modeKeys [F0md], Ftst absent, control "
             "available"}},
    {.name = "SecondFanWithoutModeKey",
     .profile = "two-fan-laptop",
     .editProfile = withoutSecondModeKey,
     .lastError = kMonitoredOnly,
     .log = {"error: no mode key for some fan: [F0Md, none]",
             "info: helper up: 2 fans, max [6000, 6000], modeKeys [F0Md], Ftst present, control "
             "UNAVAILABLE"}},
    {.name = "NoFans",
     .profile = "fanless",
     .lastError = kMonitoredOnly,
     .log = {"error: no mode key for some fan: []",
             "info: helper up: 0 fans, max [], modeKeys [], Ftst absent, control UNAVAILABLE"}},
    {.name = "NoSmcService",
     .profile = "",
     .lastError = "SMC unavailable: AppleSMC service not found",
     .log = {"error: SMC setup failed: AppleSMC service not found"}},
    {.name = "FanUnreadable",
     .profile = "two-fan-laptop",
     .beforeSetUp =
         [](ControllerRig& rig) {
             rig.model->injectFault("F1Mx", SmcOperation::info, kSmcResultKeyNotFound);
         },
     .lastError = "SMC unavailable: SMC key F1Mx error (result 132)",
     .log = {"error: SMC setup failed: SMC key F1Mx error (result 132)"}},
};

class FanControllerSetUp : public ::testing::TestWithParam<SetUpCase> {};

TEST_P(FanControllerSetUp, ReportsWhatItFoundAndStaysIdle)
{
    const SetUpCase& row = GetParam();
    std::optional<MachineProfile> profile;
    if (!row.profile.empty())
        profile = profileNamed(row.profile, row.editProfile);
    ControllerRig rig(std::move(profile));
    if (row.beforeSetUp)
        row.beforeSetUp(rig);
    rig.setUp();

    EXPECT_EQ(rig.takeLog(), row.log);
    EXPECT_EQ(rig.takeWrites(), std::vector<std::string>{});
    const HelperStatus status = rig.status();
    EXPECT_EQ(status.version, "1.0.2");
    EXPECT_EQ(status.phase, Phase::idle);
    EXPECT_EQ(status.lastError, row.lastError);
    EXPECT_TRUE(status.effectiveTargets.empty());
    EXPECT_EQ(status.hottestSensorCelsius, 0.0);
}

INSTANTIATE_TEST_SUITE_P(Machines, FanControllerSetUp, ::testing::ValuesIn(kSetUpCases),
                         [](const auto& info) { return info.param.name; });

// An SMC that did not answer at set-up is asked again, after 1 s, then 2, 4, 8 … up to 60 s;
// one that answered (no fans, an unreadable fan key) is taken as it is.
TEST(FanControllerSetUpRetry, ATransportFailureOnFNumIsRetriedNotTakenForAFanlessMac)
{
    ControllerRig rig("two-fan-laptop");
    rig.model->injectTransportFault(kIOReturnNotResponding, 1);
    rig.setUp();
    EXPECT_EQ(rig.takeLog(),
              std::vector<std::string>{"error: SMC setup failed: SMC call failed (0xe00002ed)"});
    EXPECT_EQ(rig.status().lastError, "SMC unavailable: SMC call failed (0xe00002ed)");

    rig.tick();
    const std::vector<std::string> log = rig.takeLog();
    ASSERT_FALSE(log.empty());
    EXPECT_EQ(log.back(), "info: helper up: 2 fans, max [6000, 6000], modeKeys [F0Md, F1Md], "
                          "Ftst present, control available");
    EXPECT_EQ(rig.status().lastError, std::nullopt);
    rig.setTargets({3000, 3000});
    EXPECT_EQ(rig.phase(), Phase::unlocking);
}

TEST(FanControllerSetUpRetry, AMissingServiceIsLookedForAgainWithABackOff)
{
    ControllerRig rig(std::nullopt);
    rig.setUp(); // t = 0; the next attempts at 1, 3, 7 and 15 s
    rig.drain();
    auto model = std::make_shared<VirtualSmc>(profileNamed("two-fan-laptop"));
    std::optional<VirtualSmc::ServiceRegistration> registration;
    std::vector<int> upAt;
    for (int t = 1; t <= 20; ++t) {
        if (t == 4)
            registration.emplace(model->registerAsService());
        rig.tick();
        for (const std::string& line : rig.takeLog())
            if (line.rfind("info: helper up: 2 fans", 0) == 0)
                upAt.push_back(t);
    }
    EXPECT_EQ(upAt, std::vector<int>{7});
    EXPECT_EQ(rig.status().lastError, std::nullopt);
    EXPECT_EQ(rig.status().autoFloors.size(), 2u);
}

TEST(FanControllerSetUpFailure, UnreadableFansStillSampleAndFollowMacOS)
{
    ControllerRig rig("two-fan-laptop");
    rig.model->injectFault("F1Mx", SmcOperation::info, kSmcResultKeyNotFound);
    rig.setUp(47);
    rig.drain();
    rig.tick();

    const HelperStatus status = rig.status();
    EXPECT_EQ(status.hottestSensorCelsius, 47.0);
    ASSERT_EQ(status.autoFloors.size(), 2u);
    EXPECT_EQ(status.autoFloors[1], *rig.model->readFloatKey("F1Tg"));
    // Without the fan inventory no takeover can succeed.
    rig.setTargets({3000, 3000});
    EXPECT_EQ(rig.phase(), Phase::failed);
    EXPECT_EQ(rig.takeWrites(), std::vector<std::string>{});
}

// What a daemon that was killed while controlling leaves behind, and what set-up makes of it.
struct LeftoverCase {
    std::string name;
    std::string profile = "two-fan-laptop";
    std::vector<std::pair<std::string, std::uint8_t>> leftBytes;
    std::function<void(ControllerRig&)> faults;
    std::vector<std::string> writes;
    std::vector<std::string> log;       // the lines before "helper up"
    std::vector<std::string> afterTick; // what the first idle tick writes
};

std::ostream& operator<<(std::ostream& out, const LeftoverCase& row)
{
    return out << row.name;
}

const std::string kClearedUnlock = "info: cleared leftover firmware unlock from a previous run";
std::string returnedMode(const std::string& key)
{
    return "info: returned fan mode " + key + " to automatic, left by a previous run";
}

const LeftoverCase kLeftoverCases[] = {
    {.name = "CleanMachine"},
    {.name = "UnlockOnly",
     .leftBytes = {{"Ftst", 1}},
     .writes = {"Ftst=0"},
     .log = {kClearedUnlock}},
    {.name = "FansManualAndUnlocked",
     .leftBytes = {{"F0Md", 1}, {"F1Md", 1}, {"Ftst", 1}},
     .writes = {"F0Md=0", "F1Md=0", "Ftst=0"},
     .log = {returnedMode("F0Md"), returnedMode("F1Md"), kClearedUnlock}},
    {.name = "SecondFanManualOnly",
     .leftBytes = {{"F1Md", 1}},
     .writes = {"F1Md=0"},
     .log = {returnedMode("F1Md")}},
    {.name = "ManualFanWithoutUnlockKey",
     .profile = "one-fan-desktop",
     .leftBytes = {{"F0md", 1}},
     .writes = {"F0md=0"},
     .log = {returnedMode("F0md")}},
    {.name = "RefusedModeWriteDoesNotStopTheOthers",
     .leftBytes = {{"F0Md", 1}, {"F1Md", 1}, {"Ftst", 1}},
     .faults = [](ControllerRig& rig) { rig.failWrites("F0Md", kSmcResultWriteRefused, 1); },
     .writes = {"F0Md=0 refused 0x86", "F1Md=0", "Ftst=0"},
     .log = {"error: could not return fan mode F0Md to automatic: SMC key F0Md error (result "
             "134)",
             returnedMode("F1Md"), kClearedUnlock},
     .afterTick = {"F0Md=0"}},
    {.name = "UnreadableUnlockIsLeftAlone",
     .leftBytes = {{"Ftst", 1}},
     .faults =
         [](ControllerRig& rig) { rig.model->injectFault("Ftst", SmcOperation::read, 0x85); }},
    {.name = "RefusedUnlockClearIsReportedAsSuch",
     .leftBytes = {{"Ftst", 1}},
     .faults = [](ControllerRig& rig) { rig.failWrites("Ftst", kSmcResultWriteRefused, 1); },
     .writes = {"Ftst=0 refused 0x86"},
     .log = {"error: could not clear leftover firmware unlock: SMC key Ftst error (result 134)"},
     .afterTick = {"Ftst=0"}},
};

class FanControllerLeftovers : public ::testing::TestWithParam<LeftoverCase> {};

TEST_P(FanControllerLeftovers, ReturnsModesFirstAndTheUnlockLast)
{
    const LeftoverCase& row = GetParam();
    ControllerRig rig(row.profile);
    for (const auto& [key, value] : row.leftBytes)
        rig.model->setKeyBytes(key, {value});
    if (row.faults)
        row.faults(rig);
    rig.setUp();

    EXPECT_EQ(rig.takeWrites(), row.writes);
    std::vector<std::string> log = rig.takeLog();
    ASSERT_FALSE(log.empty());
    EXPECT_EQ(log.back().rfind("info: helper up: ", 0), 0u) << log.back();
    log.pop_back();
    EXPECT_EQ(log, row.log);
    // What a refusal left behind is written again until the SMC takes it.
    rig.tick();
    EXPECT_EQ(rig.takeWrites(), row.afterTick);
}

INSTANTIATE_TEST_SUITE_P(Leftovers, FanControllerLeftovers, ::testing::ValuesIn(kLeftoverCases),
                         [](const auto& info) { return info.param.name; });

// Every field as the app decodes it, while controlling; in the other phases the property test
// holds that effectiveTargets stay empty.
TEST(FanControllerStatus, DecodesAsTheAppSeesIt)
{
    ControllerRig rig("two-fan-laptop");
    rig.setUp(44.5);
    rig.tick(); // samples the temperature and takes macOS's targets as the floors
    HelperStatus expected;
    expected.version = "1.0.2";
    expected.autoFloors = {*rig.model->readFloatKey("F0Tg"), *rig.model->readFloatKey("F1Tg")};
    expected.hottestSensorCelsius = 44.5;
    EXPECT_EQ(rig.status(), expected);

    rig.setTargets({3000, 2500});
    rig.advance(3);
    rig.setTargets({3000, 2500});
    expected.phase = Phase::controlling;
    expected.effectiveTargets = {3000, 2500};
    EXPECT_EQ(rig.status(), expected);
}

TEST(FanControllerStatus, ReadsNoHardware)
{
    ControllerRig rig("two-fan-laptop");
    rig.setUp();
    const int before = rig.model->callCounts().total();
    rig.status();
    rig.status();
    EXPECT_EQ(rig.model->callCounts().total(), before);
}

TEST(FanControllerStatus, NonFiniteTargetFromTheSmcLeavesTheStatusEncodable)
{
    ControllerRig rig("two-fan-laptop");
    rig.model->setKeyBytes("F0Tg", floatBytes(std::numeric_limits<float>::quiet_NaN()));
    rig.setUp();
    EXPECT_EQ(rig.status().autoFloors.at(0), 0.0);

    rig.model->setKeyBytes("F1Tg", floatBytes(std::numeric_limits<float>::infinity()));
    const double before = rig.status().autoFloors.at(1);
    rig.tick(0);
    EXPECT_EQ(rig.status().autoFloors.at(1), before);
}

// The real timer over the manual clock: the first tick 1.0 s after set-up, then one every 1.0 s,
// each at its second and not a moment before.
TEST(FanControllerTimer, TicksOneSecondAfterSetUpThenEverySecond)
{
    ControllerRig rig(profileNamed("two-fan-laptop"), false, {}, true);
    rig.setUp(41);

    // Every idle tick reads each fan's target. The timer reads the manual clock every
    // millisecond, so a tick that is due runs well within the bound.
    const auto ticksAfter = [&](std::chrono::milliseconds by) {
        const std::uint64_t before = rig.readCalls();
        rig.clock.advance(by);
        const auto giveUp = std::chrono::steady_clock::now() + std::chrono::milliseconds(200);
        while (std::chrono::steady_clock::now() < giveUp) {
            rig.controller->poll();
            if (rig.readCalls() > before)
                return true;
            std::this_thread::sleep_for(std::chrono::milliseconds(1));
        }
        return false;
    };
    const struct {
        int advanceMs;
        bool ticks;
    } steps[] = {{0, false}, {999, false}, {1, true},    {999, false},
                 {1, true},  {1000, true}, {500, false}, {500, true}};
    int t = 0;
    for (const auto& step : steps) {
        t += step.advanceMs;
        EXPECT_EQ(ticksAfter(std::chrono::milliseconds(step.advanceMs)), step.ticks)
            << "at " << t << " ms after set-up";
    }
}

} // namespace
} // namespace brisvane::test
