// The controller's state machine, one row per transition: from a state reached over a scripted
// virtual SMC, one event, then the phase, lastError, the SMC writes and the log lines it caused.
#include "tests/helper/ControllerRig.h"

#include <gtest/gtest.h>

#include <functional>
#include <optional>
#include <string>
#include <vector>

namespace brisvane::test {
namespace {

using Phase = HelperControlPhase;

const std::vector<double> kRequest{3000, 3000};

const std::string kStarted =
    "info: takeover started; retrying manual mode until the firmware accepts it";
const std::string kCannotSwitch =
    "This Mac exposes no fan mode key, so its fans cannot be switched to manual control.";
const std::string kDeadline = "The firmware did not grant fan control within 15 s (last error: "
                              "SMC key F0Md error (result 134))";
const std::string kNoService = "SMC unavailable: AppleSMC service not found";
const std::string kHeartbeat = "error: heartbeat timeout - releasing fans";
const std::vector<std::string> kReleaseWrites{"F0Md=0", "F1Md=0", "Ftst=0"};

void stubborn(MachineProfile& profile)
{
    profile.firmware.acceptModeAfterSeconds.reset();
}

// Kept fresh by the app until the firmware deadline fails the takeover at t = 16.
void failByDeadline(ControllerRig& rig)
{
    rig.setTargets(kRequest);
    rig.holdFor(16, kRequest);
    ASSERT_EQ(rig.phase(), Phase::failed);
}

struct Transition {
    std::string name;
    // Empty: no SMC service at all.
    std::string profile = "two-fan-laptop";
    std::function<void(MachineProfile&)> editProfile;
    std::function<void(ControllerRig&)> arrange;
    std::function<void(ControllerRig&)> event;
    Phase phaseAfter;
    std::optional<std::string> lastError;
    std::vector<std::string> writes;
    std::vector<std::string> log;
};

std::ostream& operator<<(std::ostream& out, const Transition& row)
{
    return out << row.name;
}

const auto request = [](std::vector<double> targets) {
    return [targets](ControllerRig& rig) { rig.setTargets(targets); };
};
const auto tick = [](ControllerRig& rig) { rig.tick(); };
const auto release = [](ControllerRig& rig) { rig.releaseControl(); };
const auto nothing = [](ControllerRig&) {};

const Transition kTransitions[] = {
    // any phase, any tick
    {.name = "TickWithoutSmcDoesNothing",
     .profile = "",
     .arrange = request(kRequest),
     .event = tick,
     .phaseAfter = Phase::idle,
     .lastError = kNoService},
    {.name = "TickWithoutFansDoesNothing",
     .profile = "fanless",
     .arrange = request(kRequest),
     .event = [](ControllerRig& rig) { rig.tick(7); },
     .phaseAfter = Phase::failed,
     .lastError = kCannotSwitch},

    // idle or failed, fresh request
    {.name = "RequestWithoutSmcDoesNothing",
     .profile = "",
     .arrange = nothing,
     .event = request(kRequest),
     .phaseAfter = Phase::idle,
     .lastError = kNoService},
    {.name = "RequestDuringBackOffDoesNothing",
     .editProfile = stubborn,
     .arrange = failByDeadline,
     .event =
         [](ControllerRig& rig) {
             rig.advance(3);
             rig.setTargets(kRequest);
         },
     .phaseAfter = Phase::failed,
     .lastError = kDeadline},
    {.name = "RequestWithoutModeKeyFails",
     .editProfile = withoutSecondModeKey,
     .arrange = nothing,
     .event = request(kRequest),
     .phaseAfter = Phase::failed,
     .lastError = kCannotSwitch,
     .log = {"error: takeover failed: " + kCannotSwitch}},
    {.name = "RequestWithRefusedUnlockFails",
     .arrange = [](ControllerRig& rig) { rig.failWrites("Ftst"); },
     .event = request(kRequest),
     .phaseAfter = Phase::failed,
     .lastError = "Firmware unlock request failed: SMC key Ftst error (result 134)",
     .writes = {"Ftst=1 refused 0x86"},
     .log = {"error: takeover failed: Firmware unlock request failed: SMC key Ftst error "
             "(result 134)"}},
    {.name = "RequestBeginsTakeover",
     .arrange = nothing,
     .event = request(kRequest),
     .phaseAfter = Phase::unlocking,
     .writes = {"Ftst=1", "F0Md=1 refused 0x86"},
     .log = {kStarted}},
    {.name = "RequestWithoutUnlockKeyEngagesAtOnce",
     .profile = "one-fan-desktop",
     .arrange = nothing,
     .event = request({3000}),
     .phaseAfter = Phase::controlling,
     .writes = {"F0md=1", "F0Tg=3000"},
     .log = {kStarted, "info: manual mode engaged after 0 s"}},
    {.name = "FreshTickAfterBackOffBeginsNewTakeover",
     .editProfile = stubborn,
     // The app keeps asking; the back-off set at t = 16 ends at t = 36.
     .arrange =
         [](ControllerRig& rig) {
             failByDeadline(rig);
             rig.holdFor(19, kRequest);
             ASSERT_EQ(rig.phase(), Phase::failed);
         },
     .event = tick,
     .phaseAfter = Phase::unlocking,
     .lastError = kDeadline,
     .writes = {"Ftst=1", "F0Md=1 refused 0x86"},
     .log = {kStarted}},

    // unlocking, fresh request or tick
    {.name = "TickEngagesWhenEveryModeKeyAccepts",
     .arrange =
         [](ControllerRig& rig) {
             rig.setTargets(kRequest);
             rig.tick();
             rig.tick();
         },
     .event = tick,
     .phaseAfter = Phase::controlling,
     .writes = {"F0Md=1", "F1Md=1", "F0Tg=3000", "F1Tg=3000"},
     .log = {"info: manual mode engaged after 3 s"}},
    {.name = "RequestEngagesWhenEveryModeKeyAccepts",
     .arrange =
         [](ControllerRig& rig) {
             rig.setTargets(kRequest);
             rig.tick();
             rig.tick();
             rig.advance(1.5);
         },
     .event = request({2500, 2600}),
     .phaseAfter = Phase::controlling,
     .writes = {"F0Md=1", "F1Md=1", "F0Tg=2500", "F1Tg=2600"},
     .log = {"info: manual mode engaged after 3 s"}},
    {.name = "RefusedModeWithinDeadlineRetries",
     .arrange = request(kRequest),
     .event = tick,
     .phaseAfter = Phase::unlocking,
     .writes = {"F0Md=1 refused 0x86"}},
    {.name = "RefusedModeAtExactlyTheDeadlineRetries",
     .editProfile = stubborn,
     .arrange =
         [](ControllerRig& rig) {
             rig.setTargets(kRequest);
             rig.holdFor(14, kRequest);
         },
     .event = tick,
     .phaseAfter = Phase::unlocking,
     .writes = {"F0Md=1 refused 0x86"}},
    {.name = "RefusedModePastTheDeadlineFails",
     .editProfile = stubborn,
     .arrange =
         [](ControllerRig& rig) {
             rig.setTargets(kRequest);
             rig.holdFor(15, kRequest);
         },
     .event = tick,
     .phaseAfter = Phase::failed,
     .lastError = kDeadline,
     // Mode keys back to automatic before the unlock is withdrawn, as in a release.
     .writes = {"F0Md=1 refused 0x86", "F0Md=0", "F1Md=0", "Ftst=0"},
     .log = {"error: takeover failed: " + kDeadline}},

    // controlling, fresh request or tick
    {.name = "FreshTickRewritesTargets",
     .arrange = [](ControllerRig& rig) { rig.engage(); },
     .event = tick,
     .phaseAfter = Phase::controlling,
     .writes = {"F0Tg=3000", "F1Tg=3000"}},

    // stale tick or release request (the controlling ones are the release tests')
    {.name = "UnlockingStaleTickReleases",
     .editProfile = stubborn,
     .arrange =
         [](ControllerRig& rig) {
             rig.setTargets(kRequest);
             for (int i = 0; i < 5; ++i)
                 rig.tick();
         },
     .event = tick,
     .phaseAfter = Phase::idle,
     .writes = kReleaseWrites,
     .log = {kHeartbeat}},
    {.name = "UnlockingReleaseRequestReleases",
     .arrange = request(kRequest),
     .event = release,
     .phaseAfter = Phase::idle,
     .writes = kReleaseWrites},
    {.name = "FailedStaleTickReleasesAndKeepsTheError",
     .editProfile = stubborn,
     .arrange =
         [](ControllerRig& rig) {
             failByDeadline(rig);
             for (int i = 0; i < 5; ++i)
                 rig.tick();
         },
     .event = tick,
     .phaseAfter = Phase::idle,
     .lastError = kDeadline,
     .writes = kReleaseWrites,
     .log = {kHeartbeat}},
    {.name = "FailedReleaseRequestReleasesAndKeepsTheError",
     .editProfile = stubborn,
     .arrange = failByDeadline,
     .event = release,
     .phaseAfter = Phase::idle,
     .lastError = kDeadline,
     .writes = kReleaseWrites},
    {.name = "IdleStaleTickWritesNothing",
     .arrange = nothing,
     .event = tick,
     .phaseAfter = Phase::idle},
    {.name = "IdleStaleTickWithBlockedRequestLogsHeartbeatOnly",
     .editProfile = withoutSecondModeKey,
     // Released out of failed, then asked again during the back-off: idle with a request.
     .arrange =
         [](ControllerRig& rig) {
             rig.setTargets(kRequest);
             rig.releaseControl();
             rig.setTargets(kRequest);
         },
     .event = [](ControllerRig& rig) { rig.tick(6); },
     .phaseAfter = Phase::idle,
     .lastError = kCannotSwitch,
     .log = {kHeartbeat}},
};

class FanControllerTransition : public ::testing::TestWithParam<Transition> {};

TEST_P(FanControllerTransition, LeavesPhaseErrorWritesAndLog)
{
    const Transition& row = GetParam();
    std::optional<MachineProfile> profile;
    if (!row.profile.empty())
        profile = profileNamed(row.profile, row.editProfile);
    ControllerRig rig(std::move(profile));
    if (rig.model)
        rig.model->pinTemperature(40);
    rig.setUp();
    row.arrange(rig);
    if (::testing::Test::HasFatalFailure())
        return;
    rig.drain();

    row.event(rig);

    const HelperStatus status = rig.status();
    EXPECT_EQ(rawValue(status.phase), rawValue(row.phaseAfter));
    EXPECT_EQ(status.lastError, row.lastError);
    EXPECT_EQ(rig.takeWrites(), row.writes);
    EXPECT_EQ(rig.takeLog(), row.log);
}

INSTANTIATE_TEST_SUITE_P(Rows, FanControllerTransition, ::testing::ValuesIn(kTransitions),
                         [](const auto& info) { return info.param.name; });

} // namespace
} // namespace brisvane::test
