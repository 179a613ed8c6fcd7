// The dashboard's decisions: screen selection, down-sampling, the time axis, the chart domains,
// series and ids, and the smoothed lines that a new sample extends instead of rebuilding.

#include "tests/app/TelemetryTestSupport.h"
#include "tests/ui/UiTestSupport.h"

#include "app/core/SharedFanName.h"
#include "app/ui/dashboard/DashboardModel.h"
#include "app/ui/dashboard/FanSpeedHistoryChart.h"
#include "app/ui/dashboard/HistoryCard.h"
#include "app/ui/dashboard/HistoryChartModel.h"
#include "app/ui/dashboard/SmoothedPolyline.h"
#include "app/ui/dashboard/TemperatureCardText.h"
#include "app/ui/dashboard/TemperatureHistoryChart.h"
#include "app/ui/design/Readouts.h"

#include <gtest/gtest.h>

namespace brisvane {
namespace {

constexpr qint64 kStart = 1'700'000'000;

// `count` samples `spacing` seconds apart; cpuMax counts the samples so each can be told apart.
QList<TelemetrySample> samples(int count, double spacing = 2, qint64 firstIndex = 0)
{
    QList<TelemetrySample> result;
    for (int i = 0; i < count; ++i) {
        TelemetrySample sample = test::sampleWith({40, 50.0 + i, 40, 45});
        sample.timestamp =
            QDateTime::fromMSecsSinceEpoch(qRound64((kStart + (firstIndex + i) * spacing) * 1000));
        result.append(sample);
    }
    return result;
}

// The English catalogue and a fresh environment for every test.
class DashboardTest : public test::UiTest {};

TEST_F(DashboardTest, ScreenFollowsTheFirstSampleAndWhatItHolds)
{
    using Screen = DashboardModel::Screen;
    const auto withFans = test::sampleAt(50);
    const auto fanless = test::sampleWith({40, 50, 0, 0}, {});
    const struct {
        std::optional<TelemetrySample> latest;
        bool smcAvailable;
        Screen expected;
    } rows[] = {
        {std::nullopt, true, Screen::loading}, // also what an SMC that never opened gives
        {std::nullopt, false, Screen::loading}, {withFans, true, Screen::content},
        {withFans, false, Screen::unsupported}, {fanless, true, Screen::unsupported},
    };
    for (const auto& row : rows)
        EXPECT_EQ(DashboardModel::screen(row.latest, row.smcAvailable), row.expected);

    using HelperState = HelperControlling::HelperState;
    EXPECT_TRUE(DashboardModel::showsHelperBanner(HelperState::notInstalled));
    EXPECT_FALSE(DashboardModel::showsHelperBanner(HelperState::unreachable));
    EXPECT_FALSE(DashboardModel::showsHelperBanner(HelperState::installed));
}

TEST_F(DashboardTest, HistoryCardDownsamplingKeepsEveryStrideThSampleAndTheNewest)
{
    const struct {
        int count;
        qint64 phase;
        qsizetype expected;
        double firstCpu; // which sample comes first
    } rows[] = {
        {1, 0, 1, 50},     {240, 0, 240, 50}, {241, 0, 121, 50},
        {900, 0, 226, 50}, {900, 1, 225, 53}, {900, 3, 226, 51},
    };
    for (const auto& row : rows) {
        const auto kept = HistoryCard::downsampled(samples(row.count), row.phase);
        EXPECT_EQ(kept.size(), row.expected) << row.count << " samples, phase " << row.phase;
        EXPECT_EQ(kept.first().temperatures.cpuMax, row.firstCpu);
        EXPECT_EQ(kept.last().timestamp, samples(row.count).last().timestamp);
    }
}

TEST_F(DashboardTest, HistoryCardDownsamplingAFullHistorySlidingByOneKeepsItsPoints)
{
    const auto all = samples(910);
    for (qint64 evicted = 0; evicted < 9; ++evicted) {
        const auto before = HistoryCard::downsampled(all.mid(evicted, 900), evicted);
        const auto after = HistoryCard::downsampled(all.mid(evicted + 1, 900), evicted + 1);
        // At most the oldest point leaves and the newest is replaced or joined by another.
        const qsizetype dropped = before.first().timestamp == after.first().timestamp ? 0 : 1;
        const qsizetype common = before.size() - dropped - 1;
        for (qsizetype i = 0; i < common; ++i)
            ASSERT_EQ(after[i].timestamp, before[dropped + i].timestamp) << evicted << ", " << i;
    }
}

TEST_F(DashboardTest, HistoryCardWindowDescribesTheSpanInWholeMinutes)
{
    const struct {
        QList<TelemetrySample> samples;
        QString expected;
    } rows[] = {
        {{}, qtTrId("dashboard.history.windowFallback")},
        {samples(1), qtTrId("dashboard.history.windowLastMinute")},
        {samples(2, 60), qtTrId("dashboard.history.windowLastMinute")},
        {samples(2, 61), qtTrId("dashboard.history.windowLastMinutes").arg(2)},
        {samples(900), qtTrId("dashboard.history.windowLastMinutes").arg(30)},
    };
    for (const auto& row : rows)
        EXPECT_EQ(HistoryCard::timeWindowDescription(row.samples), row.expected);
}

TEST_F(DashboardTest, HistoryChartAxisDomainTicksAndLabels)
{
    const struct {
        QList<TelemetrySample> samples;
        ChartDomain domain;
        QList<double> ticks;
    } rows[] = {
        {{}, {-1, 0}, {-0.5}},
        {samples(1), {-1, 0}, {-0.5}},
        {samples(2, 30), {-1, 0}, {-0.5}},
        {samples(2, 120), {-2, 0}, {-0.5, -1, -1.5}},
        {samples(2, 450), {-7.5, 0}, {-3, -6}},
        {samples(900), {-29.9667, 0}, {-5, -10, -15, -20, -25}},
    };
    for (const auto& row : rows) {
        const ChartDomain domain = HistoryChartAxis::timeDomain(row.samples);
        EXPECT_NEAR(domain.lower, row.domain.lower, 1e-4);
        EXPECT_EQ(domain.upper, 0);
        EXPECT_EQ(HistoryChartAxis::relativeTimeTickValues(row.samples), row.ticks);
    }

    const struct {
        double minutes;
        QString label;
    } labels[] = {
        {-0.5, qtTrId("dashboard.chart.axisSecondsAgo").arg(30)},
        {-1.5, qtTrId("dashboard.chart.axisSecondsAgo").arg(90)},
        {-95 / 60.0, qtTrId("dashboard.chart.axisMinutesAgo").arg(2)},
        {-2, qtTrId("dashboard.chart.axisMinutesAgo").arg(2)},
    };
    for (const auto& row : labels)
        EXPECT_EQ(HistoryChartAxis::relativeTimeLabel(row.minutes), row.label) << row.minutes;
}

TEST_F(DashboardTest, TemperatureHistoryChartPointsIdsAndDomain)
{
    const auto points = TemperatureHistoryChart::points(samples(2));
    ASSERT_EQ(points.size(), 4);
    EXPECT_EQ(points[0],
              (TemperatureHistoryChart::TemperaturePoint{-4000, -2 / 60.0, "CPU Max", 50}));
    EXPECT_EQ(points[1].id, -3999);
    EXPECT_EQ(points[1].seriesName, "GPU Max");
    EXPECT_EQ(points[3].id, 1);

    const struct {
        double lowest, highest;
        ChartDomain expected;
    } rows[] = {
        {41.2, 68.9, {35, 75}},
        {50, 50, {45, 55}},
        {30, 90, {25, 95}}, // what no points give
        {2, 3, {0, 10}},
    };
    for (const auto& row : rows)
        EXPECT_EQ(TemperatureHistoryChart::temperatureDomain(row.lowest, row.highest),
                  row.expected);
    EXPECT_EQ(TemperatureHistoryChart::temperatureDomain({}), (ChartDomain{25, 95}));

    const AppColors colors(false, Qt::blue);
    EXPECT_EQ(TemperatureHistoryChart::areaGradient("CPU Max", colors).top.rgb(),
              colors.cpuSeries().rgb());
    EXPECT_EQ(TemperatureHistoryChart::areaGradient("anything", colors).bottom.rgb(),
              colors.gpuSeries().rgb());
    EXPECT_NEAR(TemperatureHistoryChart::areaGradient("CPU Max", colors).bottom.alphaF(), 0.02,
                1e-3);
}

TEST_F(DashboardTest, FanSpeedHistoryChartThreeFansSeriesLegendIdsAndDomain)
{
    auto history = samples(2);
    for (TelemetrySample& sample : history)
        sample.fans = {test::fanReading(0, 1200, 4900), test::fanReading(1, 1200, 6100),
                       test::fanReading(2, 1200, 5000)};
    EXPECT_EQ(FanSpeedHistoryChart::seriesNames(history), (QStringList{"Left", "Right", "Fan 3"}));
    const auto legend = FanSpeedHistoryChart::legend(history);
    ASSERT_EQ(legend.size(), 3);
    for (int i = 0; i < 3; ++i) {
        EXPECT_EQ(legend[i].name, sharedFanName(i, 3));
        EXPECT_EQ(legend[i].dashed, i > 0);
        EXPECT_EQ(FanSpeedHistoryChart::isDashed(FanSpeedHistoryChart::seriesName(i),
                                                 FanSpeedHistoryChart::seriesNames(history)),
                  i > 0);
    }
    EXPECT_FALSE(FanSpeedHistoryChart::isDashed("Fan 9", {"Left", "Right"}));
    EXPECT_NEAR(FanSpeedHistoryChart::seriesColors(history, Qt::black).value(2).alphaF(), 0.7,
                1e-3);

    const auto points = FanSpeedHistoryChart::points(history);
    ASSERT_EQ(points.size(), 6);
    EXPECT_EQ(points[1].id, 1 + 16 * -2000);
    EXPECT_EQ(points[5].id, 2);

    const auto fans = history.last().fans;
    EXPECT_EQ(FanSpeedHistoryChart::speedDomain(points, fans), (ChartDomain{0, 7000}));
    EXPECT_EQ(FanSpeedHistoryChart::speedDomain({}, {test::fanReading(0, 0, 0)}),
              (ChartDomain{0, 1000}));
    EXPECT_EQ(FanSpeedHistoryChart::speedDomain({{0, 0, "Left", 7200}}, fans),
              (ChartDomain{0, 8000}));
    EXPECT_EQ(FanSpeedHistoryChart::compactSpeedLabel(500), "500");
    EXPECT_EQ(FanSpeedHistoryChart::compactSpeedLabel(2500), "2.5K");
}

TEST_F(DashboardTest, CaptionsAndSpinRate)
{
    EXPECT_EQ(TemperatureCardText::hottestCoreCaption(61.6),
              qtTrId("dashboard.temperature.hottestCoreCaption").arg("62"));
    EXPECT_EQ(TemperatureCardText::sessionPeakCaption(63.04),
              qtTrId("dashboard.temperature.sessionPeak").arg("63.0"));
    const struct {
        double rpm, maxRPM, expected;
    } rows[] = {{0, 6000, 0}, {3000, 6000, 1.1}, {7000, 6000, 2.2}, {2000, 0, 0}};
    for (const auto& row : rows)
        EXPECT_DOUBLE_EQ(Readouts::fanSpinRevolutionsPerSecond(row.rpm, row.maxRPM), row.expected);
}

TEST_F(DashboardTest, SmoothedPolylineExtendingAndTrimmingDrawTheSameLineAsStartingOver)
{
    QList<QPointF> knots;
    for (int i = 0; i < 40; ++i)
        knots.append({2.0 * i, 50 + 10 * std::sin(i * 0.7)});
    SmoothedPolyline grown({0.4, 4});
    for (int i = 0; i < 30; ++i)
        grown.replaceTail(grown.knots().size(), {knots[i]});
    grown.removeFirst(5);
    grown.replaceTail(grown.knots().size() - 1, knots.mid(29, 11)); // replace the tail, add 10
    SmoothedPolyline fresh({0.4, 4});
    fresh.assign(knots.mid(5));

    ASSERT_EQ(grown.polyline().size(), fresh.polyline().size());
    ASSERT_EQ(fresh.polyline().size(), 34 * SmoothedPolyline::kSubdivisions + 1);
    for (qsizetype i = 0; i < fresh.polyline().size(); ++i) {
        EXPECT_NEAR(grown.polyline()[i].x(), fresh.polyline()[i].x(), 1e-9) << i;
        EXPECT_NEAR(grown.polyline()[i].y(), fresh.polyline()[i].y(), 1e-9) << i;
    }
    // The line passes through every knot.
    for (qsizetype k = 0; k < fresh.knots().size(); ++k)
        EXPECT_EQ(fresh.polyline()[k * SmoothedPolyline::kSubdivisions], fresh.knots()[k]);
}

TEST_F(DashboardTest, HistoryChartNewSamplesExtendTheLinesAndTheSummaryFollows)
{
    auto defaults = makeDefaults();
    auto state = makeState(*defaults);
    HistoryChartModel chart;
    chart.setKind(HistoryChartModel::Kind::FanSpeed);
    chart.setTelemetry(&state->telemetry());
    const auto history = samples(960);

    state->telemetry().ingest(history[0]);
    EXPECT_FALSE(chart.hasChart()) << "one sample: the placeholder";
    EXPECT_EQ(chart.windowDescription(), qtTrId("dashboard.history.windowLastMinute"));
    state->telemetry().ingest(history[1]);
    EXPECT_TRUE(chart.hasChart());
    ASSERT_EQ(chart.rowCount(), 2);

    const qint64 rebuildsAtTwo = chart.rebuildCount();
    for (int i = 2; i < 960; ++i)
        state->telemetry().ingest(history[i]);
    // The stride grows three times on the way to 900 samples (241, 481, 721); after that the
    // history slides and each sample only extends the lines.
    EXPECT_LE(chart.rebuildCount() - rebuildsAtTwo, 3);
    const QPolygonF line =
        chart.data(chart.index(0), HistoryChartModel::polylineRole).value<QPolygonF>();
    EXPECT_EQ(line.size(), (HistoryCard::downsampled(state->telemetry().history(),
                                                     state->telemetry().evictedSampleCount())
                                .size() -
                            1) * SmoothedPolyline::kSubdivisions +
                               1);
    EXPECT_TRUE(chart.data(chart.index(1), HistoryChartModel::dashedRole).toBool());
    EXPECT_EQ(chart.summary(), HistoryChartModel::fanSpeedSummary({history.last()})
                                   .replace(qtTrId("dashboard.history.windowLastMinute"),
                                            qtTrId("dashboard.history.windowLastMinutes").arg(30)));
    EXPECT_NEAR(chart.xUpper() - chart.xLower(), 1798, 1e-6);

    chart.setTelemetry(nullptr);
    EXPECT_EQ(chart.rowCount(), 0) << "off screen the chart holds nothing";
}

} // namespace
} // namespace brisvane
