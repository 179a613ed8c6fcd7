#pragma once
// How readings are written: the temperature readout's number, a fan's speed, the gauge's
// fraction, and the accessible names that carry them to assistive technology.

#include <QLocale>
#include <QObject>
#include <QString>
#include <QtQml/qqmlregistration.h>

namespace brisvane {

class Readouts : public QObject {
    Q_OBJECT
    QML_ELEMENT
    QML_SINGLETON

public:
    using QObject::QObject;

    // In `locale`: one fraction digit below 100, none at 100 and above; "--" when unreadable.
    static QString formattedCelsius(double celsius, const QLocale& locale);
    Q_INVOKABLE static QString formattedCelsius(double celsius)
    {
        return formattedCelsius(celsius, QLocale());
    }
    // "45.5 °C".
    Q_INVOKABLE static QString degrees(double celsius);
    // Truncated and grouped as the locale groups: "2,400" (no unit).
    Q_INVOKABLE static QString fanSpeed(double rpm);
    // "CPU, 45.5 °C" and "Left fan, 2,400 rpm".
    Q_INVOKABLE static QString temperatureAccessibleName(const QString& caption, double celsius);
    Q_INVOKABLE static QString fanAccessibleName(const QString& fanName, double rpm);
    // rpm / maxRPM in [0, 1], rounded to three decimals so that jitter does not restart the
    // gauge's animation; 0 without a maximum.
    Q_INVOKABLE static double gaugeFraction(double rpm, double maxRPM);
    // The fan glyph beside a gauge turns 2.2 × the gauge's fraction per second; 0 while parked.
    Q_INVOKABLE static double fanSpinRevolutionsPerSecond(double rpm, double maxRPM);
};

} // namespace brisvane
