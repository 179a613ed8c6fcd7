#pragma once
// One point of a fan curve: at `tempC` degrees Celsius the fan runs at `percent` of its range
// between its minimum (0) and maximum (100) speed.

#include <QHashFunctions>
#include <QJsonObject>
#include <QMetaType>

namespace brisvane {

struct FanCurvePoint {
    Q_GADGET
    Q_PROPERTY(double tempC MEMBER tempC)
    Q_PROPERTY(double percent MEMBER percent)

public:
    double tempC = 0;
    double percent = 0;

    friend bool operator==(const FanCurvePoint&, const FanCurvePoint&) = default;

    // {"percent": …, "tempC": …}; both keys required, both finite numbers.
    QJsonObject toJson() const;
    static FanCurvePoint fromJson(const QJsonValue& json);
};

inline size_t qHash(const FanCurvePoint& point, size_t seed = 0)
{
    return qHashMulti(seed, point.tempC, point.percent);
}

} // namespace brisvane

Q_DECLARE_METATYPE(brisvane::FanCurvePoint)
