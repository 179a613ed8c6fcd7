#pragma once
// The colours every screen shares, resolved for one appearance. QML reads them through
// Theme.colors, which is replaced when the appearance changes, so bindings that call
// temperatureColor() follow a light or dark switch.

#include <QColor>
#include <QObject>
#include <QtQml/qqmlregistration.h>

namespace brisvane {

class AppColors {
    Q_GADGET
    QML_VALUE_TYPE(appColors)

public:
    AppColors() = default;
    // `accent` is the platform's accent (highlight) colour.
    AppColors(bool isDark, QColor accent);

    Q_PROPERTY(bool isDark READ isDark CONSTANT)
    bool isDark() const { return m_isDark; }

    Q_PROPERTY(QColor accent READ accent CONSTANT)
    QColor accent() const { return m_accent; }
    // The CPU and GPU lines of the charts.
    Q_PROPERTY(QColor cpuSeries READ cpuSeries CONSTANT)
    QColor cpuSeries() const;
    Q_PROPERTY(QColor gpuSeries READ gpuSeries CONSTANT)
    QColor gpuSeries() const;
    // The fan gradient runs from the first stop (top leading) to the second (bottom trailing).
    Q_PROPERTY(QColor fanGradientStart READ fanGradientStart CONSTANT)
    QColor fanGradientStart() const;
    Q_PROPERTY(QColor fanGradientEnd READ fanGradientEnd CONSTANT)
    QColor fanGradientEnd() const;
    Q_PROPERTY(QColor secondaryText READ secondaryText CONSTANT)
    QColor secondaryText() const;
    Q_PROPERTY(QColor tertiaryText READ tertiaryText CONSTANT)
    QColor tertiaryText() const;

    // Cool blue-green at 40 °C and below, red at 95 °C and above, linear in hue between.
    Q_INVOKABLE QColor temperatureColor(double celsius) const;
    static QColor temperatureColor(double celsius, bool isDark);
    // The hue temperatureColor() uses, 0.53 to 0.01.
    static double temperatureHue(double celsius);

    friend bool operator==(const AppColors&, const AppColors&) = default;

private:
    bool m_isDark = false;
    QColor m_accent;
};

} // namespace brisvane
