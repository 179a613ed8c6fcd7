#pragma once
// The line a preset card's thumbnail draws: the curve the engine evaluates, sampled across the
// editor's temperature range, with 16 % of the height left free above and below.

#include "app/core/FanCurve.h"

#include <QPolygonF>
#include <QSizeF>

namespace brisvane {

struct MiniCurveThumbnailPath {
    static constexpr int kSampleCount = 41;
    static constexpr double kVerticalMargin = 0.16; // of the height, at top and at bottom

    // Sample i at 20 + 90 × i / 40 °C, placed at x = width × i / 40; 0 % on the lower margin,
    // 100 % on the upper one. Percentages outside 0–100 (a hand-edited file) leave the margins.
    static QPolygonF points(const FanCurve& curve, QSizeF size);
};

} // namespace brisvane
