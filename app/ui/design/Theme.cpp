#include "app/ui/design/Theme.h"

#include <QDir>
#include <QEvent>
#include <QFontDatabase>
#include <QGuiApplication>
#include <QPalette>

namespace brisvane {

Theme::ColorScheme Theme::colorScheme(const std::optional<QString>& value)
{
    if (value == QLatin1StringView("light"))
        return ColorScheme::light;
    if (value == QLatin1StringView("dark"))
        return ColorScheme::dark;
    return ColorScheme::system;
}

bool Theme::platformIsDark()
{
    // Qt 6.4 has no colour-scheme hint: a dark window colour is the platform's dark appearance.
    return QGuiApplication::palette().color(QPalette::Window).lightness() < 128;
}

QString Theme::uiFontFamily()
{
    static const QString family = [] {
        QString bundled;
        const QDir fonts(QStringLiteral(":/brisvane/fonts"));
        for (const QString& file : fonts.entryList(QDir::Files)) {
            const int id = QFontDatabase::addApplicationFont(fonts.filePath(file));
            const QStringList families = QFontDatabase::applicationFontFamilies(id);
            if (!families.isEmpty())
                bundled = families.first();
        }
        if (!bundled.isEmpty())
            return bundled;
        return QFontDatabase::hasFamily(QStringLiteral("Inter")) ? QStringLiteral("Inter")
                                                                 : QGuiApplication::font().family();
    }();
    return family;
}

Theme::Theme(QObject* parent)
    : QObject(parent)
    , m_fontFamily(uiFontFamily())
{
    // Qt 6.4 announces a new palette only as an event to the application object. A filter there
    // sees every event of the process, so it only compares the receiver and the type.
    if (qApp)
        qApp->installEventFilter(this);
    updateAppearance();
}

Theme::~Theme()
{
    if (qApp)
        qApp->removeEventFilter(this);
}

void Theme::setForcedColorScheme(const QString& value)
{
    if (m_forcedColorScheme == value)
        return;
    m_forcedColorScheme = value;
    emit forcedColorSchemeChanged();
    updateAppearance();
}

bool Theme::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == qApp && event->type() == QEvent::ApplicationPaletteChange)
        updateAppearance();
    return QObject::eventFilter(watched, event);
}

void Theme::updateAppearance()
{
    bool dark = platformIsDark();
    switch (colorScheme(m_forcedColorScheme)) {
    case ColorScheme::light:
        dark = false;
        break;
    case ColorScheme::dark:
        dark = true;
        break;
    case ColorScheme::system:
        break;
    }
    const AppColors colors(dark, QGuiApplication::palette().color(QPalette::Highlight));
    if (colors == m_colors)
        return;
    m_colors = colors;
    emit appearanceChanged();
}

QColor Theme::windowColor() const
{
    return isDark() ? QColor(0x1e, 0x1e, 0x1e) : QColor(0xec, 0xec, 0xec);
}

QColor Theme::cardColor() const
{
    return isDark() ? QColor(0x2a, 0x2a, 0x2c) : QColor(0xf8, 0xf8, 0xf8);
}

QColor Theme::menuColor() const
{
    return isDark() ? QColor(0x2c, 0x2c, 0x2e) : QColor(0xf6, 0xf6, 0xf6);
}

QColor Theme::cardStrokeColor() const
{
    return isDark() ? QColor::fromRgbF(1, 1, 1, 0.1f) : QColor::fromRgbF(0, 0, 0, 0.08f);
}

QColor Theme::textColor() const
{
    return isDark() ? QColor::fromRgbF(1, 1, 1, 0.88f) : QColor::fromRgbF(0, 0, 0, 0.86f);
}

QColor Theme::separatorColor() const
{
    return isDark() ? QColor::fromRgbF(1, 1, 1, 0.12f) : QColor::fromRgbF(0, 0, 0, 0.1f);
}

} // namespace brisvane
