#include "app/ui/design/AppColors.h"

#include <algorithm>
#include <cmath>

namespace brisvane {

AppColors::AppColors(bool isDark, QColor accent)
    : m_isDark(isDark)
    , m_accent(accent)
{}

QColor AppColors::cpuSeries() const
{
    return QColor::fromHsvF(0.07f, 0.85f, 0.95f);
}

QColor AppColors::gpuSeries() const
{
    return QColor::fromHsvF(0.47f, 0.75f, 0.82f);
}

QColor AppColors::fanGradientStart() const
{
    return QColor::fromHsvF(0.53f, 0.8f, 0.95f);
}

QColor AppColors::fanGradientEnd() const
{
    return QColor::fromHsvF(0.6f, 0.85f, 0.9f);
}

QColor AppColors::secondaryText() const
{
    // The dark appearance's secondary label colour: white at 55 %.
    return m_isDark ? QColor::fromRgbF(1, 1, 1, 0.55f) : QColor::fromRgbF(0.38f, 0.38f, 0.38f);
}

QColor AppColors::tertiaryText() const
{
    const float white = m_isDark ? 0.68f : 0.4f;
    return QColor::fromRgbF(white, white, white);
}

double AppColors::temperatureHue(double celsius)
{
    const double t = (celsius - 40) / 55;
    // NaN compares false: an unreadable temperature takes the cool colour.
    return t > 0 ? 0.53 - 0.52 * std::min(t, 1.0) : 0.53;
}

QColor AppColors::temperatureColor(double celsius, bool isDark)
{
    const double hue = temperatureHue(celsius);
    if (isDark)
        return QColor::fromHsvF(float(hue), 0.8f, 0.95f);
    // The yellow-green band is too bright on white at the brightness the rest takes.
    const bool yellowGreen = hue > 0.1 && hue < 0.45;
    return QColor::fromHsvF(float(hue), 1.0f, yellowGreen ? 0.42f : 0.5f);
}

QColor AppColors::temperatureColor(double celsius) const
{
    return temperatureColor(celsius, m_isDark);
}

} // namespace brisvane
