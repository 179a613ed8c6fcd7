#include "app/core/FanCurvePoint.h"

#include "app/core/JSONDecodeError.h"

#include <QJsonValue>

namespace brisvane {
namespace {

double requiredNumber(const QJsonObject& object, QLatin1StringView key)
{
    const QJsonValue value = object.value(key);
    if (value.isUndefined())
        throw JSONDecodeError(QStringLiteral("missing key \"%1\"").arg(key));
    // No finiteness check: the JSON parser refuses literals beyond a double's range, so text
    // never yields an infinity here.
    if (!value.isDouble())
        throw JSONDecodeError(QStringLiteral("\"%1\" is not a number").arg(key));
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
