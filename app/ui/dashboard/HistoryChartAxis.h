#pragma once
// The time axis both history charts share. x values are minutes relative to the newest sample:
// 0 is the newest, older samples are negative.

#include "app/core/TelemetrySample.h"

#include <QList>
#include <QString>

namespace brisvane {

// A closed interval of chart values.
struct ChartDomain {
    double lower = 0;
    double upper = 0;

    friend bool operator==(const ChartDomain&, const ChartDomain&) = default;
};

namespace HistoryChartAxis {

// (sample − newest) in minutes.
double minutesFromNow(const TelemetrySample& sample, const TelemetrySample& newest);
// A sample's place in the point ids: its time from the newest in whole milliseconds.
qint64 sampleKey(double minutesFromNow);
// The multiples of `step` inside `domain`, lowest first: the grid lines of a value axis.
QList<double> gridValues(ChartDomain domain, double step);
// −span … 0, or −1 … 0 for a span of at most a minute or no samples. Samples oldest first.
ChartDomain timeDomain(const QList<TelemetrySample>& samples);
// Every step back from 0 while greater than −span: 0.5, 1, 3 or 5 minutes by the span.
QList<double> relativeTimeTickValues(const QList<TelemetrySample>& samples);
// "30 s ago" below 95 seconds, "2 min ago" from there on.
QString relativeTimeLabel(double minutesFromNow);

} // namespace HistoryChartAxis
} // namespace brisvane
