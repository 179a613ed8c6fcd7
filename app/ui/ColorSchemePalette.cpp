#include "app/ui/ColorSchemePalette.h"

#include <QGuiApplication>
#include <QPalette>

namespace brisvane {

ColorSchemePalette::ColorScheme
ColorSchemePalette::forcedColorScheme(const std::optional<QString>& value)
{
    if (value == QStringLiteral("light"))
        return ColorScheme::light;
    if (value == QStringLiteral("dark"))
        return ColorScheme::dark;
    return ColorScheme::system;
}

ColorSchemePalette::ColorSchemePalette(ColorScheme scheme, QObject* parent)
    : QObject(parent)
    , m_scheme(scheme)
{
    switch (scheme) {
    case ColorScheme::light:
        m_isDark = false;
        m_windowColor = QColor(0xf5, 0xf5, 0xf7);
        m_panelColor = QColor(0xff, 0xff, 0xff);
        m_textColor = QColor(0x1d, 0x1d, 0x1f);
        m_secondaryTextColor = QColor(0x6e, 0x6e, 0x73);
        m_accentColor = QColor(0x00, 0x7a, 0xff);
        break;
    case ColorScheme::dark:
        m_isDark = true;
        m_windowColor = QColor(0x1e, 0x1e, 0x20);
        m_panelColor = QColor(0x2c, 0x2c, 0x2e);
        m_textColor = QColor(0xf5, 0xf5, 0xf7);
        m_secondaryTextColor = QColor(0xa1, 0xa1, 0xa6);
        m_accentColor = QColor(0x0a, 0x84, 0xff);
        break;
    case ColorScheme::system: {
        const QPalette palette = QGuiApplication::palette();
        m_windowColor = palette.color(QPalette::Window);
        m_isDark = m_windowColor.lightness() < 128;
        m_panelColor = palette.color(QPalette::Base);
        m_textColor = palette.color(QPalette::WindowText);
        m_secondaryTextColor = palette.color(QPalette::PlaceholderText);
        m_accentColor = palette.color(QPalette::Highlight);
        break;
    }
    }
}

} // namespace brisvane
