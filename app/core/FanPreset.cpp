#include "app/core/FanPreset.h"

#include "app/core/JSONDecodeError.h"
#include "app/core/UuidText.h"

#include <QCoreApplication>
#include <QJsonArray>

namespace brisvane {
namespace {

QJsonValue requiredValue(const QJsonObject& object, QLatin1StringView key)
{
    const QJsonValue value = object.value(key);
    if (value.isUndefined())
        throw JSONDecodeError(QStringLiteral("missing key \"%1\"").arg(key));
    return value;
}

QString requiredString(const QJsonObject& object, QLatin1StringView key)
{
    const QJsonValue value = requiredValue(object, key);
    if (!value.isString())
        throw JSONDecodeError(QStringLiteral("\"%1\" is not a string").arg(key));
    return value.toString();
}

QList<FanCurve> copies(const FanCurve& curve, int count)
{
    return QList<FanCurve>(std::max(count, 0), curve);
}

} // namespace

QString FanPreset::idText() const
{
    return uuidText(id);
}

QString FanPreset::sourceText(Source source)
{
    switch (source) {
    case Source::appSetting:
        return {};
    case Source::cpu:
        return QStringLiteral("cpu");
    case Source::gpu:
        return QStringLiteral("gpu");
    case Source::hottestCore:
        return QStringLiteral("hottestCore");
    }
    return {};
}

FanPreset::Source FanPreset::sourceFromText(QStringView text)
{
    for (Source source : {Source::cpu, Source::gpu, Source::hottestCore})
        if (text == sourceText(source))
            return source;
    return Source::appSetting;
}

FanPreset::Source FanPreset::source() const
{
    return sourceFromText(temperatureSourceText);
}

void FanPreset::setSource(Source source)
{
    temperatureSourceText = sourceText(source);
}

QList<double> FanPreset::percents(double temperature, int fanCount) const
{
    QList<double> result;
    result.reserve(std::max(fanCount, 0));
    for (int i = 0; i < fanCount; ++i) {
        if (i < curves.size())
            result.append(curves[i].percent(temperature));
        else if (!curves.isEmpty())
            result.append(curves.last().percent(temperature));
        else
            result.append(FanCurve().percent(temperature));
    }
    return result;
}

FanCurve FanPreset::coolCurve()
{
    return FanCurve({{30, 0}, {45, 15}, {55, 30}, {64, 49}, {72, 73}, {80, 100}});
}

FanCurve FanPreset::fullSpeedCurve()
{
    return FanCurve({{20, 100}});
}

QList<FanPreset> FanPreset::builtIns(int fanCount)
{
    return {
        FanPreset{coolID, qtTrId("preset.builtIn.cool.name"), QStringLiteral("snowflake"),
                  copies(coolCurve(), fanCount), true},
        FanPreset{fullSpeedID, qtTrId("preset.builtIn.fullSpeed.name"), QStringLiteral("wind"),
                  copies(fullSpeedCurve(), fanCount), true},
    };
}

QJsonObject FanPreset::toJson() const
{
    QJsonArray curveArray;
    for (const FanCurve& curve : curves)
        curveArray.append(curve.toJson());
    QJsonObject object{
        {QLatin1StringView("curves"), curveArray},     {QLatin1StringView("id"), uuidText(id)},
        {QLatin1StringView("isBuiltIn"), isBuiltIn},   {QLatin1StringView("name"), name},
        {QLatin1StringView("symbolName"), symbolName},
    };
    // Absent for the app's setting, so such a preset is written exactly as before.
    if (!temperatureSourceText.isEmpty())
        object.insert(QLatin1StringView("temperatureSource"), temperatureSourceText);
    return object;
}

FanPreset FanPreset::fromJson(const QJsonValue& json)
{
    if (!json.isObject())
        throw JSONDecodeError(QStringLiteral("a preset is not an object"));
    const QJsonObject object = json.toObject();

    FanPreset preset;
    const QString idString = requiredString(object, QLatin1StringView("id"));
    const std::optional<QUuid> id = uuidFromText(idString);
    if (!id)
        throw JSONDecodeError(QStringLiteral("\"id\" is not a UUID: %1").arg(idString.left(40)));
    preset.id = *id;
    preset.name = requiredString(object, QLatin1StringView("name"));
    preset.symbolName = requiredString(object, QLatin1StringView("symbolName"));

    const QJsonValue curvesValue = requiredValue(object, QLatin1StringView("curves"));
    if (!curvesValue.isArray())
        throw JSONDecodeError(QStringLiteral("\"curves\" is not an array"));
    for (const QJsonValue& value : curvesValue.toArray())
        preset.curves.append(FanCurve::fromJson(value));

    const QJsonValue builtIn = requiredValue(object, QLatin1StringView("isBuiltIn"));
    if (!builtIn.isBool())
        throw JSONDecodeError(QStringLiteral("\"isBuiltIn\" is not a boolean"));
    preset.isBuiltIn = builtIn.toBool();

    // Optional: older files lack it, and any value but a string means the app's setting.
    const QJsonValue source = object.value(QLatin1StringView("temperatureSource"));
    if (source.isString())
        preset.temperatureSourceText = source.toString();
    return preset;
}

} // namespace brisvane
