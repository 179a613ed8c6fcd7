#include "app/core/FanCurve.h"

#include "app/core/JSONDecodeError.h"

#include <QJsonArray>

#include <algorithm>
#include <cmath>

namespace brisvane {
namespace {

// A strict weak order even with NaN temperatures (they sort last), which std::stable_sort needs.
bool colderThan(const FanCurvePoint& a, const FanCurvePoint& b)
{
    if (std::isnan(a.tempC))
        return false;
    if (std::isnan(b.tempC))
        return true;
    return a.tempC < b.tempC;
}

} // namespace

FanCurve::FanCurve(QList<FanCurvePoint> points)
    : points(std::move(points))
{
    std::stable_sort(this->points.begin(), this->points.end(), colderThan);
}

double FanCurve::percent(double temperature) const
{
    if (points.isEmpty())
        return 0;
    if (std::isnan(temperature) || temperature < points.first().tempC)
        return 0;
    if (temperature >= points.last().tempC)
        return points.last().percent;
    for (qsizetype i = 1; i < points.size(); ++i) {
        const FanCurvePoint& upper = points[i];
        if (upper.tempC <= temperature)
            continue;
        const FanCurvePoint& lower = points[i - 1];
        const double dt = upper.tempC - lower.tempC;
        // dt <= 0 only for unsorted points read from a file.
        if (dt <= 0)
            return upper.percent;
        return lower.percent + (temperature - lower.tempC) / dt * (upper.percent - lower.percent);
    }
    return points.last().percent; // not reached: the last point lies above `temperature`
}

void FanCurve::move(qsizetype index, const FanCurvePoint& point)
{
    const qsizetype n = points.size();
    if (index < 0 || index >= n)
        return;
    const double lo = index == 0 ? kMinimumTempC : points[index - 1].tempC + 1;
    const double hi = index == n - 1 ? kMaximumTempC : points[index + 1].tempC - 1;
    if (lo > hi)
        return;
    points[index] = FanCurvePoint{std::min(hi, std::max(lo, point.tempC)), point.percent};
}

void FanCurve::insert(const FanCurvePoint& point)
{
    points.append(point);
    std::stable_sort(points.begin(), points.end(), colderThan);
}

QJsonObject FanCurve::toJson() const
{
    QJsonArray array;
    for (const FanCurvePoint& point : points)
        array.append(point.toJson());
    return QJsonObject{{QLatin1StringView("points"), array}};
}

FanCurve FanCurve::fromJson(const QJsonValue& json)
{
    if (!json.isObject())
        throw JSONDecodeError(QStringLiteral("a curve is not an object"));
    const QJsonValue pointsValue = json.toObject().value(QLatin1StringView("points"));
    if (pointsValue.isUndefined())
        throw JSONDecodeError(QStringLiteral("missing key \"points\""));
    if (!pointsValue.isArray())
        throw JSONDecodeError(QStringLiteral("\"points\" is not an array"));
    FanCurve curve;
    const QJsonArray array = pointsValue.toArray();
    curve.points.reserve(array.size());
    for (const QJsonValue& value : array)
        curve.points.append(FanCurvePoint::fromJson(value));
    return curve;
}

} // namespace brisvane
