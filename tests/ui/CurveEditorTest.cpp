// The curve editor's decisions: plot geometry, grid, the drawn line, tap and drag rules, the
// callout, and how edits reach the preset store and the engine.

#include "tests/app/TelemetryTestSupport.h"
#include "tests/support/EventLoop.h"
#include "tests/ui/UiTestSupport.h"

#include "app/core/ControlEngine.h"
#include "app/core/PresetStore.h"
#include "app/ui/curves/CurveChart.h"
#include "app/ui/curves/CurveChartModel.h"
#include "app/ui/curves/CurveEditor.h"
#include "app/ui/curves/CurveFans.h"

#include <gtest/gtest.h>

namespace brisvane {
namespace {

// 90 × 100 points: one point per °C from 20 °C and one per percent from the top.
constexpr CurvePlotGeometry kUnitPlot{90, 100};
constexpr CurvePlotGeometry kWidePlot{900, 300};
constexpr CurvePlotGeometry kSmallPlot{180, 100};

class CurveEditorTest : public test::UiTest {
protected:
    void SetUp() override
    {
        UiTest::SetUp();
        m_defaults = makeDefaults();
        m_state = makeState(*m_defaults);
        m_editor = std::make_unique<CurveEditor>(store(), m_state->engine());
    }
    PresetStore& store() const { return m_state->presets(); }
    // The user's editable copy of a built-in preset, selected.
    FanPreset copyOf(const QUuid& builtIn)
    {
        return *m_editor->duplicateForEditing(*store().presetWithID(builtIn));
    }
    FanCurve storedCurve(const FanPreset& preset) const
    {
        const FanPreset* stored = store().presetWithID(preset.id);
        EXPECT_EQ(stored->curves.size(), 2);
        EXPECT_EQ(stored->curves.first(), stored->curves.last()) << "one curve for both fans";
        return stored->curves.first();
    }

