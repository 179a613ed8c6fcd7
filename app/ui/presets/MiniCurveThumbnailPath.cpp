#include "app/ui/presets/MiniCurveThumbnailPath.h"

#include <algorithm>

namespace brisvane {

QPolygonF MiniCurveThumbnailPath::points(const FanCurve& curve, QSizeF size)
{
    const double span = FanCurve::kMaximumTempC - FanCurve::kMinimumTempC;
    const double last = kSampleCount - 1;
    const double plotHeight = std::max(size.height() - 2 * kVerticalMargin * size.height(), 0.0);
    QPolygonF line;
    line.reserve(kSampleCount);
    for (int i = 0; i < kSampleCount; ++i) {
        const double percent = curve.percent(FanCurve::kMinimumTempC + span * i / last);
        line.append({size.width() * i / last,
                     kVerticalMargin * size.height() + plotHeight * (1 - percent / 100)});
    }
    return line;
}

} // namespace brisvane
