#include "app/core/DesktopNotifier.h"

#include <QDBusMessage>
#include <QDBusPendingCallWatcher>
#include <QDBusPendingReply>
#include <QVariantMap>

#include <chrono>

namespace brisvane {

Q_LOGGING_CATEGORY(alertsLog, "org.brisvane.Brisvane.alerts", QtInfoMsg)

FreedesktopNotifier::FreedesktopNotifier(QDBusConnection bus, const Clock& clock, QObject* parent)
    : QObject(parent)
    , m_bus(std::move(bus))
    , m_clock(clock)
{}

void FreedesktopNotifier::notify(const QString& summary, const QString& body)
{
    if (m_quietUntil && m_clock.now() < *m_quietUntil)
        return;
    m_quietUntil.reset();
    if (!m_bus.isConnected()) {
        fail(QStringLiteral("no session bus (%1)").arg(m_bus.lastError().message()));
        return;
    }
    QDBusMessage call =
        QDBusMessage::createMethodCall(QLatin1StringView(kService), QLatin1StringView(kPath),
                                       QLatin1StringView(kService), QStringLiteral("Notify"));
    // app_name, replaces_id, app_icon, summary, body, actions, hints, expire_timeout (-1: the
    // server's default).
    call << QString::fromLatin1(kAppName) << uint(0) << QString::fromLatin1(kIconName) << summary
         << body << QStringList() << QVariantMap() << int(-1);
    ++m_callsSent;
    auto* watcher = new QDBusPendingCallWatcher(m_bus.asyncCall(call), this);
    connect(watcher, &QDBusPendingCallWatcher::finished, this,
            [this](QDBusPendingCallWatcher* finished) {
                finished->deleteLater();
                const QDBusPendingReply<uint> reply = *finished;
                if (reply.isError()) {
                    fail(reply.error().name() + QStringLiteral(": ") + reply.error().message());
                    emit deliveryFinished(false);
                    return;
                }
                m_failed = false;
                m_failureLogged = false;
                emit deliveryFinished(true);
            });
}

void FreedesktopNotifier::fail(const QString& reason)
{
    m_failed = true;
    m_quietUntil = m_clock.now() + std::chrono::duration_cast<Clock::duration>(
                                       std::chrono::duration<double>(kQuietSeconds));
    if (m_failureLogged)
        return;
    m_failureLogged = true;
    qCWarning(alertsLog, "desktop notifications unavailable, alerts show in the app only: %s",
              qUtf8Printable(reason));
}

} // namespace brisvane
