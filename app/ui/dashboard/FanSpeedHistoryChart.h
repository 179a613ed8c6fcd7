#pragma once
// What the fan-speed history chart draws: one line per fan (the first solid, the others
// dashed), its legend, the speed domain and the compact speed labels.

#include "app/ui/dashboard/HistoryChartAxis.h"

#include <QColor>
#include <QList>
#include <QString>

namespace brisvane {

struct FanSpeedHistoryChart {
    struct FanSpeedPoint {
        qint64 id = 0;
        double minutesFromNow = 0;
        QString seriesName;
        double rpm = 0;

        friend bool operator==(const FanSpeedPoint&, const FanSpeedPoint&) = default;
    };
    struct LegendEntry {
        QString name; // the fan's display name
        bool dashed = false;
    };

    // 5 on, 4 off, in points.
    static constexpr double kDashOn = 5;
    static constexpr double kDashOff = 4;

    // "Left", "Right", then "Fan 3", "Fan 4", …
    static QString seriesName(int fanIndex);
    // Built from the newest sample's fans, in order.
    static QStringList seriesNames(const QList<TelemetrySample>& samples);
    // The primary colour (the text colour) at opacity 0.7, one per series name.
    static QList<QColor> seriesColors(const QList<TelemetrySample>& samples, QColor primary);
    // Only the first series is solid; a series not in `names` is solid too.
    static bool isDashed(const QString& seriesName, const QStringList& names);
    // One entry per fan of the newest sample, named as the dashboard names fans.
    static QList<LegendEntry> legend(const QList<TelemetrySample>& samples);
    // A point per sample and fan, id = fan index + 16k with k as in the temperature chart.
    static QList<FanSpeedPoint> points(const QList<TelemetrySample>& samples);
    // 0 … the next whole thousand above 1000, every current fan's maximum and every point.
    static ChartDomain speedDomain(const QList<FanSpeedPoint>& points,
                                   const std::vector<SMCFanReading>& fans);
    // Grid values inside the domain, at most five: steps of 1000, 2000 or 5000 rpm.
    static QList<double> speedTickValues(ChartDomain domain);
    // "0", "500", "2K", "2.5K".
    static QString compactSpeedLabel(double rpm);
};

} // namespace brisvane
