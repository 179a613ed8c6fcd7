#include "app/ui/dashboard/HistoryCard.h"

#include <cmath>

namespace brisvane {

QList<TelemetrySample> HistoryCard::downsampled(const QList<TelemetrySample>& samples, qint64 phase)
{
    if (samples.size() <= kMaximumDrawnSamples)
        return samples;
    const qsizetype stride = (samples.size() + kMaximumDrawnSamples - 1) / kMaximumDrawnSamples;
    QList<TelemetrySample> kept;
    kept.reserve(samples.size() / stride + 2);
    for (qsizetype index = (stride - phase % stride) % stride; index < samples.size();
         index += stride)
        kept.append(samples[index]);
    if (kept.isEmpty() || !(kept.last().timestamp == samples.last().timestamp))
        kept.append(samples.last());
    return kept;
}

QString HistoryCard::timeWindowDescription(const QList<TelemetrySample>& samples)
{
    if (samples.isEmpty())
        return qtTrId("dashboard.history.windowFallback");
    const double seconds = samples.first().timestamp.msecsTo(samples.last().timestamp) / 1000.0;
    const auto minutes = static_cast<long long>(std::ceil(seconds / 60));
    if (minutes > 1)
        return qtTrId("dashboard.history.windowLastMinutes").arg(minutes);
    return qtTrId("dashboard.history.windowLastMinute");
}

} // namespace brisvane
