// The control engine against a recording helper: smoothing, percentages, RPM targets, the push
// cycle and its release, the debounced push, shutdown and the debug log.

#include "tests/app/AppTestSupport.h"
#include "tests/app/RecordingHelper.h"
#include "tests/app/TelemetryTestSupport.h"
#include "tests/support/EventLoop.h"

#include "app/core/ControlEngine.h"
#include "app/core/PresetStore.h"
#include "app/core/TelemetryStore.h"
#include "app/core/TemperatureSource.h"

#include <QCoroTask>
#include <QLoggingCategory>

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

namespace brisvane {
namespace {

using test::RecordingHelper;
using test::sampleAt;

QStringList messages(const test::LogCapture& log)
{
    QStringList result;
    for (const auto& entry : log.inCategory(QStringLiteral("org.brisvane.Brisvane.engine")))
        result.append(entry.message);
    return result;
}

class ControlEngineTest : public test::AppCoreTest {
protected:
    void SetUp() override
    {
        AppCoreTest::SetUp();
        m_defaults = makeDefaults();
        m_telemetry = std::make_unique<TelemetryStore>(*m_defaults);
        m_presets = std::make_unique<PresetStore>(2, makeDirectory("presets"), *m_defaults);
        m_engine = std::make_unique<ControlEngine>(*m_telemetry, *m_presets, m_helper, m_clock);
    }
    void TearDown() override
    {
        m_engine.reset();
        QLoggingCategory::setFilterRules(QString());
        AppCoreTest::TearDown();
    }

    void activateCool() { m_presets->setActivePresetID(FanPreset::coolID); }
    void activateAutomatic() { m_presets->setActivePresetID(std::nullopt); }

    // One sample, `secondsLater` after the previous one.
    void sampleArrives(double celsius, double secondsLater = 2,
                       std::vector<SMCFanReading> fans = test::laptopFans())
    {
        m_clock.advanceSeconds(secondsLater);
        m_telemetry->ingest(sampleAt(celsius, std::move(fans)));
    }

