#pragma once
// The main window's colours: forced light or dark by "ForceColorScheme", else the system's.
// Decided when the window's content is built; the design system refines these later.

#include <QColor>
#include <QObject>
#include <QString>
#include <QtQml/qqmlregistration.h>

#include <optional>

namespace brisvane {

class ColorSchemePalette : public QObject {
    Q_OBJECT
    QML_ELEMENT
    QML_UNCREATABLE("made by the application from \"ForceColorScheme\"")

public:
    enum class ColorScheme { system, light, dark };
    Q_ENUM(ColorScheme)

    // "light" or "dark", exactly (lower case); any other value, or none, follows the system.
    static ColorScheme forcedColorScheme(const std::optional<QString>& value);

    explicit ColorSchemePalette(ColorScheme scheme, QObject* parent = nullptr);

    Q_PROPERTY(brisvane::ColorSchemePalette::ColorScheme scheme READ scheme CONSTANT)
    ColorScheme scheme() const { return m_scheme; }

    // Forced dark, or following a system whose window colour is dark.
    Q_PROPERTY(bool isDark READ isDark CONSTANT)
    bool isDark() const { return m_isDark; }

    Q_PROPERTY(QColor windowColor READ windowColor CONSTANT)
    QColor windowColor() const { return m_windowColor; }
    // Cards and panels on the window.
    Q_PROPERTY(QColor panelColor READ panelColor CONSTANT)
    QColor panelColor() const { return m_panelColor; }
    Q_PROPERTY(QColor textColor READ textColor CONSTANT)
    QColor textColor() const { return m_textColor; }
    Q_PROPERTY(QColor secondaryTextColor READ secondaryTextColor CONSTANT)
    QColor secondaryTextColor() const { return m_secondaryTextColor; }
    Q_PROPERTY(QColor accentColor READ accentColor CONSTANT)
    QColor accentColor() const { return m_accentColor; }

private:
    ColorScheme m_scheme;
    bool m_isDark = false;
    QColor m_windowColor;
    QColor m_panelColor;
    QColor m_textColor;
    QColor m_secondaryTextColor;
    QColor m_accentColor;
};

} // namespace brisvane
