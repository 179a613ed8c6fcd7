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

QColor AppColors::warning() const
{
    return m_isDark ? QColor(0xff, 0x9f, 0x0a) : QColor(0xff, 0x95, 0x00);
}

QColor AppColors::panelWarning() const
{
    return QColor(0xff, 0x95, 0x00);
}

QColor AppColors::destructive() const
{
    return m_isDark ? QColor(0xff, 0x45, 0x3a) : QColor(0xe0, 0x35, 0x2b);
}

QColor AppColors::readOnlyCurve() const
{
    return QColor(0x8e, 0x8e, 0x93);
}

QColor AppColors::tint(StatusTint::Tint tint) const
{
    // The system colours of each appearance.
    switch (tint) {
    case StatusTint::Tint::Secondary:
        break;
    case StatusTint::Tint::Accent:
        return m_accent;
    case StatusTint::Tint::Warning:
        return warning();
    case StatusTint::Tint::Gray:
        return m_isDark ? QColor(0x98, 0x98, 0x9d) : QColor(0x8e, 0x8e, 0x93);
    case StatusTint::Tint::Green:
        return m_isDark ? QColor(0x30, 0xd1, 0x58) : QColor(0x28, 0xa7, 0x45);
    case StatusTint::Tint::Orange:
        return m_isDark ? QColor(0xff, 0x9f, 0x0a) : QColor(0xf0, 0x8a, 0x00);
    case StatusTint::Tint::Red:
        return m_isDark ? QColor(0xff, 0x45, 0x3a) : QColor(0xe0, 0x2f, 0x26);
    }
    return secondaryText();
}

QColor AppColors::textOn(const QColor& background)
{
    const double brightness =
        0.299 * background.redF() + 0.587 * background.greenF() + 0.114 * background.blueF();
    return brightness > 0.6 ? QColor(Qt::black) : QColor(Qt::white);
}

QColor AppColors::withOpacity(QColor colour, double opacity)
{
    colour.setAlphaF(float(opacity));
    return colour;
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
