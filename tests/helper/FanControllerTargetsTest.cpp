// The targets the controller writes under its two floors, what a failed write leaves behind, the
// heartbeat, the takeover deadline and back-off, machines it cannot control, and how often it
// samples the temperature.
#include "tests/helper/ControllerRig.h"

#include "smc/SMCTemperatureSensors.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <functional>
#include <limits>
#include <string>
#include <vector>

namespace brisvane::test {
namespace {

using Phase = HelperControlPhase;

constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();
constexpr double kInfinity = std::numeric_limits<double>::infinity();

// Fan 0 spans 1200–4800 RPM, fan 1 1200–6000; the firmware takes manual mode at once. The rule
// itself is EffectiveTargetTest's; these rows hold where its inputs come from and the list's shape.
struct TargetCase {
    std::string name;
    double celsius;
    std::vector<float> autoFloors;
    std::vector<double> request;
    std::vector<double> expected;
};

std::ostream& operator<<(std::ostream& out, const TargetCase& row)
{
    return out << row.name;
}

const TargetCase kTargetCases[] = {
    // 80 °C: floor 47.5 %, so 2910 for fan 0 and 3480 for fan 1.
    {"SafetyFloorRaisesALowRequest", 80, {1500, 1500}, {2000, 2000}, {2910, 3480}},
    {"RequestAboveTheMaximumIsCapped", 80, {1500, 1500}, {6000, 7000}, {4800, 6000}},
    {"AutoFloorRaisesARequestBelowSixty", 55, {1500, 1500}, {1000, 1000}, {1500, 1500}},
    {"ShortListGivesMissingFansTheirFloors", 80, {1500, 1500}, {2000}, {2910, 3480}},
    {"LongListIgnoresTheExtraValues", 55, {1500, 1500}, {2000, 2500, 9999}, {2000, 2500}},
    // 67.5 °C: floor 12.5 %.
    {"EmptyListDrivesEveryFanAtItsFloors", 67.5, {1500, 1500}, {}, {1650, 1800}},
    {"NegativeAndNaNCountAsZero", 40, {0, 0}, {-5, kNaN, 2000}, {0, 0}},
    {"InfinityCountsAsZeroNotAsFullSpeed", 40, {0, 0}, {kInfinity, 2000}, {0, 2000}},
};

class FanControllerTargets : public ::testing::TestWithParam<TargetCase> {};

TEST_P(FanControllerTargets, WritesTheLargestFloorCappedAtTheMaximum)
{
    const TargetCase& row = GetParam();
    ControllerRig rig(instantFirmware());
    rig.model->setKeyBytes("F0Mx", floatBytes(4800));
    rig.model->setKeyBytes("F0Tg", floatBytes(row.autoFloors[0]));
    rig.model->setKeyBytes("F1Tg", floatBytes(row.autoFloors[1]));
    rig.setUp(row.celsius);
    rig.drain();

    EXPECT_EQ(rig.setTargets(row.request), row.expected);
    std::vector<std::string> targetWrites;
    for (const std::string& write : rig.takeWrites()) {
        if (write.find("Tg=") != std::string::npos)
            targetWrites.push_back(write);
    }
    std::vector<std::string> expectedWrites;
    for (std::size_t i = 0; i < row.expected.size(); ++i)
        expectedWrites.push_back(writeText("F" + std::to_string(i) + "Tg",
                                           floatBytes(static_cast<float>(row.expected[i])), 0));
    EXPECT_EQ(targetWrites, expectedWrites);
    EXPECT_EQ(rig.status().effectiveTargets, row.expected);
}

INSTANTIATE_TEST_SUITE_P(Floors, FanControllerTargets, ::testing::ValuesIn(kTargetCases),
                         [](const auto& info) { return info.param.name; });

// The app's last request comes at T, `offset` seconds after a tick.
class FanControllerHeartbeat : public ::testing::TestWithParam<double> {};

TEST_P(FanControllerHeartbeat, ReleasesAtTheFirstTickSixSecondsAfterTheLastRequest)
{
    const double offset = GetParam();
    ControllerRig rig("two-fan-laptop");
    rig.setUp(40);
    rig.engage();
    rig.advance(offset);
    rig.setTargets({3000, 3000});
    rig.drain();

    // The ticks keep their one-second grid: the next comes 1 - offset after the request.
    double sinceRequest = -offset;
    for (int i = 0; i < 12; ++i) {
        rig.tick(i == 0 ? 1.0 - offset : 1.0);
        sinceRequest += 1.0;
        const std::vector<std::string> log = rig.takeLog();
        const Phase phase = rig.phase();
        if (sinceRequest < 6.0) {
            EXPECT_EQ(phase, Phase::controlling) << sinceRequest << " s after the request";
            EXPECT_EQ(log, std::vector<std::string>{});
        } else if (sinceRequest < 7.0) {
            EXPECT_EQ(phase, Phase::idle) << sinceRequest << " s after the request";
            EXPECT_EQ(log, (std::vector<std::string>{"error: heartbeat timeout - releasing fans",
                                                     "info: fans returned to macOS control"}));
            EXPECT_EQ(rig.takeWrites(), (std::vector<std::string>{"F0Md=0", "F1Md=0", "Ftst=0"}));
        } else {
            EXPECT_EQ(phase, Phase::idle);
            EXPECT_EQ(log, std::vector<std::string>{}) << "logged again";
            EXPECT_EQ(rig.takeWrites(), std::vector<std::string>{}) << "released again";
        }
        if (sinceRequest < 6.0)
            rig.takeWrites();
    }
}

INSTANTIATE_TEST_SUITE_P(RequestAfterATick, FanControllerHeartbeat,
                         ::testing::Values(0.0, 0.5, 0.999));

// Fan 0 takes manual mode, fan 1 refuses it to the deadline. Left manual, fan 0 would run at a
// target nobody writes for as long as the app keeps asking.
TEST(FanControllerTakeoverDeadline, FanThatTookManualModeIsReturnedWhenTheTakeoverFails)
{
    ControllerRig rig(instantFirmware());
    rig.failWrites("F1Md");
    rig.setUp(40);
    rig.setTargets({3000, 3000});
    EXPECT_EQ(rig.byte("F0Md"), 1);
    rig.holdFor(15, {3000, 3000});
    rig.drain();
    // Fan 0 is also slow to go back: its hand-back is retried through the back-off, fan 1's
    // (never manual) is not.
    rig.failWrites("F0Md", kSmcResultWriteRefused, 2);

    rig.tick();
    EXPECT_EQ(rig.phase(), Phase::failed);
    EXPECT_EQ(rig.takeWrites(),
              (std::vector<std::string>{"F0Md=1 refused 0x86", "F0Md=0 refused 0x86",
                                        "F1Md=0 refused 0x86", "Ftst=0"}));
    // The app keeps asking through the back-off; nothing takes fan 0 again meanwhile.
    rig.holdFor(10, {3000, 3000});
    EXPECT_EQ(rig.byte("F0Md"), 0);
    EXPECT_EQ(rig.takeWrites(), std::vector<std::string>{"F0Md=0"});
}

// A hand-back the SMC refuses is written again on every tick outside control until it is taken:
// one error line at the first refusal, one info line when the fan is back, and nothing more
// once nothing is owed.
struct HandBackCase {
    std::string name;
    std::string key; // refused three times by the SMC after the fans were taken
    std::function<void(ControllerRig&)> release;
    std::vector<std::string> releaseWrites;
    std::string backLine;
    bool fansReturned; // every mode key took automatic at the release
};

std::ostream& operator<<(std::ostream& out, const HandBackCase& row)
{
    return out << row.name;
}

const HandBackCase kHandBackCases[] = {
    {"RefusedModeOnRelease",
     "F1Md",
     [](ControllerRig& rig) { rig.releaseControl(); },
     {"F0Md=0", "F1Md=0 refused 0x86", "Ftst=0"},
     "info: fan mode F1Md accepted automatic - fan returned to macOS control",
     false},
    {"RefusedUnlockOnHeartbeatTimeout",
     "Ftst",
     [](ControllerRig& rig) { rig.tick(6); },
     {"F0Md=0", "F1Md=0", "Ftst=0 refused 0x86"},
     "info: Ftst accepted 0 - firmware unlock withdrawn",
     true},
};

class FanControllerHandBack : public ::testing::TestWithParam<HandBackCase> {};

TEST_P(FanControllerHandBack, IsWrittenAgainEachTickUntilTheSmcTakesIt)
{
    const HandBackCase& row = GetParam();
    ControllerRig rig("two-fan-laptop");
    rig.setUp(40);
    // Five idle ticks: one sensor sample and one target read per fan each.
    const auto idleCalls = [&] {
        const std::uint64_t before = rig.model->callCounts().total();
        for (int i = 0; i < 5; ++i)
            rig.tick();
        return rig.model->callCounts().total() - before;
    };
    const std::uint64_t idleBefore = idleCalls();
    rig.engage();
    rig.drain();
    rig.failWrites(row.key, kSmcResultWriteRefused, 3);
    row.release(rig);
    EXPECT_EQ(rig.takeWrites(), row.releaseWrites);
    const std::string written = row.key + "=0";
    const std::string refused = written + " refused 0x86";
    std::vector<std::string> log = rig.takeLog();
    EXPECT_EQ(std::count_if(log.begin(), log.end(),
                            [&](const std::string& line) {
                                return line.rfind("error: ", 0) == 0 &&
                                       line.find(row.key) != std::string::npos &&
                                       line.find("heartbeat") == std::string::npos;
                            }),
              1)
        << ::testing::PrintToString(log);
    EXPECT_EQ(std::count(log.begin(), log.end(), "info: fans returned to macOS control"),
              row.fansReturned ? 1 : 0);

    // Refused until the fault runs out, whatever the phase; then taken, and nothing more.
    std::vector<std::string> retries;
    for (int i = 0; i < 5; ++i) {
        rig.tick();
        for (const std::string& write : rig.takeWrites())
            if (write.rfind(row.key, 0) == 0)
                retries.push_back(write);
    }
    EXPECT_EQ(retries, (std::vector<std::string>{refused, refused, written}));
    EXPECT_EQ(rig.takeLog(), std::vector<std::string>{row.backLine});
    EXPECT_EQ(rig.byte(row.key.c_str()), 0);
    EXPECT_TRUE(rig.model->violations().empty());

    // Settled: idle ticks cost what they cost before the fans were taken.
    EXPECT_EQ(idleCalls(), idleBefore);
    EXPECT_EQ(rig.takeWrites(), std::vector<std::string>{});
}

INSTANTIATE_TEST_SUITE_P(Refusals, FanControllerHandBack, ::testing::ValuesIn(kHandBackCases),
                         [](const auto& info) { return info.param.name; });

// Fan 1 refuses automatic at a release, the app asks again at once, and the firmware now refuses
// manual mode: the new takeover never reaches fan 1, which is handed back meanwhile instead of
// waiting, manual at its old target, for the takeover's deadline.
TEST(FanControllerHandBackDuringTakeover, AFanTheTakeoverHasNotReachedIsStillHandedBack)
{
    ControllerRig rig(instantFirmware());
    rig.setUp();
    rig.setTargets({3000, 3000});
    ASSERT_EQ(rig.phase(), Phase::controlling);
    rig.failWrites("F1Md", kSmcResultWriteRefused, 3);
    rig.releaseControl();
    rig.model->setModeAcceptDelay(std::nullopt);
    rig.drain();

    rig.setTargets({3000, 3000});
    rig.holdFor(4, {3000, 3000});
    EXPECT_EQ(rig.phase(), Phase::unlocking);
    std::vector<std::string> fan1;
    for (const std::string& write : rig.takeWrites())
        if (write.rfind("F1Md", 0) == 0)
            fan1.push_back(write);
    EXPECT_EQ(fan1,
              (std::vector<std::string>{"F1Md=0 refused 0x86", "F1Md=0 refused 0x86", "F1Md=0"}));
    EXPECT_EQ(rig.byte("F1Md"), 0);
    rig.holdFor(12, {3000, 3000}); // to the takeover's deadline
    EXPECT_TRUE(rig.model->violations().empty());
}

// Machines that cannot be controlled: every request fails at once, at most once every 20 s.
class FanControllerUncontrollable : public ::testing::TestWithParam<std::string> {};

TEST_P(FanControllerUncontrollable, FailsAtOnceAtMostOnceEveryTwentySeconds)
{
    ControllerRig rig(profileNamed(GetParam(), withoutSecondModeKey));
    rig.setUp();
    rig.drain();
    int failures = 0;
    for (int t = 0; t < 45; ++t) {
        rig.setTargets({3000, 3000});
        rig.tick();
        for (const std::string& line : rig.takeLog())
            failures += line.rfind("error: takeover failed: This Mac exposes no fan mode key, so "
                                   "its fans cannot be switched to manual control.",
                                   0) == 0;
    }
    EXPECT_EQ(failures, 3); // t = 0, 20 and 40
    for (const std::string& write : rig.takeWrites())
        EXPECT_EQ(write.find("=1"), std::string::npos) << "took a fan over: " << write;
}

INSTANTIATE_TEST_SUITE_P(Machines, FanControllerUncontrollable,
                         ::testing::Values("fanless", "two-fan-laptop"), [](const auto& info) {
                             return info.param == "fanless" ? std::string("NoFans")
                                                            : std::string("MissingModeKey");
                         });

TEST(FanControllerNoFans, TickSamplesNothing)
{
    ControllerRig rig("fanless");
    rig.setUp(70);
    const std::uint64_t reads = rig.readCalls();
    for (int i = 0; i < 10; ++i)
        rig.tick();
    EXPECT_EQ(rig.readCalls(), reads);
    EXPECT_EQ(rig.status().hottestSensorCelsius, 0.0);
}

struct SamplingCase {
    std::string name;
    double celsius;
    bool stubborn; // the takeover never completes
    std::function<void(ControllerRig&)> arrange;
    int ticks;
    int snapshots;
    int targetReadsPerTick = 0;
};

std::ostream& operator<<(std::ostream& out, const SamplingCase& row)
{
    return out << row.name;
}

// Engaged at t = 3 and asked again then; the ticks that follow are fresh until t = 9.
void engageAndRenew(ControllerRig& rig)
{
    rig.engage();
    rig.setTargets({3000, 3000});
}

const SamplingCase kSamplingCases[] = {
    // Sampled at t = 1 (unlocking), then due again at t = 4 and 7.
    {"ControllingBelowFiftyEveryThreeSeconds", 49.9, false, engageAndRenew, 5, 2},
    // Once in the tick and once more in applyTargets.
    {"ControllingAtFiftyEveryTick", 50.0, false, engageAndRenew, 5, 10},
    {"ControllingHotEveryTick", 80.0, false, engageAndRenew, 5, 10},
    // From t = 1: 1, 6, 11, 16.
    {"IdleEveryFiveSeconds", 80.0, false, [](ControllerRig&) {}, 20, 4, 2},
    {"UnlockingEveryFiveSeconds", 80.0, true,
     [](ControllerRig& rig) {
         rig.setTargets({3000, 3000});
     },
     5, 1},
};

class FanControllerSampling : public ::testing::TestWithParam<SamplingCase> {};

TEST_P(FanControllerSampling, TakesSnapshotsAtThePhasesInterval)
{
    const SamplingCase& row = GetParam();
    ControllerRig rig(profileNamed("two-fan-laptop", [&](MachineProfile& profile) {
        if (row.stubborn)
            profile.firmware.acceptModeAfterSeconds.reset();
    }));
    rig.setUp(row.celsius);
    // What one snapshot costs, measured with a reader of our own.
    SMCTemperatureSensors probe(std::make_shared<SMCConnection>(), rig.clock);
    std::uint64_t before = rig.readCalls();
    probe.snapshot();
    const int readsPerSnapshot = static_cast<int>(rig.readCalls() - before);
    ASSERT_GT(readsPerSnapshot, 0);

    row.arrange(rig);
    before = rig.readCalls();
    for (int i = 0; i < row.ticks; ++i)
        rig.tick();
    // Besides the snapshots, an idle tick reads each fan's target once.
    const int reads =
        static_cast<int>(rig.readCalls() - before) - row.targetReadsPerTick * row.ticks;
    EXPECT_EQ(reads % readsPerSnapshot, 0);
    EXPECT_EQ(reads / readsPerSnapshot, row.snapshots);
}

INSTANTIATE_TEST_SUITE_P(Phases, FanControllerSampling, ::testing::ValuesIn(kSamplingCases),
                         [](const auto& info) { return info.param.name; });

// The virtual SMC's own safety monitor as an independent judge.
std::string describe(const std::vector<SafetyViolation>& violations)
{
    std::string text;
    for (const SafetyViolation& v : violations)
        text += "fan " + std::to_string(v.fan) + " " + SafetyViolation::kindName(v.kind) +
                " from " + std::to_string(v.from) + " to " + std::to_string(v.to) + "; ";
    return text;
}

TEST(FanControllerSafetyMonitor, HotRunWithLowRequestsLeavesNothingToReport)
{
    ControllerRig rig("two-fan-laptop");
    rig.setUp(80);
    for (int i = 0; i < 5; ++i)
        rig.tick(); // macOS's firmware settles on its own target for 80 °C
    rig.setTargets({1300, 1300});
    rig.holdFor(40, {1300, 1300});
    for (int i = 0; i < 10; ++i)
        rig.tick();
    EXPECT_EQ(rig.phase(), Phase::idle);
    EXPECT_TRUE(rig.model->violations().empty()) << describe(rig.model->violations());
}

TEST(FanControllerSafetyMonitor, AFanThatTookManualModeIsDrivenWhileAnotherRefuses)
{
    ControllerRig rig("two-fan-laptop");
    rig.model->setWorkload(1.0, 1.0); // heating: a target left as the firmware set it falls behind
    rig.failWrites("F1Md");
    rig.setUp();
    rig.setTargets({1300, 1300});
    rig.holdFor(60, {1300, 1300}); // two failed takeovers, at t = 16 and t = 52
    ASSERT_EQ(rig.phase(), Phase::failed);
    EXPECT_TRUE(rig.model->violations().empty()) << describe(rig.model->violations());
}

} // namespace
} // namespace brisvane::test
