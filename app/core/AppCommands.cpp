#include "app/core/AppCommands.h"

#include "app/core/AppState.h"
#include "app/core/JSONDecodeError.h"
#include "app/core/PresetImport.h"
#include "app/core/SharedFanName.h"

#include <QJsonArray>

#include <cmath>

namespace brisvane {
namespace {

QJsonValue optionalNumber(std::optional<double> value)
{
    return value && std::isfinite(*value) ? QJsonValue(*value) : QJsonValue(QJsonValue::Null);
}

QJsonArray presetNames(const PresetStore& store)
{
    QJsonArray names;
    for (const FanPreset& preset : store.presets())
        names.append(preset.name);
    return names;
}

const FanPreset* presetNamed(const PresetStore& store, const QString& name)
{
    for (const FanPreset& preset : store.presets())
        if (preset.name == name)
            return &preset;
    return nullptr;
}

QJsonObject success(QJsonObject reply = {})
{
    reply.insert(QStringLiteral("version"), AppCommands::kVersion);
    reply.insert(QStringLiteral("ok"), true);
    return reply;
}

QJsonObject unknownPreset(const PresetStore& store, const QString& name)
{
    QJsonObject reply = AppCommands::failure(QStringLiteral("No preset is named \"%1\"").arg(name));
    reply.insert(QStringLiteral("presets"), presetNames(store));
    return reply;
}

QJsonObject activatePreset(AppState& state, const QString& name)
{
    PresetStore& store = state.presets();
    if (name == QLatin1StringView(AppState::kAutomaticPresetChoice)) {
        store.setActivePresetID(std::nullopt);
    } else if (const FanPreset* preset = presetNamed(store, name)) {
        store.setActivePresetID(preset->id);
    } else {
        return unknownPreset(store, name);
    }
    state.engine().pushSoon();
    return success();
}

QJsonObject boost(AppState& state, const QJsonValue& percent)
{
    const double value = percent.toDouble(-1);
    if (!percent.isDouble() || value != std::floor(value) || value < 0 || value > 100)
        return AppCommands::failure(QStringLiteral("The boost is an integer from 0 to 100"));
    state.engine().setQuickBoostPercent(value);
    return success();
}

QJsonObject exportPreset(const AppState& state, const QString& name)
{
    const FanPreset* preset = presetNamed(state.presets(), name);
    if (!preset)
        return unknownPreset(state.presets(), name);
    return success({{QStringLiteral("data"), QString::fromUtf8(PresetImport::encode(*preset))}});
}

QJsonObject importPreset(AppState& state, const QString& data)
{
    QList<FanPreset> decoded;
    try {
        decoded = PresetImport::decode(data.toUtf8());
    } catch (const JSONDecodeError& error) {
        return AppCommands::failure(error.description());
    }
    const std::optional<QList<FanPreset>> added = state.presets().importPresets(decoded);
    if (!added)
        return AppCommands::failure(QLatin1StringView(AppCommands::kLimitReached));
    QJsonArray names;
    for (const FanPreset& preset : *added)
        names.append(preset.name);
    return success({{QStringLiteral("imported"), names}});
}

QString helperStateText(HelperControlling::HelperState state)
{
    switch (state) {
    case HelperControlling::HelperState::notInstalled:
        return QStringLiteral("notInstalled");
    case HelperControlling::HelperState::unreachable:
        return QStringLiteral("unreachable");
    case HelperControlling::HelperState::installed:
        break;
    }
    return QStringLiteral("installed");
}

} // namespace

QJsonObject AppCommands::failure(const QString& error)
{
    return {{QStringLiteral("version"), kVersion},
            {QStringLiteral("ok"), false},
            {QStringLiteral("error"), error}};
}

QJsonObject AppCommands::handle(AppState& state, const QJsonObject& request)
{
    if (request.value(QStringLiteral("version")).toInt(-1) != kVersion)
        return failure(
            QStringLiteral("Unsupported request version (this copy speaks %1)").arg(kVersion));
    const QString command = request.value(QStringLiteral("command")).toString();
    const QJsonValue name = request.value(QStringLiteral("name"));
    const QJsonValue data = request.value(QStringLiteral("data"));
    if (command == u"status")
        return success({{QStringLiteral("status"), status(state)}});
    if (command == u"activatePreset" && name.isString())
        return activatePreset(state, name.toString());
    if (command == u"boost")
        return boost(state, request.value(QStringLiteral("percent")));
    if (command == u"exportPreset" && name.isString())
        return exportPreset(state, name.toString());
    if (command == u"importPreset" && data.isString())
        return importPreset(state, data.toString());
    return failure(QStringLiteral("Unknown or incomplete command \"%1\"").arg(command.left(40)));
}

QJsonObject AppCommands::status(const AppState& state)
{
    const PresetStore& store = state.presets();
    const std::optional<FanPreset>& active = store.activePreset();
    const HelperControlling& helper = state.helper();
    QJsonValue phase(QJsonValue::Null);
    if (const std::optional<HelperStatus>& last = helper.lastStatus();
        last && helper.state() != HelperControlling::HelperState::notInstalled) {
        const std::string_view raw = rawValue(last->phase);
        phase = QString::fromLatin1(raw.data(), static_cast<qsizetype>(raw.size()));
    }
    const std::optional<TelemetrySample>& sample = state.telemetry().latest();
    QJsonArray fans;
    if (sample) {
        const int count = static_cast<int>(sample->fans.size());
        for (const SMCFanReading& fan : sample->fans)
            fans.append(QJsonObject{{QStringLiteral("name"), sharedFanName(fan.index, count)},
                                    {QStringLiteral("rpm"), fan.actualRPM},
                                    {QStringLiteral("targetRPM"), fan.targetRPM},
                                    {QStringLiteral("minRPM"), fan.minRPM},
                                    {QStringLiteral("maxRPM"), fan.maxRPM}});
    }
    return {
        {QStringLiteral("activePreset"),
         active ? active->name : QString::fromLatin1(AppState::kAutomaticPresetChoice)},
        {QStringLiteral("presets"), presetNames(store)},
        {QStringLiteral("boostPercent"), state.engine().quickBoostPercent()},
        {QStringLiteral("helper"), helperStateText(helper.state())},
        {QStringLiteral("phase"), phase},
        {QStringLiteral("systemCelsius"), optionalNumber(state.telemetry().systemTemperature())},
        {QStringLiteral("cpuCelsius"),
         optionalNumber(sample ? std::optional(sample->temperatures.cpuMax) : std::nullopt)},
        {QStringLiteral("gpuCelsius"),
         optionalNumber(sample ? std::optional(sample->temperatures.gpuMax) : std::nullopt)},
        {QStringLiteral("fans"), fans},
    };
}

} // namespace brisvane
