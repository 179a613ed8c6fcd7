#include "app/ui/settings/AppSettingsModel.h"

#include "app/ui/design/WindowDefaults.h"

#include "app/core/Alerts.h"
#include "app/core/AppBundle.h"
#include "app/core/TemperatureSource.h"
#include "app/core/UserDefaults.h"

#include <algorithm>
#include <cmath>

namespace brisvane {

QString AppSettingsModel::applicationVersionText(const QString& shortVersion, const QString& build)
{
    return QStringLiteral("%1 (%2)").arg(shortVersion.isEmpty() ? QStringLiteral("1.0")
                                                                : shortVersion,
                                         build.isEmpty() ? QStringLiteral("1") : build);
}

AppSettingsModel::AppSettingsModel(QObject* parent)
    : AppSettingsModel(LoginItem(), parent)
{}

AppSettingsModel::AppSettingsModel(LoginItem loginItem, QObject* parent)
    : QObject(parent)
    , m_loginItem(std::move(loginItem))
    , m_launchAtLoginEnabled(m_loginItem.isEnabled())
{}

void AppSettingsModel::setTelemetry(TelemetryStore* telemetry)
{
    if (m_telemetry == telemetry)
        return;
    disconnect(m_defaultsConnection);
    m_telemetry = telemetry;
    if (UserDefaults* store = defaults())
        m_defaultsConnection =
            connect(store, &UserDefaults::changed, this, &AppSettingsModel::defaultsChanged);
    emit telemetryChanged();
    emit defaultsChanged();
}

QString AppSettingsModel::temperatureSource() const
{
    return rawValue(defaults() ? currentTemperatureSource(*defaults())
                               : TemperatureSource::average);
}

void AppSettingsModel::setTemperatureSource(const QString& raw)
{
    const auto source = brisvane::temperatureSource(raw);
    if (!source || !defaults())
        return;
    setCurrentTemperatureSource(*defaults(), *source);
}

void AppSettingsModel::applyLaunchAtLogin(bool enabled)
{
    m_launchAtLoginEnabled = enabled;
    std::optional<LoginItem::Error> error;
    if (m_loginItem.isEnabled() != enabled)
        error = enabled ? m_loginItem.registerItem() : m_loginItem.unregisterItem();
    m_launchAtLoginError = error ? error->description() : QString();
    if (error)
        m_launchAtLoginEnabled = m_loginItem.isEnabled();
    emit launchAtLoginChanged();
}

bool AppSettingsModel::hideDockIconWhenWindowClosed() const
{
    return !defaults() ||
           defaults()
               ->boolValue(QLatin1StringView(WindowDefaults::kHideDockIconWhenWindowClosedKey))
               .value_or(true);
}

void AppSettingsModel::setHideDockIconWhenWindowClosed(bool hide)
{
    if (defaults())
        defaults()->setBool(QLatin1StringView(WindowDefaults::kHideDockIconWhenWindowClosedKey),
                            hide);
}

int AppSettingsModel::temperatureAlertCelsius() const
{
    const std::optional<double> celsius =
        defaults() ? defaults()->doubleValue(QLatin1StringView(Alerts::kTemperatureAlertCelsiusKey))
                   : std::nullopt;
    if (!celsius || !(*celsius > 0) || !std::isfinite(*celsius))
        return 0;
    return static_cast<int>(std::lround(std::min(*celsius, 1000.0)));
}

void AppSettingsModel::setTemperatureAlertCelsius(int celsius)
{
    if (!defaults())
        return;
    if (celsius <= 0)
        defaults()->remove(QLatin1StringView(Alerts::kTemperatureAlertCelsiusKey));
    else
        defaults()->setDouble(QLatin1StringView(Alerts::kTemperatureAlertCelsiusKey), celsius);
}

QList<int> AppSettingsModel::temperatureAlertChoices(int current)
{
    QList<int> choices{0, 80, 85, 90, 95, 100};
    if (current > 0 && !choices.contains(current)) {
        choices.append(current);
        std::sort(choices.begin(), choices.end());
    }
    return choices;
}

QVariantList AppSettingsModel::temperatureAlertOptions() const
{
    QVariantList options;
    for (int celsius : temperatureAlertChoices(temperatureAlertCelsius()))
        options.append(QVariantMap{{QStringLiteral("title"), temperatureAlertChoiceTitle(celsius)},
                                   {QStringLiteral("value"), QString::number(celsius)}});
    return options;
}

QString AppSettingsModel::temperatureAlertChoiceTitle(int celsius)
{
    if (celsius <= 0)
        return qtTrId("settings.alerts.temperature.off");
    return qtTrId("menuBar.temperature.degrees").arg(celsius);
}

bool AppSettingsModel::fanAlertsEnabled() const
{
    return !defaults() ||
           defaults()->boolValue(QLatin1StringView(Alerts::kFanAlertsEnabledKey)).value_or(true);
}

void AppSettingsModel::setFanAlertsEnabled(bool enabled)
{
    if (defaults())
        defaults()->setBool(QLatin1StringView(Alerts::kFanAlertsEnabledKey), enabled);
}

QString AppSettingsModel::applicationVersion() const
{
    return applicationVersionText(AppBundle::shortVersion(), AppBundle::buildVersion());
}

} // namespace brisvane
