#pragma once
// The app's only door to the helper daemon. It derives the install state from the daemon's two
// installed files, keeps one connection to the daemon's socket, bounds every remote call to
// 3 seconds and decodes the daemon's status. Installing and removing go through a
// HelperInstaller; the client says whether the daemon then answers. Main thread only.

#include "app/core/HelperControlling.h"
#include "app/core/HelperInstaller.h"

#include "shared/HelperWire.h"

#include <QLocalSocket>
#include <QTimer>

#include <chrono>
#include <cstdint>
#include <map>
#include <memory>

namespace brisvane {

class HelperClient : public HelperControlling {
    Q_OBJECT

public:
    using InstallError = HelperInstallError;

    // Every remote call ends after its reply or after this long, whichever comes first.
    static constexpr std::chrono::milliseconds kCallTimeout{3000};

    // Starts in notInstalled with no connection; the owner calls refreshInstallState() next.
    explicit HelperClient(QObject* parent = nullptr);
    // `runner` is the administrator-script seam.
    explicit HelperClient(std::unique_ptr<AdminScriptRunner> runner, QObject* parent = nullptr);
    // Pending calls are abandoned: their callers are never resumed.
    ~HelperClient() override;

    // Both installed files present: notInstalled becomes installed (unreachable stays). Either
    // missing: notInstalled, connection forgotten. Never talks to the daemon.
    void refreshInstallState() override;

    QCoro::Task<std::optional<QList<double>>> setTargets(QList<double> targets) override;
    QCoro::Task<void> releaseControl() override;
    QCoro::Task<void> shutDownDaemon() override;
    // A decoded answer proves the daemon reachable (the way back from unreachable). lastStatus
    // is replaced only when phase, lastError or version differ from it.
    QCoro::Task<std::optional<HelperStatus>> fetchStatus() override;
    QCoro::Task<void> install() override;
    QCoro::Task<void> uninstall() override;

    // Observation for tests: whether a connection is held, and how many were ever opened.
    bool hasConnection() const { return m_connection != nullptr; }
    int connectionAttempts() const { return m_connectionAttempts; }

private:
    struct PendingCall;
    class ReplyAwaiter;

    // The connection to the daemon's socket, created on first use. Null while the daemon cannot
    // be reached; calls then wait, and the connect is retried until their time limits.
    QLocalSocket* proxy();
    // Sends one call and waits for its reply or the time limit. Nothing when not installed,
    // when no reply came in time, or when the reply's body does not match the call.
    QCoro::Task<std::optional<HelperMessage>> call(HelperMessage request);
    // Resume-once: the first of reply and timeout wins, every later attempt does nothing.
    void finish(const std::shared_ptr<PendingCall>& pending, std::optional<HelperMessage> reply);
    // Writes every call not yet delivered, once the connection is up.
    void deliverPending();

    void onConnected();
    void onReadyRead();
    void onErrorOccurred(QLocalSocket::LocalSocketError error);
    void onDisconnected();
    // A failed call: logged, and an installed daemon becomes unreachable.
    void reportError(const QString& description);
    void forgetConnection();

    HelperInstaller m_installer;
    QLocalSocket* m_connection = nullptr;
    bool m_connected = false;
    HelperFrameDecoder m_decoder{HelperFrameKind::reply};
    // Why the last connect failed; reported when a call that could not be sent runs out of time.
    QString m_connectFailure;
    QTimer* m_reconnectTimer;
    std::map<std::uint32_t, std::shared_ptr<PendingCall>> m_pending;
    std::uint32_t m_nextCallID = 1;
    int m_connectionAttempts = 0;
};

} // namespace brisvane
