#include "app/ui/dashboard/TemperatureHistoryChart.h"

#include <algorithm>
#include <cmath>

namespace brisvane {

QList<TemperatureHistoryChart::TemperaturePoint>
TemperatureHistoryChart::points(const QList<TelemetrySample>& samples)
{
    QList<TemperaturePoint> result;
    if (samples.isEmpty())
        return result;
    result.reserve(2 * samples.size());
    for (const TelemetrySample& sample : samples) {
        const double minutes = HistoryChartAxis::minutesFromNow(sample, samples.last());
        const qint64 k = HistoryChartAxis::sampleKey(minutes);
        result.append({2 * k, minutes, cpuSeriesName, sample.temperatures.cpuMax});
        result.append({2 * k + 1, minutes, gpuSeriesName, sample.temperatures.gpuMax});
    }
    return result;
}

ChartDomain TemperatureHistoryChart::temperatureDomain(const QList<TemperaturePoint>& points)
{
    if (points.isEmpty())
        return temperatureDomain(30, 90);
    const auto [lowest, highest] = std::minmax_element(
        points.begin(), points.end(),
        [](const TemperaturePoint& a, const TemperaturePoint& b) { return a.celsius < b.celsius; });
    return temperatureDomain(lowest->celsius, highest->celsius);
}

ChartDomain TemperatureHistoryChart::temperatureDomain(double lowest, double highest)
{
    const double lower = std::max(0.0, std::floor((lowest - 4) / 5) * 5);
    const double upper = std::ceil((highest + 4) / 5) * 5;
    return {lower, std::max(upper, lower + 10)};
}

QColor TemperatureHistoryChart::seriesColor(const QString& seriesName, const AppColors& colors)
{
    return seriesName == cpuSeriesName ? colors.cpuSeries() : colors.gpuSeries();
}

TemperatureHistoryChart::AreaGradient
TemperatureHistoryChart::areaGradient(const QString& seriesName, const AppColors& colors)
{
    QColor top = seriesColor(seriesName, colors);
    QColor bottom = top;
    top.setAlphaF(0.16f);
    bottom.setAlphaF(0.02f);
    return {top, bottom};
}

QList<double> TemperatureHistoryChart::degreeTickValues(ChartDomain domain)
{
    const double step = (domain.upper - domain.lower) / 5 > 5 ? 10 : 5;
    return HistoryChartAxis::gridValues(domain, step);
}

QString TemperatureHistoryChart::degreeLabel(double celsius)
{
    return qtTrId("dashboard.chart.axisDegrees").arg(static_cast<long long>(std::trunc(celsius)));
}

} // namespace brisvane
