#include "app/core/HelperClient.h"

#include "app/core/Logging.h"

#include <QFileInfo>

#include <algorithm>
#include <coroutine>
#include <span>

namespace brisvane {
namespace {

// While a call waits for a daemon that is not listening yet (just bootstrapped, or being
// restarted by launchd), the socket is tried again this often, as launchd would hold the
// message for the service.
constexpr std::chrono::milliseconds kReconnectInterval{100};

QString fromSystemPath(const std::string& path)
{
    return QString::fromStdString(path);
}

bool fileExists(const std::string& path)
{
    return QFileInfo(fromSystemPath(path)).isFile();
}

} // namespace

struct HelperClient::PendingCall {
    std::uint32_t id = 0;
    HelperOperation op = HelperOperation::status;
    std::vector<std::uint8_t> frame;
    bool delivered = false; // written to a connected socket
    bool resumed = false;
    std::optional<HelperMessage> reply;
    std::coroutine_handle<> waiter;
    QTimer timeout;
};

class HelperClient::ReplyAwaiter {
public:
    explicit ReplyAwaiter(std::shared_ptr<PendingCall> pending)
        : m_pending(std::move(pending))
    {}
    bool await_ready() const noexcept { return m_pending->resumed; }
    void await_suspend(std::coroutine_handle<> waiter) noexcept { m_pending->waiter = waiter; }
    std::optional<HelperMessage> await_resume() { return std::move(m_pending->reply); }

private:
    std::shared_ptr<PendingCall> m_pending;
};

HelperClient::HelperClient(QObject* parent)
    : HelperClient(std::make_unique<AdminScriptRunner>(), parent)
{}

HelperClient::HelperClient(std::unique_ptr<AdminScriptRunner> runner, QObject* parent)
    : HelperControlling(parent)
    , m_installer(std::move(runner))
    , m_reconnectTimer(new QTimer(this))
{
    m_reconnectTimer->setSingleShot(true);
    m_reconnectTimer->setInterval(kReconnectInterval);
    connect(m_reconnectTimer, &QTimer::timeout, this, [this] {
        const bool waiting = std::any_of(m_pending.begin(), m_pending.end(), [](const auto& entry) {
            return !entry.second->delivered;
        });
        if (waiting && !m_connection && isInstalled())
            proxy();
    });
}

HelperClient::~HelperClient()
{
    // The queued resumptions die with this object, so no caller runs on into a dead client.
    for (auto& [id, pending] : m_pending)
        pending->timeout.stop();
    forgetConnection();
}

void HelperClient::refreshInstallState()
{
    if (fileExists(HelperConstants::daemonPlistSystemPath()) &&
        fileExists(HelperConstants::helperInstallSystemPath())) {
        if (state() == HelperState::notInstalled)
            setStateValue(HelperState::installed);
        return;
    }
    setStateValue(HelperState::notInstalled);
    forgetConnection();
}

QLocalSocket* HelperClient::proxy()
{
    if (m_connection)
        return m_connection;
    ++m_connectionAttempts;
    m_connected = false;
    m_connection = new QLocalSocket(this);
    QLocalSocket* socket = m_connection;
    connect(socket, &QLocalSocket::connected, this, &HelperClient::onConnected);
    connect(socket, &QLocalSocket::readyRead, this, &HelperClient::onReadyRead);
    connect(socket, &QLocalSocket::errorOccurred, this, &HelperClient::onErrorOccurred);
    connect(socket, &QLocalSocket::disconnected, this, &HelperClient::onDisconnected);
    // A failure may be reported from inside this call, which then forgets the socket.
    socket->connectToServer(fromSystemPath(HelperConstants::daemonSocketPath()));
    return m_connection;
}

QCoro::Task<std::optional<HelperMessage>> HelperClient::call(HelperMessage request)
{
    if (state() == HelperState::notInstalled)
        co_return std::nullopt;

    request.kind = HelperFrameKind::call;
    request.id = m_nextCallID++;
    if (m_nextCallID == 0)
        m_nextCallID = 1;

    auto pending = std::make_shared<PendingCall>();
    pending->id = request.id;
    pending->op = request.op;
    pending->frame = encodeHelperMessage(request);
    pending->timeout.setSingleShot(true);
    pending->timeout.setTimerType(Qt::PreciseTimer);
    pending->timeout.setInterval(kCallTimeout);
    connect(&pending->timeout, &QTimer::timeout, this,
            [this, weak = std::weak_ptr<PendingCall>(pending)] {
                if (const auto expired = weak.lock())
                    finish(expired, std::nullopt);
            });
    m_pending.emplace(pending->id, pending);
    pending->timeout.start();

    proxy();
    deliverPending();
    if (!m_connection && !m_reconnectTimer->isActive())
        m_reconnectTimer->start();

    std::optional<HelperMessage> reply = co_await ReplyAwaiter(pending);
    co_return reply;
}

void HelperClient::finish(const std::shared_ptr<PendingCall>& pending,
                          std::optional<HelperMessage> reply)
{
    if (pending->resumed)
        return;
    pending->resumed = true;
    pending->timeout.stop();
    const bool timedOut = !reply;
    pending->reply = std::move(reply);
    m_pending.erase(pending->id);
    // A call that never reached the daemon failed to connect: that is an error, where a call
    // that reached it and got no answer in time is only a timeout.
    if (timedOut && !pending->delivered)
        reportError(m_connectFailure.isEmpty()
                        ? QStringLiteral("the helper did not accept a connection")
                        : m_connectFailure);
    // Resumed from the event loop, never from inside a socket or timer handler.
    QMetaObject::invokeMethod(
        this,
        [pending] {
            if (pending->waiter)
                pending->waiter.resume();
        },
        Qt::QueuedConnection);
}

void HelperClient::deliverPending()
{
    if (!m_connection || !m_connected)
        return;
    for (auto& [id, pending] : m_pending) {
        if (pending->delivered)
            continue;
        const auto size = static_cast<qint64>(pending->frame.size());
        if (m_connection->write(reinterpret_cast<const char*>(pending->frame.data()), size) !=
            size) {
            // Not sent: this call and the ones after it wait for a new connection, and end
            // undelivered if none comes in time.
            m_connectFailure = m_connection->errorString();
            forgetConnection();
            m_reconnectTimer->start();
            return;
        }
        pending->delivered = true;
    }
}

void HelperClient::onConnected()
{
    m_connected = true;
    m_connectFailure.clear();
    deliverPending();
}

void HelperClient::onReadyRead()
{
    if (!m_connection)
        return;
    const QByteArray bytes = m_connection->readAll();
    const std::vector<HelperMessage> messages =
        m_decoder.feed(std::span(reinterpret_cast<const std::uint8_t*>(bytes.constData()),
                                 static_cast<std::size_t>(bytes.size())));
    for (const HelperMessage& message : messages) {
        const auto found = m_pending.find(message.id);
        if (found == m_pending.end())
            continue; // the call already ended by its time limit
        const std::shared_ptr<PendingCall> pending = found->second;
        if (pending->op != message.op) {
            reportError(QStringLiteral("reply %1 does not answer its call").arg(message.id));
            forgetConnection();
            return;
        }
        finish(pending, message);
    }
    if (const auto& error = m_decoder.error()) {
        reportError(QString::fromStdString(error->reason));
        forgetConnection();
    }
}

void HelperClient::onErrorOccurred(QLocalSocket::LocalSocketError error)
{
    if (!m_connection)
        return;
    if (!m_connected) {
        // Not listening (yet): waiting calls retry until their time limits.
        m_connectFailure = m_connection->errorString();
        forgetConnection();
        if (!m_pending.empty())
            m_reconnectTimer->start();
        return;
    }
    if (error == QLocalSocket::PeerClosedError) {
        onDisconnected();
        return;
    }
    reportError(m_connection->errorString());
    forgetConnection();
}

void HelperClient::onDisconnected()
{
    if (!m_connection)
        return;
    // Replies to calls in flight are lost with the connection.
    if (m_connected && !m_pending.empty())
        reportError(QStringLiteral("the connection to the helper was interrupted"));
    forgetConnection();
}

void HelperClient::reportError(const QString& description)
{
    qCCritical(helperClientLog, "XPC error: %s", qUtf8Printable(description));
    if (state() == HelperState::installed)
        setStateValue(HelperState::unreachable);
}

void HelperClient::forgetConnection()
{
    if (m_connection) {
        QLocalSocket* socket = m_connection;
        m_connection = nullptr;
        disconnect(socket, nullptr, this, nullptr);
        socket->abort();
        socket->deleteLater();
    }
    m_connected = false;
    m_decoder = HelperFrameDecoder(HelperFrameKind::reply);
}

QCoro::Task<std::optional<QList<double>>> HelperClient::setTargets(QList<double> targets)
{
    HelperMessage request;
    request.op = HelperOperation::setTargets;
    request.targets.assign(targets.begin(), targets.end());
    const std::optional<HelperMessage> reply = co_await call(std::move(request));
    if (!reply)
        co_return std::nullopt;
    co_return QList<double>(reply->targets.begin(), reply->targets.end());
}

QCoro::Task<void> HelperClient::releaseControl()
{
    HelperMessage request;
    request.op = HelperOperation::releaseControl;
    co_await call(std::move(request));
}

QCoro::Task<void> HelperClient::shutDownDaemon()
{
    HelperMessage request;
    request.op = HelperOperation::shutDown;
    co_await call(std::move(request));
}

QCoro::Task<std::optional<HelperStatus>> HelperClient::fetchStatus()
{
    HelperMessage request;
    request.op = HelperOperation::status;
    const std::optional<HelperMessage> reply = co_await call(std::move(request));
    if (!reply)
        co_return std::nullopt;
    std::optional<HelperStatus> status = HelperStatus::decode(reply->statusData);
    if (!status)
        co_return std::nullopt;
    const std::optional<HelperStatus>& last = lastStatus();
    if (!last || last->phase != status->phase || last->lastError != status->lastError ||
        last->version != status->version)
        setLastStatusValue(status);
    if (state() != HelperState::installed)
        setStateValue(HelperState::installed);
    co_return status;
}

QCoro::Task<void> HelperClient::install()
{
    // Awaited by name: GCC 12 resumes a finished frame when this call is awaited as a temporary.
    QCoro::Task<void> script = m_installer.install();
    co_await std::move(script);

    // Installed means the files are in place and the daemon answers, whatever the script said.
    refreshInstallState();
    if (state() == HelperState::notInstalled)
        throw InstallError::filesNotInPlace();
    if (state() != HelperState::installed)
        setStateValue(HelperState::installed);
    if (!co_await fetchStatus())
        throw InstallError::helperNotAnswering();
}

QCoro::Task<void> HelperClient::uninstall()
{
    if (isInstalled()) {
        HelperMessage request;
        request.op = HelperOperation::uninstall;
        co_await call(std::move(request));
    }
    try {
        QCoro::Task<void> script = m_installer.uninstall();
        co_await std::move(script);
    } catch (const HelperInstallError&) {
        // Cancelled or failed: the state below says what is left.
    } catch (const AdminScriptRunner::LaunchError&) {
    }
    forgetConnection();
    setLastStatusValue(std::nullopt);
    refreshInstallState();
}

} // namespace brisvane
