#include "app/ui/dashboard/HistoryChartAxis.h"

#include <algorithm>
#include <cmath>

namespace brisvane::HistoryChartAxis {

namespace {

double spanMinutes(const QList<TelemetrySample>& samples)
{
    if (samples.isEmpty())
        return 0;
    return samples.first().timestamp.msecsTo(samples.last().timestamp) / 60000.0;
}

} // namespace

double minutesFromNow(const TelemetrySample& sample, const TelemetrySample& newest)
{
    return newest.timestamp.msecsTo(sample.timestamp) / 60000.0;
}

qint64 sampleKey(double minutesFromNow)
{
    return static_cast<qint64>(std::trunc(minutesFromNow * 60000));
}

QList<double> gridValues(ChartDomain domain, double step)
{
    QList<double> values;
    for (double value = std::ceil(domain.lower / step) * step; value <= domain.upper; value += step)
        values.append(value);
    return values;
}

ChartDomain timeDomain(const QList<TelemetrySample>& samples)
{
    const double span = spanMinutes(samples);
    return {span <= 1 ? -1.0 : -span, 0};
}

QList<double> relativeTimeTickValues(const QList<TelemetrySample>& samples)
{
    if (samples.isEmpty())
        return {-0.5};
    const double span = std::max(spanMinutes(samples), 1.0);
    const double step = span <= 2.5 ? 0.5 : span <= 6 ? 1 : span <= 15 ? 3 : 5;
    QList<double> ticks;
    for (double tick = -step; tick > -span; tick -= step)
        ticks.append(tick);
    return ticks;
}

QString relativeTimeLabel(double minutesFromNow)
{
    const double secondsAgo = -60 * minutesFromNow;
    if (secondsAgo < 95)
        return qtTrId("dashboard.chart.axisSecondsAgo").arg(std::lround(secondsAgo));
    return qtTrId("dashboard.chart.axisMinutesAgo").arg(std::lround(-minutesFromNow));
}

} // namespace brisvane::HistoryChartAxis
