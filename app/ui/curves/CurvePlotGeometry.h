#pragma once
// The curve plot's mapping between curve values and points: 20 °C at the left edge to 110 °C at
// the right, 0 % at the bottom to 100 % at the top.

#include "app/core/FanCurve.h"

#include <QObject>
#include <QPointF>
#include <QSizeF>
#include <QtQml/qqmlregistration.h>

namespace brisvane {

struct CurvePlotGeometry {
    Q_GADGET
    QML_VALUE_TYPE(curvePlotGeometry)
    Q_PROPERTY(double width MEMBER width)
    Q_PROPERTY(double height MEMBER height)

public:
    double width = 0;
    double height = 0;

    Q_INVOKABLE double x(double tempC) const;
    Q_INVOKABLE double y(double percent) const;
    Q_INVOKABLE QPointF position(double tempC, double percent) const;
    // Clamped to 20–110 °C; 20 when the plot has no width.
    Q_INVOKABLE double temperature(double x) const;
    // Clamped to 0–100 %; 0 when the plot has no height.
    Q_INVOKABLE double percent(double y) const;

    friend bool operator==(const CurvePlotGeometry&, const CurvePlotGeometry&) = default;
};

} // namespace brisvane