    std::unique_ptr<UserDefaults> m_defaults;
    std::unique_ptr<AppState> m_state;
    std::unique_ptr<CurveEditor> m_editor;
};

TEST_F(CurveEditorTest, GeometryMapsBothWaysAndClampsToThePlot)
{
    const struct {
        CurvePlotGeometry plot;
        double x, y, tempC, percent;
    } rows[] = {
        {kWidePlot, 450, 150, 65, 50},
        {kWidePlot, -40, -10, 20, 100},
        {kWidePlot, 950, 400, 110, 0},
        {CurvePlotGeometry{0, 0}, 10, 10, 20, 0},
    };
    for (const auto& row : rows) {
        EXPECT_DOUBLE_EQ(row.plot.temperature(row.x), row.tempC) << row.x;
        EXPECT_DOUBLE_EQ(row.plot.percent(row.y), row.percent) << row.y;
    }
}

TEST_F(CurveEditorTest, TemperatureLinesAre30DegreesApartBelowNineColumns)
{
    const struct {
        double width;
        QList<double> values;
    } rows[] = {
        {9 * 34, {20, 30, 40, 50, 60, 70, 80, 90, 100, 110}},
        {9 * 34 - 1, {20, 50, 80, 110}},
    };
    for (const auto& row : rows) {
        QList<double> values;
        for (const CurveGridLine& line : CurveChart::temperatureLines({row.width, 100}))
            values.append(line.value);
        EXPECT_EQ(values, row.values) << row.width;
    }
    const auto lines = CurveChart::temperatureLines(kWidePlot);
    EXPECT_EQ(lines.first().label, QString()) << "the left edge has no label";
    EXPECT_EQ(lines[1], (CurveGridLine{30, 100, QStringLiteral("30°")}));
    EXPECT_EQ(CurveChart::percentLines(kUnitPlot).last(),
              (CurveGridLine{100, 0, QStringLiteral("100%")}));
}

TEST_F(CurveEditorTest, LineIsTheEnginesCurveOverTheWholePlot)
{
    const struct {
        FanCurve curve;
        QPolygonF line;
    } rows[] = {
        {FanCurve(), {}},
        {FanCurve({{40, 30}, {60, 80}}), {{0, 100}, {20, 100}, {20, 70}, {40, 20}, {90, 20}}},
        {FanPreset::fullSpeedCurve(), {{0, 0}, {90, 0}}},
        // From a hand-edited file: the plot's edges cut the line where the engine evaluates it.
        {FanCurve({{10, 0}, {120, 100}}), {{0, 100 - 100.0 / 11}, {90, 100 - 1000.0 / 11}}},
        {FanCurve({{115, 60}}), {{0, 100}, {90, 100}, {90, 100}}},
    };
    for (const auto& row : rows)
        EXPECT_EQ(CurveChart::linePolyline(row.curve, kUnitPlot), row.line);
    const QPolygonF area = CurveChart::areaPolygon(rows[1].curve, kUnitPlot);
    EXPECT_EQ(area.mid(area.size() - 2), QPolygonF({{90, 100}, {0, 100}}));

    // Past the right edge: the line at the edge, its label 24 points inside, the dot on the line.
    EXPECT_EQ(CurveChart::liveMarker(rows[1].curve, kUnitPlot, 150.4),
              (CurveLiveMarker{90, 66, QStringLiteral("150°"), {90, 20}}));
    EXPECT_FALSE(CurveChart::liveMarker(rows[1].curve, kUnitPlot, std::nullopt));
}

TEST_F(CurveEditorTest, TapAddsOnlyClearOfEveryPoint)
{
    const FanCurve cool = FanPreset::coolCurve(); // first points (30, 0), (45, 15)
    const struct {
        CurvePlotGeometry plot;
        double tempC, percent;
        std::optional<FanCurvePoint> added;
    } rows[] = {
        {kWidePlot, 31, 100, std::nullopt},             // 1 °C beside, far away on screen
        {kSmallPlot, 33, 0, std::nullopt},              // 3 °C beside, 6 points away
        {kWidePlot, 33, 0, FanCurvePoint{33, 0}},       // 3 °C beside, 30 points away
        {kWidePlot, 200, 50, FanCurvePoint{110, 50}},   // past the right edge
        {kWidePlot, 37.4, 60.6, FanCurvePoint{37, 61}}, // rounded
        {kWidePlot, -10, -10, FanCurvePoint{20, 0}},
    };
    for (const auto& row : rows) {
        const QPointF tap = row.plot.position(row.tempC, row.percent);
        EXPECT_EQ(CurveChart::tapCandidate(cool, row.plot, tap), row.added) << row.tempC;
    }
}

TEST_F(CurveEditorTest, DragsStayWithinTheCurvesLimitsAndCommitOnce)
{
    const FanPreset preset = copyOf(FanPreset::coolID);
    const struct {
        QPointF pointer;
        FanCurvePoint first;
    } rows[] = {
        {{-500, 400}, {20, 0}},     // far left: the lower bound
        {{2000, -50}, {44, 100}},   // far right: 1 °C before the second point at 45 °C
        {{252, 149}, {45 - 1, 50}}, // 45.2 °C stays 1 °C short; 50.3 % rounds
    };
    for (const auto& row : rows) {
        const FanCurvePoint to = CurveChart::dragValue(kWidePlot, row.pointer);
        m_editor->movePoint(0, to.tempC, to.percent, false);
        EXPECT_EQ(m_editor->displayedCurve().points.first(), row.first);
        EXPECT_EQ(storedCurve(preset), FanPreset::coolCurve()) << "a drag lives in the draft";
        EXPECT_FALSE(m_state->engine().hasPendingPush());
    }
    // Released where the last step left it: still stored, for both fans, and pushed.
    m_editor->movePoint(0, 44, 50, true);
    EXPECT_FALSE(m_editor->draftPreset());
    EXPECT_EQ(storedCurve(preset).points.first(), (FanCurvePoint{44, 50}));
    EXPECT_TRUE(m_state->engine().hasPendingPush());
}

TEST_F(CurveEditorTest, BuiltInsAndTheLastPointCannotBeEdited)
{
    m_editor->setSelectedPresetID(FanPreset::coolID);
    m_editor->movePoint(0, 25, 10, true);
    m_editor->addPoint(100, 100);
    m_editor->deletePoint(0);
    EXPECT_EQ(store().presetWithID(FanPreset::coolID)->curves.first(), FanPreset::coolCurve());

    const FanPreset single = copyOf(FanPreset::fullSpeedID);
    EXPECT_FALSE(m_editor->canDeletePoint());
    m_editor->deletePoint(0);
    EXPECT_EQ(storedCurve(single), FanPreset::fullSpeedCurve());
    EXPECT_FALSE(m_state->engine().hasPendingPush());

    m_editor->addPoint(21, 0); // within 2 °C: ignored
    m_editor->addPoint(150, 140);
    EXPECT_EQ(storedCurve(single).points, (QList<FanCurvePoint>{{20, 100}, {110, 100}}));
    m_editor->deletePoint(0);
    EXPECT_EQ(storedCurve(single).points, (QList<FanCurvePoint>{{110, 100}}));
}

TEST_F(CurveEditorTest, KeyboardNudgesStepThroughTheSameLimits)
{
    const FanPreset preset = copyOf(FanPreset::coolID); // first (30, 0), second at 45 °C
    const struct {
        int dt, dp;
        bool large;
        FanCurvePoint first;
    } steps[] = {
        {1, 0, false, {31, 0}},  {1, 0, false, {32, 0}}, {1, 0, false, {33, 0}},
        {0, 1, false, {33, 1}},  {0, 1, false, {33, 2}}, {0, -1, true, {33, 0}},
        {1, 5, true, {38, 25}},  {1, 0, true, {43, 25}}, {1, 0, true, {44, 25}},
        {-1, 0, true, {39, 25}},
    };
    for (const auto& step : steps) {
        m_editor->nudgePoint(0, step.dt, step.dp, step.large);
        EXPECT_EQ(storedCurve(preset).points.first(), step.first);
    }
    m_editor->movePoint(0, 70, 25, true); // a typed temperature: clamped like a drag
    EXPECT_EQ(storedCurve(preset).points.first(), (FanCurvePoint{44, 25}));
}

TEST_F(CurveEditorTest, NewPresetsAreNumberedUpToTheLimit)
{
    const QStringList names = {QStringLiteral("My Curve"), QStringLiteral("My Curve 2"),
                               QStringLiteral("My Curve 3")};
    for (const QString& name : names) {
        const auto created = m_editor->createPreset();
        ASSERT_TRUE(created);
        EXPECT_EQ(created->name, name);
        EXPECT_EQ(m_editor->selectedPreset()->id, created->id);
        EXPECT_FALSE(store().activePresetID()) << "selecting is not activating";
    }
    EXPECT_FALSE(m_editor->createPreset());
    EXPECT_FALSE(m_editor->duplicateForEditing(store().presets().first()));
    EXPECT_EQ(m_editor->customizeToolTip(store().canAddPreset()),
              qtTrId("presets.limitReachedHelp").arg(3));

    // A gap is filled first.
    const FanPreset second = store().presets()[3];
    store().deletePreset(second);
    EXPECT_EQ(m_editor->createPreset()->name, names[1]);
}

TEST_F(CurveEditorTest, SelectionFallsBackAndAChangeDropsTheDraft)
{
    EXPECT_EQ(m_editor->selectedPreset()->id, FanPreset::coolID);
    const FanPreset user = copyOf(FanPreset::fullSpeedID);
    m_editor->setSelectedPresetID(QUuid::createUuid()); // gone: falls back
    EXPECT_EQ(m_editor->selectedPreset()->id, user.id) << "the first user preset";
    store().setActivePresetID(FanPreset::fullSpeedID);
    EXPECT_EQ(m_editor->selectedPreset()->id, FanPreset::fullSpeedID) << "the active preset";
    m_editor->adoptInitialSelection();
    EXPECT_EQ(m_editor->selectedPresetID(), FanPreset::fullSpeedID);

    m_editor->setSelectedPresetID(user.id);
    m_editor->movePoint(0, 60, 40, false);
    EXPECT_TRUE(m_editor->draftPreset());
    m_editor->setSelectedPresetID(FanPreset::coolID);
    EXPECT_FALSE(m_editor->draftPreset());
    EXPECT_EQ(storedCurve(user), FanPreset::fullSpeedCurve());
}

TEST_F(CurveEditorTest, CalloutTextAndPlacement)
{
    const SMCFanReading fan = test::fanReading(0, 200, 900);
    SMCFanReading fixed = fan;
    fixed.minRPM = fixed.maxRPM;
    const struct {
        double tempC, percent;
        std::optional<SMCFanReading> fan;
        const char* text;
    } texts[] = {
        {62.9, 40.7, std::nullopt, "62 °C · 40%"},
        {62, 0, fan, "62 °C · 0% · macOS decides"},
        {62, 50, fan, "62 °C · 50% · about 550 RPM"},
        {62, 10, fixed, "62 °C · 10% · about 900 RPM"}, // no range: the engine asks for max
    };
    for (const auto& row : texts)
        EXPECT_EQ(CurveChart::calloutText(row.tempC, row.percent, row.fan),
                  QString::fromUtf8(row.text));

    const struct {
        CurvePlotGeometry plot;
        QPointF anchor, center;
    } places[] = {
        {{400, 300}, {200, 47}, {200, 15}}, {{400, 300}, {200, 46}, {200, 78}},
        {{400, 300}, {10, 200}, {78, 168}}, {{400, 300}, {395, 200}, {322, 168}},
        {{100, 300}, {90, 200}, {50, 168}}, // narrower than both insets: centred
    };
    for (const auto& row : places)
        EXPECT_EQ(CurveChart::calloutCenter(row.plot, row.anchor), row.center) << row.anchor.y();
}

TEST_F(CurveEditorTest, TheScreensEditorIsReadOnlyUntilACopyIsMade)
{
    CurveEditor screen;
    EXPECT_FALSE(screen.hasPreset()) << "no state: the empty state, and nothing to edit";
    EXPECT_FALSE(screen.createPreset());
    screen.setPresets(&m_state->presets());
    screen.setEngine(&m_state->engine());
    CurveChartModel chart;
    chart.setEditor(&screen);
    chart.setPlotWidth(kWidePlot.width);
    chart.setPlotHeight(kWidePlot.height);
    const QPointF emptySpot = kWidePlot.position(95, 40);
    EXPECT_TRUE(screen.isBuiltIn());
    EXPECT_FALSE(chart.tapCandidate(emptySpot).isValid()) << "no ghost on a built-in curve";

    screen.customize();
    EXPECT_FALSE(screen.isBuiltIn());
    EXPECT_FALSE(store().activePresetID()) << "the copy is selected, not activated";
    const FanPreset copy = *screen.selectedPreset();
    EXPECT_TRUE(chart.tapCandidate(emptySpot).isValid());
    screen.customize(); // of a user preset: nothing
    EXPECT_EQ(store().presets().size(), 3);

    // The chart shows the draft while a drag runs.
    screen.movePoint(0, 40, 20, false);
    EXPECT_EQ(chart.handles().first().toMap().value(QStringLiteral("x")).toDouble(),
              kWidePlot.x(40));
    screen.movePoint(0, 40, 20, true);

    // Typed values: out of range is clamped, not a number is ignored.
    const struct {
        bool temperature;
        double typed;
        FanCurvePoint second;
    } typed[] = {
        {false, 150, {45, 100}},
        {true, std::numeric_limits<double>::quiet_NaN(), {45, 100}},
        {true, 10, {41, 100}}, // 1 °C after the first point, now at 40 °C
    };
    for (const auto& row : typed) {
        if (row.temperature)
            screen.setPointTemperature(1, row.typed);
        else
            screen.setPointPercent(1, row.typed);
        EXPECT_EQ(storedCurve(copy).points[1], row.second) << row.typed;
    }
    screen.select(QStringLiteral("not an id"));
    EXPECT_EQ(screen.selectedPreset()->id, copy.id) << "falls back to the first user preset";
}

// The picker's rules on curve arrays of every shape, for a machine with two fans.
TEST_F(CurveEditorTest, FanChoicesReadAndWriteCurvesAsTheEngineDoes)
{
    const FanCurve a({{50, 10}});
    const FanCurve b({{60, 20}});
    const FanCurve c({{70, 30}});
    const FanCurve e({{40, 99}}); // the edit's result
    constexpr int all = CurveFans::kAllFans;
    struct Row {
        QList<FanCurve> curves;
        int choice;
        int initial;
        FanCurve shown;
        QList<FanCurve> afterEdit;
        bool asksToUnify;
    };
    const Row rows[] = {
        {{a, a}, all, all, a, {e, e}, false},
        {{a}, all, all, a, {e, e}, false},
        {{}, all, all, FanCurve{}, {e, e}, false},
        {{a}, 1, all, a, {a, e}, false}, // filled out with the last curve first
        {{a}, 0, all, a, {e, a}, false},
        {{a, b}, 1, 0, b, {a, e}, true},
        {{a, b}, 0, 0, a, {e, b}, true},
        {{a, b, c}, 0, 0, a, {e, b, c}, true},      // the surplus curve stays
        {{a, a, c}, all, all, a, {e, e, c}, false}, // a surplus curve drives no fan
        {{a, b, c}, all, 0, a, {e, e, c}, true},
    };
    for (const Row& row : rows) {
        const std::string label =
            std::to_string(row.curves.size()) + " curves, choice " + std::to_string(row.choice);
        EXPECT_EQ(CurveFans::initialChoice(row.curves, 2), row.initial) << label;
        EXPECT_EQ(CurveFans::shownCurve(row.curves, row.choice), row.shown) << label;
        EXPECT_EQ(CurveFans::withEdit(row.curves, row.choice, 2, e), row.afterEdit) << label;
        EXPECT_EQ(CurveFans::needsUnifyConfirmation(row.curves, 2, all), row.asksToUnify) << label;
        EXPECT_FALSE(CurveFans::needsUnifyConfirmation(row.curves, 2, 0)) << label;
    }
    EXPECT_EQ(CurveFans::otherFansCurves({a, b}, 0, 2), QList<FanCurve>{b});
    EXPECT_EQ(CurveFans::otherFansCurves({a}, 1, 3), (QList<FanCurve>{a, a}));
    EXPECT_TRUE(CurveFans::otherFansCurves({a, b}, all, 2).isEmpty());
    EXPECT_EQ(CurveFans::validChoice(2, 2), all);
    EXPECT_EQ(CurveFans::validChoice(-7, 2), all);
    EXPECT_EQ(CurveFans::validChoice(1, 2), 1);
}

TEST_F(CurveEditorTest, AnEditWithOneFanChosenChangesOnlyThatFan)
{
    FanPreset preset = copyOf(FanPreset::coolID);
    preset.curves = {FanPreset::coolCurve()}; // an older file with one curve for both fans
    store().update(preset);
    EXPECT_EQ(m_editor->fanChoice(), CurveFans::kAllFans) << "the fans share one curve";
    EXPECT_EQ(m_editor->fanChoices().size(), 3);
    EXPECT_TRUE(m_editor->showsFanPicker());

    m_editor->chooseFan(1);
    EXPECT_FALSE(m_editor->unifyPending());
    EXPECT_EQ(m_editor->otherFansCurves(), QList<FanCurve>{FanPreset::coolCurve()});
    m_editor->movePoint(0, 35, 20, false);
    EXPECT_EQ(store().presetWithID(preset.id)->curves.size(), 1) << "a drag lives in the draft";
    m_editor->movePoint(0, 35, 20, true);
    const QList<FanCurve> stored = store().presetWithID(preset.id)->curves;
    ASSERT_EQ(stored.size(), 2);
    EXPECT_EQ(stored[0], FanPreset::coolCurve());
    EXPECT_EQ(stored[1].points.first(), (FanCurvePoint{35, 20}));
    EXPECT_EQ(m_editor->displayedCurve(), stored[1]);
    EXPECT_TRUE(m_state->engine().hasPendingPush());
    EXPECT_EQ(m_editor->fanChoice(), 1) << "the edit keeps the picker where it was";

    // Opened again, differing fans open on the first fan.
    m_editor->setSelectedPresetID(FanPreset::coolID);
    m_editor->setSelectedPresetID(preset.id);
    EXPECT_EQ(m_editor->fanChoice(), 0);
    EXPECT_EQ(m_editor->displayedCurve(), FanPreset::coolCurve());
}

TEST_F(CurveEditorTest, AllFansOnDifferingCurvesWritesNothingUntilConfirmed)
{
    FanPreset preset = copyOf(FanPreset::coolID);
    const FanCurve right({{40, 5}, {90, 60}});
    preset.curves = {FanPreset::coolCurve(), right};
    store().update(preset);
    m_editor->setSelectedPresetID(FanPreset::coolID);
    m_editor->setSelectedPresetID(preset.id);
    m_editor->chooseFan(1);

    for (const bool confirm : {false, true}) {
        m_editor->chooseFan(CurveFans::kAllFans);
        EXPECT_TRUE(m_editor->unifyPending());
        EXPECT_EQ(m_editor->fanChoice(), 1) << "still on the right fan while asking";
        EXPECT_EQ(store().presetWithID(preset.id)->curves, preset.curves);
        if (!confirm) {
            m_editor->cancelUnify();
            EXPECT_FALSE(m_editor->unifyPending());
            m_editor->confirmUnify(); // nothing is pending any more
            EXPECT_EQ(store().presetWithID(preset.id)->curves, preset.curves);
            EXPECT_EQ(m_editor->fanChoice(), 1);
            continue;
        }
        m_editor->confirmUnify();
    }
    EXPECT_FALSE(m_editor->unifyPending());
    EXPECT_EQ(m_editor->fanChoice(), CurveFans::kAllFans);
    EXPECT_EQ(store().presetWithID(preset.id)->curves, (QList<FanCurve>{right, right}))
        << "every fan follows the curve that was shown";
    EXPECT_TRUE(m_state->engine().hasPendingPush());

    // A pending question does not survive another selection.
    preset.curves = {FanPreset::coolCurve(), right};
    store().update(preset);
    m_editor->chooseFan(CurveFans::kAllFans);
    ASSERT_TRUE(m_editor->unifyPending());
    m_editor->setSelectedPresetID(FanPreset::coolID);
    EXPECT_FALSE(m_editor->unifyPending());
}

TEST_F(CurveEditorTest, TheSourcePickerChangesUserPresetsOnly)
{
    m_editor->setSelectedPresetID(FanPreset::coolID);
    m_editor->setPresetSource(FanPreset::Source::gpu);
    EXPECT_EQ(store().presetWithID(FanPreset::coolID)->source(), FanPreset::Source::appSetting);
    EXPECT_FALSE(m_state->engine().hasPendingPush());

    const FanPreset preset = copyOf(FanPreset::coolID);
    EXPECT_EQ(m_editor->presetSource(), FanPreset::Source::appSetting);
    m_editor->chooseSource(FanPreset::Source::gpu);
    EXPECT_EQ(store().presetWithID(preset.id)->source(), FanPreset::Source::gpu);
    EXPECT_EQ(m_editor->presetSource(), FanPreset::Source::gpu);
    EXPECT_TRUE(m_state->engine().hasPendingPush());
    for (const int noEntry : {9, -1}) // as a number from the screen may come
        m_editor->chooseSource(static_cast<FanPreset::Source>(noEntry));
    EXPECT_EQ(m_editor->presetSource(), FanPreset::Source::gpu);

    // A text from a newer build shows as the app's setting; choosing that drops the text.
    FanPreset newer = *store().presetWithID(preset.id);
    newer.temperatureSourceText = "npu";
    store().update(newer);
    EXPECT_EQ(m_editor->presetSource(), FanPreset::Source::appSetting);
    m_editor->chooseSource(FanPreset::Source::appSetting);
    EXPECT_TRUE(store().presetWithID(preset.id)->temperatureSourceText.isEmpty());

    // Each entry names its source in the catalogue, the app's setting first.
    const QVariantList choices = CurveEditor::sourceChoices();
    ASSERT_EQ(choices.size(), 4);
    EXPECT_EQ(choices[0].toMap().value("choice").toInt(),
              static_cast<int>(FanPreset::Source::appSetting));
    EXPECT_EQ(choices[2].toMap().value("choice").toInt(), static_cast<int>(FanPreset::Source::gpu));
    EXPECT_EQ(choices[2].toMap().value("name").toString(), qtTrId("curves.sourcePicker.gpu"));
}

TEST_F(CurveEditorTest, TheChartFollowsThePresetsSourceAndDrawsTheOtherFansFaintly)
{
    FanPreset preset = copyOf(FanPreset::coolID);
    CurveChartModel chart;
    chart.setEditor(m_editor.get());
    chart.setTelemetry(&m_state->telemetry());
    chart.setPlotWidth(kUnitPlot.width);
    chart.setPlotHeight(kUnitPlot.height);
    m_state->telemetry().ingest(test::sampleWith({90, 95, 40, 42}));
    EXPECT_EQ(chart.liveTemperature(), 90) << "the app's setting: the larger average";
    m_editor->setPresetSource(FanPreset::Source::gpu);
    EXPECT_EQ(chart.liveTemperature(), 40);
    EXPECT_TRUE(chart.otherLinePaths().isEmpty()) << "all fans share the shown curve";

    m_editor->chooseFan(0);
    ASSERT_EQ(chart.otherLinePaths().size(), 1);
    EXPECT_EQ(chart.otherLinePaths().first().value<QPolygonF>(),
              CurveChart::linePolyline(FanPreset::coolCurve(), kUnitPlot));
    m_editor->movePoint(0, 35, 20, true);
    EXPECT_EQ(chart.otherLinePaths().first().value<QPolygonF>(),
              CurveChart::linePolyline(FanPreset::coolCurve(), kUnitPlot))
        << "the right fan's curve is untouched by an edit of the left one";
}

// An added point rises from the old line, a deleted one sinks onto the new line; anything
// else is shown at once.
TEST(CurveSpringTest, AddedPointsRiseFromTheLineAndDeletedOnesSinkOntoIt)
{
    const FanCurve two(QList<FanCurvePoint>{{40, 20}, {80, 60}});
    const FanCurve three(QList<FanCurvePoint>{{40, 20}, {60, 90}, {80, 60}}); // line: 40 % at 60
    const FanCurve moved(QList<FanCurvePoint>{{40, 20}, {80, 70}});
    const FanCurve other(QList<FanCurvePoint>{{30, 20}, {60, 90}, {80, 60}});
    const struct {
        const char* change;
        const FanCurve& from;
        const FanCurve& to;
        double progress;
        QList<FanCurvePoint> shown;
    } rows[] = {
        {"added, start", two, three, 0, {{40, 20}, {60, 40}, {80, 60}}},
        {"added, half", two, three, 0.5, {{40, 20}, {60, 65}, {80, 60}}},
        {"added, end", two, three, 1, three.points},
        {"deleted, start", three, two, 0, three.points},
        {"deleted, half", three, two, 0.5, {{40, 20}, {60, 65}, {80, 60}}},
        {"deleted, nearly gone", three, two, 0.999, {{40, 20}, {60, 40.05}, {80, 60}}},
        {"deleted, end", three, two, 1, two.points},
        {"a moved point", two, moved, 0, moved.points},
        {"one more and another changed", two, other, 0, other.points},
        {"from nothing", FanCurve{}, two, 0, two.points},
        {"the last point deleted", FanCurve(QList<FanCurvePoint>{{40, 20}}), FanCurve{}, 0, {}},
    };
    for (const auto& row : rows) {
        const FanCurve frame = CurveChart::springFrame(row.from, row.to, row.progress);
        ASSERT_EQ(frame.points.size(), row.shown.size()) << row.change;
        for (qsizetype i = 0; i < row.shown.size(); ++i) {
            EXPECT_EQ(frame.points[i].tempC, row.shown[i].tempC) << row.change;
            EXPECT_NEAR(frame.points[i].percent, row.shown[i].percent, 1e-9) << row.change;
        }
    }
}

// The chart springs an added point and settles on the editor's curve; a drag never springs.
TEST_F(CurveEditorTest, TheChartSpringsAnAddedPointAndSettlesOnTheCurve)
{
    const FanPreset copy = copyOf(FanPreset::coolID);
    CurveChartModel chart;
    chart.setEditor(m_editor.get());
    chart.setPlotWidth(kWidePlot.width);
    chart.setPlotHeight(kWidePlot.height);
    const FanCurve before = storedCurve(copy);
    const int count = chart.pointCount();
    m_editor->addPoint(100, 5);
    const FanCurve after = storedCurve(copy);
    ASSERT_EQ(after.points.size(), before.points.size() + 1);
    EXPECT_EQ(chart.pointCount(), count + 1);
    EXPECT_TRUE(chart.isSpringing());
    const auto percentAt = [&](double tempC) {
        for (const QVariant& handle : chart.handles()) {
            const QVariantMap map = handle.toMap();
            if (map.value(QStringLiteral("tempC")).toDouble() == tempC)
                return map.value(QStringLiteral("percent")).toDouble();
        }
        return -1.0;
    };
    EXPECT_NEAR(percentAt(100), before.percent(100), 1e-9) << "on the old line at first";
    EXPECT_TRUE(test::processEventsUntil([&] { return !chart.isSpringing(); }));
    EXPECT_NEAR(percentAt(100), 5, 1e-9);

    // A deletion: the handles go at once, the line follows.
    const QPolygonF lineBefore = chart.linePath().value<QPolygonF>();
    m_editor->deletePoint(int(after.points.size()) - 1);
    EXPECT_EQ(chart.pointCount(), count);
    EXPECT_EQ(chart.handles().size(), count);
    EXPECT_TRUE(chart.isSpringing());
    EXPECT_EQ(chart.linePath().value<QPolygonF>(), lineBefore) << "the line starts where it was";
    EXPECT_TRUE(test::processEventsUntil([&] { return !chart.isSpringing(); }));
    EXPECT_NE(chart.linePath().value<QPolygonF>(), lineBefore);

    m_editor->movePoint(0, after.points[0].tempC + 1, after.points[0].percent, false);
    EXPECT_FALSE(chart.isSpringing()) << "a drag";
    m_editor->movePoint(0, after.points[0].tempC + 1, after.points[0].percent, true);
}

} // namespace
} // namespace brisvane
