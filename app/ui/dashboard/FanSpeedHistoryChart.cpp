#include "app/ui/dashboard/FanSpeedHistoryChart.h"

#include "app/core/SharedFanName.h"

#include <QLocale>

#include <algorithm>
#include <cmath>

namespace brisvane {

QString FanSpeedHistoryChart::seriesName(int fanIndex)
{
    if (fanIndex == 0)
        return QStringLiteral("Left");
    if (fanIndex == 1)
        return QStringLiteral("Right");
    return QStringLiteral("Fan %1").arg(fanIndex + 1);
}

QStringList FanSpeedHistoryChart::seriesNames(const QList<TelemetrySample>& samples)
{
    QStringList names;
    if (!samples.isEmpty()) {
        for (const SMCFanReading& fan : samples.last().fans)
            names.append(seriesName(fan.index));
    }
    return names;
}

QList<QColor> FanSpeedHistoryChart::seriesColors(const QList<TelemetrySample>& samples,
                                                 QColor primary)
{
    primary.setAlphaF(0.7f);
    return QList<QColor>(seriesNames(samples).size(), primary);
}

bool FanSpeedHistoryChart::isDashed(const QString& seriesName, const QStringList& names)
{
    return names.indexOf(seriesName) > 0;
}

QList<FanSpeedHistoryChart::LegendEntry>
FanSpeedHistoryChart::legend(const QList<TelemetrySample>& samples)
{
    QList<LegendEntry> entries;
    if (samples.isEmpty())
        return entries;
    const std::vector<SMCFanReading>& fans = samples.last().fans;
    const int count = static_cast<int>(fans.size());
    for (const SMCFanReading& fan : fans)
        entries.append({sharedFanName(fan.index, count), !entries.isEmpty()});
    return entries;
}

QList<FanSpeedHistoryChart::FanSpeedPoint>
FanSpeedHistoryChart::points(const QList<TelemetrySample>& samples)
{
    QList<FanSpeedPoint> result;
    for (const TelemetrySample& sample : samples) {
        const double minutes = HistoryChartAxis::minutesFromNow(sample, samples.last());
        const qint64 k = HistoryChartAxis::sampleKey(minutes);
        for (const SMCFanReading& fan : sample.fans)
            result.append({fan.index + 16 * k, minutes, seriesName(fan.index), fan.actualRPM});
    }
    return result;
}

ChartDomain FanSpeedHistoryChart::speedDomain(const QList<FanSpeedPoint>& points,
                                              const std::vector<SMCFanReading>& fans)
{
    double largest = 1000;
    for (const SMCFanReading& fan : fans)
        largest = std::max(largest, fan.maxRPM);
    for (const FanSpeedPoint& point : points)
        largest = std::max(largest, point.rpm);
    return {0, std::ceil(largest / 1000) * 1000};
}

QList<double> FanSpeedHistoryChart::speedTickValues(ChartDomain domain)
{
    const double span = domain.upper - domain.lower;
    const double step = span <= 5000 ? 1000 : span <= 10000 ? 2000 : 5000;
    return HistoryChartAxis::gridValues(domain, step);
}

QString FanSpeedHistoryChart::compactSpeedLabel(double rpm)
{
    const QLocale locale;
    if (std::abs(rpm) < 1000)
        return locale.toString(static_cast<long long>(std::trunc(rpm)));
    const double thousands = std::round(rpm / 100) / 10;
    return locale.toString(thousands, 'g', 3) + u'K';
}

} // namespace brisvane
