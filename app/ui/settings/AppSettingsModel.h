#pragma once
// The settings that belong to the app rather than the daemon: the temperature the curves
// follow, launch at login, the Dock icon, and the version the about section shows. Launch at
// login is read from the login item when the model is made; a refused change keeps the error
// and falls back to what the login item really says.

#include "app/core/LoginItem.h"
#include "app/core/TelemetryStore.h"

#include <QPointer>
#include <QtQml/qqmlregistration.h>

namespace brisvane {

class AppSettingsModel : public QObject {
    Q_OBJECT
    QML_ELEMENT

public:
    // "1.0 (1)": the short version, then the build in parentheses; "1.0" and "1" stand in for
    // missing ones.
    static QString applicationVersionText(const QString& shortVersion, const QString& build);

    explicit AppSettingsModel(QObject* parent = nullptr);
    // With another login item (tests).
    AppSettingsModel(LoginItem loginItem, QObject* parent = nullptr);

    // Whose user defaults hold these settings (the temperature source among them).
    Q_PROPERTY(brisvane::TelemetryStore* telemetry READ telemetry WRITE setTelemetry NOTIFY
                   telemetryChanged REQUIRED)
    TelemetryStore* telemetry() const { return m_telemetry; }
    void setTelemetry(TelemetryStore* telemetry);

    // "average" or "hottestCore"; written to the user defaults at once.
    Q_PROPERTY(QString temperatureSource READ temperatureSource WRITE setTemperatureSource NOTIFY
                   defaultsChanged)
    QString temperatureSource() const;
    void setTemperatureSource(const QString& raw);

    // Setting it registers or unregisters the login item.
    Q_PROPERTY(bool launchAtLoginEnabled READ launchAtLoginEnabled WRITE applyLaunchAtLogin NOTIFY
                   launchAtLoginChanged)
    bool launchAtLoginEnabled() const { return m_launchAtLoginEnabled; }
    void applyLaunchAtLogin(bool enabled);
    // Why the last change was refused; empty after a change that worked.
    Q_PROPERTY(QString launchAtLoginErrorMessage READ launchAtLoginErrorMessage NOTIFY
                   launchAtLoginChanged)
    QString launchAtLoginErrorMessage() const { return m_launchAtLoginError; }

    Q_PROPERTY(bool hideDockIconWhenWindowClosed READ hideDockIconWhenWindowClosed WRITE
                   setHideDockIconWhenWindowClosed NOTIFY defaultsChanged)
    bool hideDockIconWhenWindowClosed() const;
    void setHideDockIconWhenWindowClosed(bool hide);

    // The alerts: the temperature threshold in whole °C (0 is off) and whether stopped fans
    // are told; both written to the user defaults at once.
    Q_PROPERTY(int temperatureAlertCelsius READ temperatureAlertCelsius WRITE
                   setTemperatureAlertCelsius NOTIFY defaultsChanged)
    int temperatureAlertCelsius() const;
    // 0 or less removes the threshold (off).
    void setTemperatureAlertCelsius(int celsius);
    // The picker's choices, 0 (off) first: 80 to 100 °C in steps of 5, and `current` in its
    // place when it is none of them (a value set by a launch argument, say).
    static QList<int> temperatureAlertChoices(int current);
    // The choices as the picker takes them: {title, value} with the value as text.
    Q_PROPERTY(
        QVariantList temperatureAlertOptions READ temperatureAlertOptions NOTIFY defaultsChanged)
    QVariantList temperatureAlertOptions() const;
    // "Off", "85 °C".
    Q_INVOKABLE static QString temperatureAlertChoiceTitle(int celsius);
    Q_PROPERTY(bool fanAlertsEnabled READ fanAlertsEnabled WRITE setFanAlertsEnabled NOTIFY
                   defaultsChanged)
    bool fanAlertsEnabled() const;
    void setFanAlertsEnabled(bool enabled);

    Q_PROPERTY(QString applicationVersion READ applicationVersion CONSTANT)
    QString applicationVersion() const;

signals:
    void telemetryChanged();
    void defaultsChanged();
    void launchAtLoginChanged();

private:
    UserDefaults* defaults() const { return m_telemetry ? &m_telemetry->defaults() : nullptr; }

    LoginItem m_loginItem;
    QPointer<TelemetryStore> m_telemetry;
    QMetaObject::Connection m_defaultsConnection;
    bool m_launchAtLoginEnabled;
    QString m_launchAtLoginError;
};

} // namespace brisvane
