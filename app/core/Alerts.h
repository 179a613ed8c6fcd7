#pragma once
// What the app warns about while it lasts: fans that do not turn although asked to, and a die
// that stays too hot. Each new alert is one desktop notification; the views show the current
// ones (the panel's rows, the dashboard's badges, the tray's tooltip). Judged on every
// telemetry sample. Main thread only.

#include "app/core/FanHealth.h"
#include "app/core/TelemetrySample.h"
#include "app/core/TemperatureAlert.h"

#include "smc/Clock.h"

#include <QList>
#include <QObject>
#include <QString>
#include <QStringList>

#include <optional>

namespace brisvane {

class ControlEngine;
class DesktopNotifier;
class TelemetryStore;
class UserDefaults;

class Alerts : public QObject {
    Q_OBJECT

public:
    // A number of °C; absent or 0 is off.
    static constexpr char kTemperatureAlertCelsiusKey[] = "temperatureAlertCelsius";
    // Registered true.
    static constexpr char kFanAlertsEnabledKey[] = "fanAlertsEnabled";

    enum class Die { Cpu, Gpu };

    // Registers its sample handler with `telemetry`; everything given must outlive it.
    // `notifier` may be null (no notifications, the views still show). `engine` tells the
    // targets in force while the daemon controls the fans.
    Alerts(TelemetryStore& telemetry, const ControlEngine& engine, UserDefaults& defaults,
           DesktopNotifier* notifier, const Clock& clock = SteadyClock::shared(),
           QObject* parent = nullptr);

    static void registerDefaults(UserDefaults& defaults);

    // Indexes of the fans not spinning, ascending (empty while fan alerts are off).
    const QList<int>& notSpinningFans() const { return m_notSpinningFans; }
    Q_INVOKABLE bool isFanNotSpinning(int fan) const { return m_notSpinningFans.contains(fan); }
    // The temperature alert fired and has not re-armed.
    bool temperatureAlertRaised() const { return m_temperature.isRaised(); }
    // One localised line per current alert, fans first: "Right fan is not spinning",
    // "CPU at 91 °C" (the die's latest reading).
    Q_PROPERTY(QStringList messages READ messages NOTIFY alertsChanged)
    const QStringList& messages() const { return m_messages; }
    Q_PROPERTY(bool hasAlerts READ hasAlerts NOTIFY alertsChanged)
    bool hasAlerts() const { return !m_messages.isEmpty(); }
    // For the badges: per fan index its line, or empty while it is well; the temperature's line
    // on the die that raised it, else empty.
    Q_PROPERTY(QStringList fanMessages READ fanMessages NOTIFY alertsChanged)
    const QStringList& fanMessages() const { return m_fanMessages; }
    Q_PROPERTY(QString cpuMessage READ cpuMessage NOTIFY alertsChanged)
    QString cpuMessage() const { return dieMessage(Die::Cpu); }
    Q_PROPERTY(QString gpuMessage READ gpuMessage NOTIFY alertsChanged)
    QString gpuMessage() const { return dieMessage(Die::Gpu); }

    // The texts.
    static QString fanNotSpinningText(int fan, int fanCount);
    static QString temperatureText(Die die, double celsius);

    // The target in force for each fan: the daemon's while it runs them at the engine's
    // targets, else the fan's own target key.
    static std::vector<FanHealth::Reading> readings(const std::vector<SMCFanReading>& fans,
                                                    const QList<double>& daemonTargets,
                                                    bool daemonControls);

    // The sample handler; tests call it directly.
    void handle(const TelemetrySample& sample);

signals:
    void alertsChanged();

private:
    void readSettings();
    void refresh();
    QString dieMessage(Die die) const;

    const ControlEngine& m_engine;
    UserDefaults& m_defaults;
    DesktopNotifier* m_notifier;
    const Clock& m_clock;
    FanHealth m_fanHealth;
    TemperatureAlert m_temperature;
    bool m_fanAlertsEnabled = true;
    int m_fanCount = 0;
    Die m_hotDie = Die::Cpu;
    double m_hotCelsius = 0;
    QList<int> m_notSpinningFans;
    QStringList m_messages;
    QStringList m_fanMessages;
};

} // namespace brisvane
