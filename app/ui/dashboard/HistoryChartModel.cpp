#include "app/ui/dashboard/HistoryChartModel.h"

#include "app/core/SharedFanName.h"
#include "app/ui/dashboard/FanSpeedHistoryChart.h"
#include "app/ui/dashboard/HistoryCard.h"
#include "app/ui/dashboard/TemperatureHistoryChart.h"
#include "app/ui/design/Readouts.h"

#include <algorithm>
#include <limits>

namespace brisvane {

namespace {

// A new sample that changes more knots than this at the tail counts as a rebuild.
constexpr qsizetype kAppendedKnots = 2;
constexpr qint64 kOriginLifetimeMSecs = 3'600'000;

QVariantMap tick(const char* axis, double value, const QString& label)
{
    return {{QString::fromLatin1(axis), value}, {QStringLiteral("label"), label}};
}

} // namespace

HistoryChartModel::HistoryChartModel(QObject* parent)
    : QAbstractListModel(parent)
{
    update();
}

void HistoryChartModel::setTelemetry(TelemetryStore* telemetry)
{
    if (m_telemetry == telemetry)
        return;
    if (m_telemetry)
        m_telemetry->disconnect(this);
    m_telemetry = telemetry;
    if (telemetry)
        connect(telemetry, &TelemetryStore::historyChanged, this, &HistoryChartModel::update);
    update();
    emit telemetryChanged();
}

void HistoryChartModel::setKind(Kind kind)
{
    if (m_kind == kind)
        return;
    m_kind = kind;
    m_series.clear(); // another set of series altogether
    update();
    emit kindChanged();
}

void HistoryChartModel::setColors(const AppColors& colors)
{
    if (m_colors == colors)
        return;
    m_colors = colors;
    updateColors();
}

void HistoryChartModel::setPrimaryColor(const QColor& color)
{
    if (m_primaryColor == color)
        return;
    m_primaryColor = color;
    updateColors();
}

void HistoryChartModel::updateColors()
{
    if (!m_series.empty())
        emit dataChanged(index(0), index(rowCount() - 1),
                         {colorRole, areaTopColorRole, areaBottomColorRole});
    update();
    emit colorsChanged();
}

QStringList HistoryChartModel::currentSeriesNames() const
{
    if (m_samples.isEmpty())
        return {};
    if (m_kind == Kind::Temperature)
        return {TemperatureHistoryChart::cpuSeriesName, TemperatureHistoryChart::gpuSeriesName};
    return FanSpeedHistoryChart::seriesNames(m_samples);
}

QPointF HistoryChartModel::metric() const
{
    // Pixels per unit at the chart's usual size: 30 minutes across about 750 points, 40 °C over
    // 150 points, 7,000 rpm over 90 points.
    return m_kind == Kind::Temperature ? QPointF(0.42, 3.75) : QPointF(0.42, 0.013);
}

void HistoryChartModel::knotsFor(const Series& series, QList<qint64>& keys,
                                 QList<QPointF>& points) const
{
    keys.clear();
    points.clear();
    for (qsizetype i = 0; i < m_samples.size(); ++i) {
        const TelemetrySample& sample = m_samples[i];
        const qint64 key = m_sampleTimes[i];
        const double x = (key - m_originMSecs) / 1000.0;
        if (series.fanIndex < 0) {
            const SMCTemperatureSnapshot& t = sample.temperatures;
            keys.append(key);
            points.append(
                {x, series.name == TemperatureHistoryChart::cpuSeriesName ? t.cpuMax : t.gpuMax});
            continue;
        }
        const auto fan =
            std::find_if(sample.fans.begin(), sample.fans.end(),
                         [&](const SMCFanReading& f) { return f.index == series.fanIndex; });
        if (fan != sample.fans.end()) {
            keys.append(key);
            points.append({x, fan->actualRPM});
        }
    }
}

bool HistoryChartModel::extend(Series& series, const QList<qint64>& keys,
                               const QList<QPointF>& points)
{
    if (series.keys.isEmpty() || keys.isEmpty())
        return false;
    const qsizetype dropped = series.keys.indexOf(keys.first());
    if (dropped < 0)
        return false;
    qsizetype common = 0;
    while (dropped + common < series.keys.size() && common < keys.size() &&
           series.keys[dropped + common] == keys[common])
        ++common;
    if (keys.size() - common > kAppendedKnots)
        return false;
    series.line.removeFirst(dropped);
    series.line.replaceTail(common, points.mid(common));
    series.keys = keys;
    return true;
}

void HistoryChartModel::update()
{
    if (m_telemetry) {
        const TelemetryStore& store = *m_telemetry;
        m_samples = HistoryCard::downsampled(store.history(), store.evictedSampleCount());
    } else {
        m_samples.clear();
    }
    m_sampleTimes.resize(m_samples.size());
    for (qsizetype i = 0; i < m_samples.size(); ++i)
        m_sampleTimes[i] = m_samples[i].timestamp.toMSecsSinceEpoch();
    m_windowDescription = HistoryCard::timeWindowDescription(m_samples);

    const QStringList names = currentSeriesNames();
    QStringList shownNames;
    for (const Series& series : m_series)
        shownNames.append(series.name);
    QList<qint64> keys;
    QList<QPointF> points;
    // Data-space x grows with the session; starting over once an hour keeps the coordinates the
    // scene graph receives (single precision) small.
    const bool originIsStale =
        !m_sampleTimes.isEmpty() && m_sampleTimes.first() - m_originMSecs > kOriginLifetimeMSecs;
    if (names != shownNames || m_samples.isEmpty() || originIsStale) {
        beginResetModel();
        m_series.clear();
        m_originMSecs = m_sampleTimes.isEmpty() ? 0 : m_sampleTimes.first();
        for (const QString& name : names) {
            Series series{name, -1, {}, SmoothedPolyline(metric())};
            if (m_kind == Kind::FanSpeed)
                series.fanIndex = m_samples.last().fans[m_series.size()].index;
            knotsFor(series, keys, points);
            series.keys = keys;
            series.line.assign(points);
            m_series.push_back(std::move(series));
        }
        endResetModel();
        ++m_rebuildCount;
    } else {
        bool rebuilt = false;
        for (std::size_t row = 0; row < m_series.size(); ++row) {
            Series& series = m_series[row];
            knotsFor(series, keys, points);
            if (!extend(series, keys, points)) {
                series.keys = keys;
                series.line.assign(points);
                rebuilt = true;
            }
        }
        rebuilt ? ++m_rebuildCount : 0;
        if (!m_series.empty())
            emit dataChanged(index(0), index(rowCount() - 1),
                             {polylineRole, firstXRole, lastXRole});
    }

    // Domains, ticks and labels follow the newest sample.
    m_newestX = m_sampleTimes.isEmpty() ? 0 : (m_sampleTimes.last() - m_originMSecs) / 1000.0;
    const ChartDomain minutes = HistoryChartAxis::timeDomain(m_samples);
    m_xDomain = {m_newestX + 60 * minutes.lower, m_newestX + 60 * minutes.upper};
    QVariantList timeTicks;
    for (double tickMinutes : HistoryChartAxis::relativeTimeTickValues(m_samples))
        timeTicks.append(
            tick("minutes", tickMinutes, HistoryChartAxis::relativeTimeLabel(tickMinutes)));

    QVariantList valueTicks;
    QVariantList legend;
    if (m_kind == Kind::Temperature) {
        m_yDomain = temperatureDomain();
        for (double value : TemperatureHistoryChart::degreeTickValues(m_yDomain))
            valueTicks.append(tick("y", value, TemperatureHistoryChart::degreeLabel(value)));
        legend.append(QVariantMap{{QStringLiteral("name"), qtTrId("dashboard.chart.cpuMaxLegend")},
                                  {QStringLiteral("color"), m_colors.cpuSeries()},
                                  {QStringLiteral("dashed"), false}});
        legend.append(QVariantMap{{QStringLiteral("name"), qtTrId("dashboard.chart.gpuMaxLegend")},
                                  {QStringLiteral("color"), m_colors.gpuSeries()},
                                  {QStringLiteral("dashed"), false}});
        m_summary = temperatureSummary(m_samples);
    } else {
        m_yDomain = speedDomain();
        for (double value : FanSpeedHistoryChart::speedTickValues(m_yDomain))
            valueTicks.append(tick("y", value, FanSpeedHistoryChart::compactSpeedLabel(value)));
        const QList<QColor> colors = FanSpeedHistoryChart::seriesColors(m_samples, m_primaryColor);
        const auto entries = FanSpeedHistoryChart::legend(m_samples);
        for (qsizetype i = 0; i < entries.size(); ++i)
            legend.append(QVariantMap{{QStringLiteral("name"), entries[i].name},
                                      {QStringLiteral("color"), colors.value(i)},
                                      {QStringLiteral("dashed"), entries[i].dashed}});
        m_summary = fanSpeedSummary(m_samples);
    }
    if (timeTicks != m_timeTicks) {
        m_timeTicks = timeTicks;
        emit timeTicksChanged();
    }
    if (valueTicks != m_valueTicks) {
        m_valueTicks = valueTicks;
        emit valueTicksChanged();
    }
    if (legend != m_legend) {
        m_legend = legend;
        emit legendChanged();
    }
    emit chartChanged();
}

// The chart functions' domains, read straight off the samples instead of through their points.
ChartDomain HistoryChartModel::temperatureDomain() const
{
    if (m_samples.isEmpty())
        return TemperatureHistoryChart::temperatureDomain({});
    double lowest = std::numeric_limits<double>::infinity();
    double highest = -lowest;
    for (const TelemetrySample& sample : m_samples) {
        for (double celsius : {sample.temperatures.cpuMax, sample.temperatures.gpuMax}) {
            lowest = std::min(lowest, celsius);
            highest = std::max(highest, celsius);
        }
    }
    return TemperatureHistoryChart::temperatureDomain(lowest, highest);
}

ChartDomain HistoryChartModel::speedDomain() const
{
    double fastest = 0;
    for (const TelemetrySample& sample : m_samples) {
        for (const SMCFanReading& fan : sample.fans)
            fastest = std::max(fastest, fan.actualRPM);
    }
    const FanSpeedHistoryChart::FanSpeedPoint fastestPoint{0, 0, {}, fastest};
    return FanSpeedHistoryChart::speedDomain(
        {fastestPoint}, m_samples.isEmpty() ? std::vector<SMCFanReading>{} : m_samples.last().fans);
}

QString HistoryChartModel::temperatureSummary(const QList<TelemetrySample>& samples)
{
    if (samples.isEmpty())
        return qtTrId("dashboard.chart.temperatureSummaryEmpty");
    const SMCTemperatureSnapshot& t = samples.last().temperatures;
    return qtTrId("dashboard.chart.temperatureSummary")
        .arg(HistoryCard::timeWindowDescription(samples), Readouts::degrees(t.cpuMax),
             Readouts::degrees(t.gpuMax));
}

QString HistoryChartModel::fanSpeedSummary(const QList<TelemetrySample>& samples)
{
    if (samples.isEmpty())
        return qtTrId("dashboard.chart.fanSpeedSummaryEmpty");
    const std::vector<SMCFanReading>& fans = samples.last().fans;
    QStringList speeds;
    for (const SMCFanReading& fan : fans)
        speeds.append(Readouts::fanAccessibleName(
            sharedFanName(fan.index, static_cast<int>(fans.size())), fan.actualRPM));
    return qtTrId("dashboard.chart.fanSpeedSummary")
        .arg(HistoryCard::timeWindowDescription(samples), speeds.join(QStringLiteral("; ")));
}

int HistoryChartModel::rowCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : static_cast<int>(m_series.size());
}

