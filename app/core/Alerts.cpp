#include "app/core/Alerts.h"

#include "app/core/ControlEngine.h"
#include "app/core/DesktopNotifier.h"
#include "app/core/SharedFanName.h"
#include "app/core/TelemetryStore.h"
#include "app/core/UserDefaults.h"

#include <cmath>

namespace brisvane {

namespace {

QString degreesText(double celsius)
{
    return qtTrId("menuBar.temperature.degrees").arg(static_cast<long long>(std::round(celsius)));
}

} // namespace

Alerts::Alerts(TelemetryStore& telemetry, const ControlEngine& engine, UserDefaults& defaults,
               DesktopNotifier* notifier, const Clock& clock, QObject* parent)
    : QObject(parent)
    , m_engine(engine)
    , m_defaults(defaults)
    , m_notifier(notifier)
    , m_clock(clock)
{
    registerDefaults(defaults);
    readSettings();
    connect(&defaults, &UserDefaults::changed, this, [this](const QString& key) {
        if (key == QLatin1StringView(kTemperatureAlertCelsiusKey) ||
            key == QLatin1StringView(kFanAlertsEnabledKey)) {
            readSettings();
            refresh();
        }
    });
    telemetry.onSample([this](const TelemetrySample& sample) { handle(sample); });
}

void Alerts::registerDefaults(UserDefaults& defaults)
{
    defaults.registerDefaults({{QLatin1StringView(kFanAlertsEnabledKey), true}});
}

QString Alerts::fanNotSpinningText(int fan, int fanCount)
{
    return qtTrId("alerts.fan.notSpinning").arg(sharedFanName(fan, fanCount));
}

QString Alerts::temperatureText(Die die, double celsius)
{
    const QString sensor =
        die == Die::Cpu ? qtTrId("alerts.sensor.cpu") : qtTrId("alerts.sensor.gpu");
    return qtTrId("alerts.temperature.hot").arg(sensor, degreesText(celsius));
}

std::vector<FanHealth::Reading> Alerts::readings(const std::vector<SMCFanReading>& fans,
                                                 const QList<double>& daemonTargets,
                                                 bool daemonControls)
{
    std::vector<FanHealth::Reading> readings;
    readings.reserve(fans.size());
    for (std::size_t i = 0; i < fans.size(); ++i) {
        const SMCFanReading& fan = fans[i];
        const bool fromDaemon = daemonControls && static_cast<qsizetype>(i) < daemonTargets.size();
        readings.push_back({fan.actualRPM,
                            fromDaemon ? daemonTargets[static_cast<qsizetype>(i)] : fan.targetRPM,
                            fan.minRPM});
    }
    return readings;
}

void Alerts::readSettings()
{
    m_fanAlertsEnabled =
        m_defaults.boolValue(QLatin1StringView(kFanAlertsEnabledKey)).value_or(true);
    if (!m_fanAlertsEnabled)
        m_fanHealth.reset(); // judged afresh when switched on again
    m_temperature.setThreshold(
        m_defaults.doubleValue(QLatin1StringView(kTemperatureAlertCelsiusKey)));
}

void Alerts::handle(const TelemetrySample& sample)
{
    const double now = Clock::secondsBetween(Clock::time_point{}, m_clock.now());
    if (!sample.fans.empty())
        m_fanCount = static_cast<int>(sample.fans.size());
    if (m_fanAlertsEnabled && !sample.fans.empty()) {
        const auto changes = m_fanHealth.update(
            now, readings(sample.fans, m_engine.effectiveTargets(), m_engine.isOverriding()));
        for (const FanHealth::Change& change : changes) {
            if (change.notSpinning && m_notifier) {
                const SMCFanReading& fan = sample.fans[static_cast<std::size_t>(change.fan)];
                m_notifier->notify(fanNotSpinningText(change.fan, m_fanCount),
                                   qtTrId("alerts.fan.notSpinning.body")
                                       .arg(static_cast<long long>(std::round(fan.actualRPM))));
            }
        }
    }
    const SMCTemperatureSnapshot& t = sample.temperatures;
    m_hotDie = t.gpuMax > t.cpuMax ? Die::Gpu : Die::Cpu;
    m_hotCelsius = std::max(t.cpuMax, t.gpuMax);
    if (m_temperature.update(now, m_hotCelsius) == TemperatureAlert::Event::raised && m_notifier)
        m_notifier->notify(temperatureText(m_hotDie, m_hotCelsius),
                           qtTrId("alerts.temperature.body")
                               .arg(degreesText(m_temperature.threshold().value_or(0))));
    refresh();
}

QString Alerts::dieMessage(Die die) const
{
    return m_temperature.isRaised() && m_hotDie == die ? temperatureText(die, m_hotCelsius)
                                                       : QString();
}

void Alerts::refresh()
{
    QList<int> fans;
    QStringList messages;
    QStringList fanMessages;
    for (int fan = 0; fan < m_fanCount; ++fan) {
        const bool notSpinning = m_fanAlertsEnabled && m_fanHealth.isNotSpinning(fan);
        fanMessages.append(notSpinning ? fanNotSpinningText(fan, m_fanCount) : QString());
        if (notSpinning) {
            fans.append(fan);
            messages.append(fanMessages.last());
        }
    }
    if (m_temperature.isRaised())
        messages.append(temperatureText(m_hotDie, m_hotCelsius));
    if (fans == m_notSpinningFans && messages == m_messages && fanMessages == m_fanMessages)
        return;
    m_notSpinningFans = std::move(fans);
    m_messages = std::move(messages);
    m_fanMessages = std::move(fanMessages);
    emit alertsChanged();
}

} // namespace brisvane
