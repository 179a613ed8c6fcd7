#include "app/core/FanCurvePoint.h"

#include "app/core/JSONDecodeError.h"

#include <QJsonValue>

#include <cmath>

namespace brisvane {
namespace {

double requiredNumber(const QJsonObject& object, QLatin1StringView key)
{
    const QJsonValue value = object.value(key);
    if (value.isUndefined())
        throw JSONDecodeError(QStringLiteral("missing key \"%1\"").arg(key));
    // JSON has no infinities, but the parser turns an overflowing literal such as 1e999 into
    // one; such a value could never be written back, so it is as bad as a wrong type.
    if (!value.isDouble() || !std::isfinite(value.toDouble()))
        throw JSONDecodeError(QStringLiteral("\"%1\" is not a finite number").arg(key));
    return value.toDouble();
}

} // namespace

QJsonObject FanCurvePoint::toJson() const
{
    return QJsonObject{{QLatin1StringView("percent"), percent},
                       {QLatin1StringView("tempC"), tempC}};
}

FanCurvePoint FanCurvePoint::fromJson(const QJsonValue& json)
{
    if (!json.isObject())
        throw JSONDecodeError(QStringLiteral("a curve point is not an object"));
    const QJsonObject object = json.toObject();
    return FanCurvePoint{requiredNumber(object, QLatin1StringView("tempC")),
                         requiredNumber(object, QLatin1StringView("percent"))};
}

} // namespace brisvane
