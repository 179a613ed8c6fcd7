#include "app/ui/presets/PresetGrid.h"

#include <algorithm>
#include <cmath>

namespace brisvane {

PresetGrid::Columns PresetGrid::columns(double availableWidth)
{
    const double width = std::isfinite(availableWidth) ? std::max(availableWidth, 0.0) : 0.0;
    if (width < kMinimumCardWidth)
        return {1, width, width};
    const int count =
        static_cast<int>(std::floor((width + kSpacing) / (kMinimumCardWidth + kSpacing)));
    const double cardWidth = std::min((width - kSpacing * (count - 1)) / count, kMaximumCardWidth);
    return {count, cardWidth, count * cardWidth + kSpacing * (count - 1)};
}

} // namespace brisvane
