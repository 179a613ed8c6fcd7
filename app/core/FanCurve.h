#pragma once
// The curve of one fan: points in ascending order of temperature, evaluated by straight-line
// interpolation. Every operation here keeps the order; points decoded from a file are taken
// as they stand.

#include "app/core/FanCurvePoint.h"

#include <QList>

namespace brisvane {

struct FanCurve {
    Q_GADGET
    Q_PROPERTY(QList<brisvane::FanCurvePoint> points MEMBER points)

public:
    // The range a dragged point is held in, degrees Celsius.
    static constexpr double kMinimumTempC = 20;
    static constexpr double kMaximumTempC = 110;

    QList<FanCurvePoint> points;

    FanCurve() = default;
    // Sorts by ascending temperature; points with equal temperatures keep their given order.
    explicit FanCurve(QList<FanCurvePoint> points);

    // Percent at `temperature`: 0 below the first point (and for NaN), the last point's percent
    // at and above it, interpolated in between. Not clamped.
    Q_INVOKABLE double percent(double temperature) const;

    // Replaces the point at `index`, holding its temperature at least 1 °C from its neighbours
    // and within 20–110 °C; nothing changes for an index outside the curve or when the
    // neighbours are less than 2 °C apart. The percent is stored as given.
    void move(qsizetype index, const FanCurvePoint& point);

    // Adds the point unchanged and re-sorts stably, so it lands after an existing point of the
    // same temperature.
    void insert(const FanCurvePoint& point);

    friend bool operator==(const FanCurve&, const FanCurve&) = default;

    // {"points": [point, …]}; decoding keeps the order of the file.
    QJsonObject toJson() const;
    static FanCurve fromJson(const QJsonValue& json);
};

inline size_t qHash(const FanCurve& curve, size_t seed = 0)
{
    return qHashRange(curve.points.cbegin(), curve.points.cend(), seed);
}

} // namespace brisvane

Q_DECLARE_METATYPE(brisvane::FanCurve)
