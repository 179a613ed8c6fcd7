// The app core wired as the app wires it — telemetry store and sampler, helper client, preset
// store, control engine — against a loaded two-fan laptop with the real daemon installed: with
// Cool the SMC receives the curve's targets, with the automatic slot the fans go back to
// macOS, and the safety monitor finds nothing.

#include "tests/app/AppEndToEndSupport.h"

#include "app/core/ControlEngine.h"
#include "app/core/PresetStore.h"
#include "app/core/TelemetryStore.h"

#include <gtest/gtest.h>

#include <chrono>
#include <set>

namespace brisvane {
namespace {

using namespace std::chrono_literals;

class CoreEndToEndTest : public test::SimulatedMacTest {};

TEST_F(CoreEndToEndTest, CoolDrivesTheFansByItsCurveAndTheAutomaticSlotReleasesThem)
{
    auto defaults = makeDefaults();
    // In the app's order: telemetry, helper, presets, engine, then sampling.
    TelemetryStore telemetry(*defaults);
    HelperClient helper;
    helper.refreshInstallState();
    install(helper);
    PresetStore presets(2, makeDirectory("presets"), *defaults);
    ControlEngine engine(telemetry, presets, helper);

    // What every tick sends, worked out from the curve itself after the engine has run.
    std::set<float> curveTargets[2];
    int curveChecks = 0;
    telemetry.onSample([&](const TelemetrySample& sample) {
        if (!presets.activePreset() || sample.fans.size() != 2)
            return;
        const double percent = FanPreset::coolCurve().percent(engine.smoothedTemperature());
        const QList<double> percents{percent, percent};
        EXPECT_EQ(engine.requestedPercents(), percents);
        const QList<double> targets = ControlEngine::targetRPMs(percents, sample.fans);
        for (int fan = 0; fan < 2; ++fan)
            curveTargets[fan].insert(static_cast<float>(targets[fan]));
        ++curveChecks;
    });

    control("load 1 1");
    presets.setActivePresetID(FanPreset::coolID);
    engine.pushSoon();
    telemetry.start();

    // Taken over (the unlock takes 3 s here), then three more pushes under the curve.
    ASSERT_TRUE(test::processEventsUntil([&] { return engine.isOverriding(); }, 20s))
        << daemonLog();
    const int checksAtTakeover = curveChecks;
    ASSERT_TRUE(test::processEventsUntil([&] { return curveChecks >= checksAtTakeover + 3; }, 20s));
    EXPECT_GT(telemetry.systemTemperature().value_or(0), 45);
    EXPECT_EQ(helper.lastStatus()->phase, HelperControlPhase::controlling);

    // Every target the daemon wrote is one the curve asked for (Cool stays above the safety
    // floor at every temperature), and both fans are in manual mode.
    int targetWrites = 0;
    for (const test::SmcWrite& write : takeWrites()) {
        if (write.key != "F0Tg" && write.key != "F1Tg")
            continue;
        const int fan = write.key == "F0Tg" ? 0 : 1;
        EXPECT_EQ(write.result, 0);
        EXPECT_TRUE(curveTargets[fan].count(write.asFloat())) << write << " at t=" << write.t;
        ++targetWrites;
    }
    EXPECT_GE(targetWrites, 4);
    const nlohmann::json controlled = control("status");
    for (const auto& fan : controlled["fans"])
        EXPECT_EQ(fan["mode"], 1);

    // The automatic slot: the next push hands the fans back.
    presets.setActivePresetID(std::nullopt);
    engine.pushSoon();
    ASSERT_TRUE(test::processEventsUntil(
        [&] {
            const auto status = control("status");
            return !engine.isOverriding() && status["ftst"] == 0 &&
                   status["fans"][0]["mode"] == 0 && status["fans"][1]["mode"] == 0;
        },
        10s))
        << daemonLog();
    EXPECT_TRUE(engine.effectiveTargets().isEmpty());
    EXPECT_EQ(engine.requestedPercents(), (QList<double>{0, 0}));
    EXPECT_EQ(test::writeOrder(takeWrites()), test::kReleaseOrder);
    ASSERT_TRUE(test::processEventsUntil(
        [&] { return helper.lastStatus()->phase == HelperControlPhase::idle; }, 10s));

    EXPECT_EQ(control("violations")["violations"], nlohmann::json::array());
    QCoro::waitFor(engine.shutDown());
}

} // namespace
} // namespace brisvane