    RecordingHelper m_helper;
    ManualClock m_clock;
    std::unique_ptr<UserDefaults> m_defaults;
    std::unique_ptr<TelemetryStore> m_telemetry;
    std::unique_ptr<PresetStore> m_presets;
    std::unique_ptr<ControlEngine> m_engine;
};

// Every sample sends targets, then fetches the status.
TEST_F(ControlEngineTest, ARisingTemperatureIsFollowedAtOnce)
{
    activateCool();
    sampleArrives(40);
    sampleArrives(64);
    EXPECT_EQ(m_engine->smoothedTemperature(), 64);
    EXPECT_EQ(m_engine->requestedPercents(), (QList<double>{49, 49}));
    EXPECT_EQ(m_helper.sentTargets.back(), (QList<double>{3552, 3552}));
    EXPECT_EQ(m_engine->effectiveTargets(), (QList<double>{3552, 3552}));
    EXPECT_EQ(m_helper.calls,
              (QStringList{"setTargets", "fetchStatus", "setTargets", "fetchStatus"}));
}

TEST_F(ControlEngineTest, AFallingTemperatureCoolsByHalfADegreePerSecond)
{
    activateCool();
    sampleArrives(80);
    QList<double> smoothed;
    for (int i = 0; i < 33; ++i) {
        sampleArrives(50);
        smoothed.append(m_engine->smoothedTemperature());
    }
    for (int i = 0; i < 30; ++i)
        EXPECT_DOUBLE_EQ(smoothed[i], 79 - i) << "sample " << i + 2;
    EXPECT_EQ(smoothed.mid(29), (QList<double>{50, 50, 50, 50}));

    // Meanwhile a rise cuts the fall short.
    sampleArrives(70);
    EXPECT_EQ(m_engine->smoothedTemperature(), 70);
}

TEST_F(ControlEngineTest, AClockThatStepsBackNeverRaisesTheSmoothedTemperature)
{
    activateCool();
    sampleArrives(80);
    sampleArrives(60, 2); // 79
    sampleArrives(60, -30);
    EXPECT_EQ(m_engine->smoothedTemperature(), 79);
    sampleArrives(60, 4); // counted from the step back: 2 °C
    EXPECT_EQ(m_engine->smoothedTemperature(), 77);
}

TEST_F(ControlEngineTest, ADebouncedPushTakesNoSmoothingStep)
{
    activateCool();
    sampleArrives(80);
    sampleArrives(60); // 79
    m_clock.advanceSeconds(10);
    m_engine->pushSoon();
    ASSERT_TRUE(test::processEventsUntil([&] { return !m_engine->hasPendingPush(); }));
    EXPECT_EQ(m_engine->smoothedTemperature(), 79);
    sampleArrives(60, 2); // 10 + 2 seconds since the last step
    EXPECT_EQ(m_engine->smoothedTemperature(), 73);
}

TEST_F(ControlEngineTest, NoTemperatureDecaysTowardsZero)
{
    activateCool();
    sampleArrives(40);
    m_clock.advanceSeconds(2);
    TelemetrySample unknown = sampleAt(0);
    m_telemetry->ingest(unknown);
    EXPECT_EQ(m_engine->smoothedTemperature(), 39);
}

// A step curve, 0 % below 60 °C and full speed from there, on a machine whose CPU is loaded
// (90 °C) while its GPU idles (40 °C): the preset's own source decides what the fans do.
TEST_F(ControlEngineTest, EachPresetIsEvaluatedAgainstItsOwnSource)
{
    using Source = FanPreset::Source;
    struct Row {
        Source source;
        const char* setting;
        QList<double> percents;
        QStringList calls;
    };
    const QStringList sent{"setTargets", "fetchStatus"};
    const Row rows[] = {
        {Source::gpu, "average", {0, 0}, {"fetchStatus"}},
        {Source::cpu, "average", {100, 100}, sent},
        {Source::hottestCore, "average", {100, 100}, sent},
        {Source::appSetting, "average", {100, 100}, sent},
        {Source::gpu, "hottestCore", {0, 0}, {"releaseControl", "fetchStatus"}}, // was driving
    };
    for (const Row& row : rows) {
        m_defaults->setString(kTemperatureSourceKey, row.setting);
        std::optional<FanPreset> step = m_presets->addPreset("Render");
        ASSERT_TRUE(step);
        step->curves = {FanCurve({{59, 0}, {60, 100}})};
        step->setSource(row.source);
        m_presets->update(*step);
        m_presets->setActivePresetID(step->id);
        m_helper.clear();
        m_clock.advanceSeconds(1000); // any smoothing from the row before has run out
        m_telemetry->ingest(test::sampleWith({90, 95, 40, 42}));
        EXPECT_EQ(m_engine->drivingSource(), row.source) << int(row.source);
        EXPECT_EQ(m_engine->requestedPercents(), row.percents) << int(row.source);
        EXPECT_EQ(m_helper.calls, row.calls) << int(row.source);
        if (row.percents[0] > 0) {
            EXPECT_EQ(m_helper.sentTargets.back(), (QList<double>{6000, 6000}));
        }
        m_presets->deletePreset(*step);
    }
}

// One smoothed temperature follows whichever source drives: a preset that turns to a cooler
// source slows the fans at the cooling rate, and a hotter one is followed at once.
TEST_F(ControlEngineTest, ASwitchOfSourceIsSmoothedLikeAnyOtherFall)
{
    std::optional<FanPreset> render = m_presets->addPreset("Render");
    ASSERT_TRUE(render);
    render->setSource(FanPreset::Source::cpu);
    m_presets->update(*render);
    m_presets->setActivePresetID(render->id);
    const test::Temperatures loadedCPU{90, 95, 40, 42};
    m_telemetry->ingest(test::sampleWith(loadedCPU));
    EXPECT_EQ(m_engine->smoothedTemperature(), 90);

    render->setSource(FanPreset::Source::gpu);
    m_presets->update(*render);
    for (double expected : {89.0, 88.0, 87.0}) {
        m_clock.advanceSeconds(2);
        m_telemetry->ingest(test::sampleWith(loadedCPU));
        EXPECT_EQ(m_engine->smoothedTemperature(), expected);
    }
    m_clock.advanceSeconds(200);
    m_telemetry->ingest(test::sampleWith(loadedCPU));
    EXPECT_EQ(m_engine->smoothedTemperature(), 40);

    // The automatic slot follows the app's setting again: the average, 90 °C.
    activateAutomatic();
    EXPECT_EQ(m_engine->drivingSource(), FanPreset::Source::appSetting);
    m_clock.advanceSeconds(2);
    m_telemetry->ingest(test::sampleWith(loadedCPU));
    EXPECT_EQ(m_engine->smoothedTemperature(), 90);
}

TEST_F(ControlEngineTest, PercentagesBecomeRPMTargets)
{
    const double nan = std::numeric_limits<double>::quiet_NaN();
    struct Row {
        double percent, minRPM, maxRPM, target;
    };
    const Row rows[] = {
        {49, 1200, 6000, 3552},  {100, 1200, 6000, 6000},
        {150, 1200, 6000, 6000}, {0, 1200, 6000, 0},
        {-5, 1200, 6000, 0},     {nan, 1200, 6000, 0},
        {1, 1200, 6000, 1248},   {0.01, 1200, 6000, 1200},
        {50, 0, 0, 0},           {0, 2000, 2000, 2000},
        {80, 3000, 2500, 2500},  {12.5, 1000, 1004, 1001}, // 1000.5 rounds away from zero
    };
    for (const Row& row : rows) {
        const QList<double> targets =
            ControlEngine::targetRPMs({row.percent}, {test::fanReading(0, row.minRPM, row.maxRPM)});
        ASSERT_EQ(targets.size(), 1);
        EXPECT_EQ(targets[0], row.target)
            << row.percent << "% of " << row.minRPM << "-" << row.maxRPM;
    }
    // The shorter list decides how many targets there are.
    EXPECT_EQ(ControlEngine::targetRPMs({50, 50, 50}, test::laptopFans()).size(), 2);
    EXPECT_EQ(ControlEngine::targetRPMs({50}, test::laptopFans()).size(), 1);
}

// The automatic slot, and a curve at zero like it, release once while overriding.
TEST_F(ControlEngineTest, TheAutomaticSlotReleasesOnceWhileOverriding)
{
    for (const bool automatic : {true, false}) {
        activateCool();
        sampleArrives(64, 200);
        ASSERT_TRUE(m_engine->isOverriding());
        m_helper.clear();

        if (automatic)
            activateAutomatic();
        sampleArrives(automatic ? 64 : 20, 200); // 20: far below Cool's first point
        EXPECT_EQ(m_helper.calls, (QStringList{"releaseControl", "fetchStatus"})) << automatic;
        EXPECT_FALSE(m_engine->isOverriding());
        EXPECT_TRUE(m_engine->effectiveTargets().isEmpty());
        EXPECT_EQ(m_engine->requestedPercents(), (QList<double>{0, 0}));

        m_helper.clear();
        sampleArrives(automatic ? 64 : 20);
        EXPECT_EQ(m_helper.calls, (QStringList{"fetchStatus"}));
    }
}

TEST_F(ControlEngineTest, BoostRaisesEveryFanEvenInTheAutomaticSlot)
{
    m_engine->setQuickBoostPercent(50);
    sampleArrives(40);
    EXPECT_EQ(m_engine->requestedPercents(), (QList<double>{50, 50}));
    EXPECT_EQ(m_helper.sentTargets.back(), (QList<double>{3600, 3600}));

    // With Cool at 64 °C (49 %) the boost is the floor; at 72 °C (73 %) the curve wins.
    activateCool();
    sampleArrives(64);
    EXPECT_EQ(m_engine->requestedPercents(), (QList<double>{50, 50}));
    sampleArrives(72);
    EXPECT_EQ(m_engine->requestedPercents(), (QList<double>{73, 73}));

    m_engine->setQuickBoostPercent(250);
    EXPECT_EQ(m_engine->quickBoostPercent(), 100);
    m_engine->setQuickBoostPercent(std::numeric_limits<double>::quiet_NaN());
    EXPECT_EQ(m_engine->quickBoostPercent(), 0);
}

TEST_F(ControlEngineTest, PushSoonBeforeAnySampleDoesNothingAndThreeCallsMakeOnePush)
{
    m_engine->pushSoon();
    ASSERT_TRUE(test::processEventsUntil([&] { return !m_engine->hasPendingPush(); }));
    EXPECT_TRUE(m_helper.calls.isEmpty());

    activateCool();
    sampleArrives(64);
    m_helper.clear();
    for (int i = 0; i < 3; ++i)
        m_engine->pushSoon();
    m_engine->setQuickBoostPercent(0);     // the current value: no change, still a push
    EXPECT_TRUE(m_helper.calls.isEmpty()); // nothing before the delay
    ASSERT_TRUE(test::processEventsUntil([&] { return !m_engine->hasPendingPush(); }));
    EXPECT_EQ(m_helper.calls, (QStringList{"setTargets", "fetchStatus"}));
}

TEST_F(ControlEngineTest, AnEmptyOrMissingAnswerEndsOverriding)
{
    activateCool();
    sampleArrives(64);
    ASSERT_TRUE(m_engine->isOverriding());

    for (const std::optional<QList<double>>& answer :
         {std::optional<QList<double>>(QList<double>{}), std::optional<QList<double>>()}) {
        m_helper.setTargetsAnswer.emplace(answer);
        sampleArrives(64);
        EXPECT_FALSE(m_engine->isOverriding());
        EXPECT_TRUE(m_engine->effectiveTargets().isEmpty());
        EXPECT_EQ(m_engine->requestedPercents(), (QList<double>{49, 49}));

        m_helper.setTargetsAnswer.reset();
        sampleArrives(64);
        EXPECT_TRUE(m_engine->isOverriding());
    }
}

TEST_F(ControlEngineTest, NothingIsSentWithoutAnInstalledHelperOrWithoutFans)
{
    QLoggingCategory::setFilterRules(QStringLiteral("org.brisvane.Brisvane.engine.debug=true"));
    activateCool();
    sampleArrives(64);
    ASSERT_TRUE(m_engine->isOverriding());
    m_helper.clear();

    test::LogCapture log;
    m_helper.setState(HelperState::notInstalled);
    sampleArrives(64);
    EXPECT_TRUE(m_helper.calls.isEmpty());
    EXPECT_TRUE(m_engine->requestedPercents().isEmpty());
    EXPECT_FALSE(m_engine->isOverriding());
    EXPECT_EQ(m_engine->effectiveTargets(), (QList<double>{3552, 3552})); // left as it was

    m_helper.setState(HelperState::installed);
    sampleArrives(64, 2, {});
    EXPECT_TRUE(m_helper.calls.isEmpty());

    EXPECT_EQ(messages(log), (QStringList{"not pushing: fans=2 helperInstalled=false",
                                          "not pushing: fans=0 helperInstalled=true"}));

    // Unreachable still counts as installed.
    m_helper.setState(HelperState::unreachable);
    sampleArrives(64);
    EXPECT_EQ(m_helper.count("setTargets"), 1);
}

TEST_F(ControlEngineTest, ShutDownCancelsThePendingPushAndReleases)
{
    activateCool();
    sampleArrives(64);
    m_helper.clear();
    m_engine->pushSoon();
    QCoro::waitFor(m_engine->shutDown());
    EXPECT_FALSE(m_engine->hasPendingPush());
    EXPECT_EQ(m_helper.calls, (QStringList{"releaseControl"}));
    EXPECT_FALSE(m_engine->isOverriding());
}

TEST_F(ControlEngineTest, TheLastAnswerToArriveWins)
{
    activateCool();
    m_helper.hold = true;
    m_helper.setTargetsAnswer = QList<double>{5000, 5000};
    sampleArrives(64); // its push waits in setTargets
    m_helper.hold = false;
    m_helper.setTargetsAnswer = QList<double>{3552, 3552};
    sampleArrives(64); // answered at once
    EXPECT_EQ(m_engine->effectiveTargets(), (QList<double>{3552, 3552}));
    m_helper.setTargetsAnswer = QList<double>{5000, 5000};
    m_helper.release();
    ASSERT_TRUE(test::processEventsUntil([&] {
        return m_engine->effectiveTargets() == QList<double>{5000, 5000};
    }));
}

TEST_F(ControlEngineTest, APushThatOutlivesTheEngineStopsQuietly)
{
    activateCool();
    m_helper.hold = true;
    sampleArrives(64);
    m_engine.reset();
    m_helper.release();
    QCoreApplication::processEvents();
    // Only the call that was already under way happened; nothing touched the dead engine.
    EXPECT_EQ(m_helper.calls, (QStringList{"setTargets"}));
}

} // namespace
} // namespace brisvane
