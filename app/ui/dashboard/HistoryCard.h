#pragma once
// The history card's decisions: which samples the charts draw, and the window text above them.

#include "app/core/TelemetrySample.h"

#include <QList>
#include <QString>

namespace brisvane {

struct HistoryCard {
    static constexpr qsizetype kMaximumDrawnSamples = 240;

    // At most 240 samples unchanged; otherwise every stride-th sample (stride ⌈count ÷ 240⌉),
    // counted from the oldest, and the newest. `phase` is how many samples have left the front of
    // the history so far: counting strides from the first sample ever kept instead of the oldest
    // one still there keeps the chosen samples fixed while the history slides, so the lines do
    // not shimmer as the window moves and a new sample only adds a point.
    static QList<TelemetrySample> downsampled(const QList<TelemetrySample>& samples,
                                              qint64 phase = 0);
    // "Last 30 minutes", "Last minute", or the fallback for no samples.
    static QString timeWindowDescription(const QList<TelemetrySample>& samples);
};

} // namespace brisvane
