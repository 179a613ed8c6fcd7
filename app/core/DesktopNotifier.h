#pragma once
// Desktop notifications, as the platform shows them: on Linux the freedesktop Notifications
// service on the session bus (org.freedesktop.Notifications), on a Mac the system's user
// notifications. Alerts are rare and also show inside the app, so a notification that cannot
// be delivered is dropped: one log line says why, and for a while afterwards nothing is sent,
// so a missing service costs no stream of failing calls.

#include "smc/Clock.h"

#include <QDBusConnection>
#include <QLoggingCategory>
#include <QObject>
#include <QString>

#include <optional>

namespace brisvane {

// Alerts and their notifications: "org.brisvane.Brisvane.alerts".
Q_DECLARE_LOGGING_CATEGORY(alertsLog)

class DesktopNotifier {
public:
    virtual ~DesktopNotifier() = default;
    // Shows one notification; never blocks and never throws.
    virtual void notify(const QString& summary, const QString& body) = 0;
};

class FreedesktopNotifier final : public QObject, public DesktopNotifier {
    Q_OBJECT

public:
    static constexpr char kService[] = "org.freedesktop.Notifications";
    static constexpr char kPath[] = "/org/freedesktop/Notifications";
    static constexpr char kAppName[] = "Brisvane";
    static constexpr char kIconName[] = "org.brisvane.Brisvane";
    // After a failed delivery, notifications are dropped for this long.
    static constexpr double kQuietSeconds = 300.0;

    explicit FreedesktopNotifier(QDBusConnection bus = QDBusConnection::sessionBus(),
                                 const Clock& clock = SteadyClock::shared(),
                                 QObject* parent = nullptr);

    void notify(const QString& summary, const QString& body) override;

    // Calls sent to the service so far, answered or not.
    int callsSent() const { return m_callsSent; }
    // False after a failure, until a delivery succeeds again.
    bool lastDeliveryFailed() const { return m_failed; }

signals:
    // A call was answered, with or without success (tests wait on it).
    void deliveryFinished(bool delivered);

private:
    void fail(const QString& reason);

    QDBusConnection m_bus;
    const Clock& m_clock;
    int m_callsSent = 0;
    bool m_failed = false;
    bool m_failureLogged = false;
    std::optional<Clock::time_point> m_quietUntil;
};

} // namespace brisvane