QVariant HistoryChartModel::data(const QModelIndex& index, int role) const
{
    if (!index.isValid() || index.row() >= rowCount())
        return {};
    const Series& series = m_series[static_cast<std::size_t>(index.row())];
    const QPolygonF& line = series.line.polyline();
    const bool temperature = m_kind == Kind::Temperature;
    const QColor color = temperature ? TemperatureHistoryChart::seriesColor(series.name, m_colors)
                                     : FanSpeedHistoryChart::seriesColors(m_samples, m_primaryColor)
                                           .value(index.row(), m_primaryColor);
    switch (role) {
    case nameRole:
        return series.name;
    case colorRole:
        return color;
    case dashedRole:
        return !temperature && FanSpeedHistoryChart::isDashed(series.name, currentSeriesNames());
    case dashPatternRole:
        return QVariant::fromValue(QList<qreal>{FanSpeedHistoryChart::kDashOn / kLineWidth,
                                                FanSpeedHistoryChart::kDashOff / kLineWidth});
    case polylineRole:
        return QVariant::fromValue(line);
    case firstXRole:
        return line.isEmpty() ? 0.0 : line.first().x();
    case lastXRole:
        return line.isEmpty() ? 0.0 : line.last().x();
    case showsAreaRole:
        return temperature;
    case areaTopColorRole:
        return TemperatureHistoryChart::areaGradient(series.name, m_colors).top;
    case areaBottomColorRole:
        return TemperatureHistoryChart::areaGradient(series.name, m_colors).bottom;
    default:
        return {};
    }
}

QHash<int, QByteArray> HistoryChartModel::roleNames() const
{
    return {{nameRole, "name"},
            {colorRole, "seriesColor"},
            {dashedRole, "dashed"},
            {dashPatternRole, "dashPattern"},
            {polylineRole, "polyline"},
            {firstXRole, "firstX"},
            {lastXRole, "lastX"},
            {showsAreaRole, "showsArea"},
            {areaTopColorRole, "areaTopColor"},
            {areaBottomColorRole, "areaBottomColor"}};
}

} // namespace brisvane
