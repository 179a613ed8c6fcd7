#pragma once
// The temperature card's texts: its two caption lines and the name assistive technology reads.

#include <QObject>
#include <QString>
#include <QtQml/qqmlregistration.h>

namespace brisvane {

class TemperatureCardText : public QObject {
    Q_OBJECT
    QML_ELEMENT
    QML_SINGLETON

public:
    using QObject::QObject;

    // "Hottest core: 62 °C", formatted "%.0f".
    Q_INVOKABLE static QString hottestCoreCaption(double celsius);
    // "Peak this session: 63.1 °C", formatted "%.1f".
    Q_INVOKABLE static QString sessionPeakCaption(double celsius);
    // "CPU average, 52.0 °C, Hottest core: 62 °C, Peak this session: 63.1 °C".
    Q_INVOKABLE static QString accessibleName(const QString& title, double averageCelsius,
                                              double hottestCoreCelsius, double sessionPeakCelsius);
};

} // namespace brisvane
