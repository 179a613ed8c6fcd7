#pragma once
// What the temperature history chart draws: the CPU and GPU maxima of every sample, the y
// domain around them, the degree labels and each series' area gradient.

#include "app/ui/dashboard/HistoryChartAxis.h"
#include "app/ui/design/AppColors.h"

#include <QColor>
#include <QList>
#include <QString>

namespace brisvane {

struct TemperatureHistoryChart {
    struct TemperaturePoint {
        qint64 id = 0;
        double minutesFromNow = 0;
        QString seriesName;
        double celsius = 0;

        friend bool operator==(const TemperaturePoint&, const TemperaturePoint&) = default;
    };
    struct AreaGradient {
        QColor top;
        QColor bottom;
    };

    static inline const QString cpuSeriesName = QStringLiteral("CPU Max");
    static inline const QString gpuSeriesName = QStringLiteral("GPU Max");

    // Two points per sample, CPU then GPU, ids 2k and 2k + 1 with k the sample's time from the
    // newest in whole milliseconds.
    static QList<TemperaturePoint> points(const QList<TelemetrySample>& samples);
    // Whole fives at least 4 °C beyond the readings, at least 10 °C tall, never below 0.
    static ChartDomain temperatureDomain(const QList<TemperaturePoint>& points);
    static ChartDomain temperatureDomain(double lowest, double highest);
    // The series colour from 0.16 opacity at the top to 0.02 at the bottom; any series but
    // "CPU Max" takes the GPU colour.
    static AreaGradient areaGradient(const QString& seriesName, const AppColors& colors);
    static QColor seriesColor(const QString& seriesName, const AppColors& colors);
    // Grid values inside the domain: steps of 5 or 10 °C, whichever gives at most five lines.
    static QList<double> degreeTickValues(ChartDomain domain);
    // "60°", the value truncated.
    static QString degreeLabel(double celsius);
};

} // namespace brisvane
