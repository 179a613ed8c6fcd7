#include "app/core/SingleInstance.h"

#include "app/core/AppCommands.h"
#include "app/core/Logging.h"

#include "shared/HelperShared.h"

#include <QDir>
#include <QFileInfo>
#include <QJsonDocument>
#include <QJsonParseError>
#include <QLocalServer>
#include <QLocalSocket>
#include <QTimer>

#include <cerrno>
#include <csignal>
#include <cstring>

#include <sys/socket.h>
#include <unistd.h>

namespace brisvane {
namespace {

constexpr int kConnectTimeoutMilliseconds = 1000;
// The quit request is a few bytes; only a command may be long.
constexpr qint64 kMaximumOtherLineLength = 64;

qint64 lineLimit(QLocalSocket& socket)
{
    return socket.peek(1) == "{" ? SingleInstance::kMaximumCommandLength : kMaximumOtherLineLength;
}

struct PeerCredentials {
    pid_t pid = 0;
    uid_t uid = 0;
};

// The process on the other end of a connected local socket, as the kernel recorded it.
std::optional<PeerCredentials> peerCredentials(const QLocalSocket& socket)
{
    ucred credentials{};
    socklen_t length = sizeof credentials;
    if (::getsockopt(static_cast<int>(socket.socketDescriptor()), SOL_SOCKET, SO_PEERCRED,
                     &credentials, &length) != 0)
        return std::nullopt;
    return PeerCredentials{credentials.pid, credentials.uid};
}

} // namespace

QString SingleInstance::defaultServerName()
{
    QString folder = qEnvironmentVariable("XDG_RUNTIME_DIR");
    if (folder.isEmpty() || !QFileInfo(folder).isDir())
        folder = QDir::tempPath();
    return QStringLiteral("%1/%2-%3")
        .arg(folder, QLatin1StringView(HelperConstants::applicationIdentifier.data(),
                                       HelperConstants::applicationIdentifier.size()))
        .arg(::getuid());
}

SingleInstance::SingleInstance(QString serverName, QObject* parent)
    : QObject(parent)
    , m_serverName(std::move(serverName))
{}

SingleInstance::~SingleInstance() = default;

bool SingleInstance::isListening() const
{
    return m_server && m_server->isListening();
}

void SingleInstance::replaceOlderInstances()
{
    auto* older = new QLocalSocket(this);
    older->connectToServer(m_serverName);
    if (!older->waitForConnected(kConnectTimeoutMilliseconds)) {
        // Nobody answers: no older copy, or a stale name left by one that was killed.
        delete older;
        listen();
        return;
    }
    const std::optional<PeerCredentials> peer = peerCredentials(*older);
    // This process is never its own older copy, and another user's process is not ours to end.
    m_olderPid = peer && peer->pid != ::getpid() && peer->uid == ::getuid() ? peer->pid : 0;
    qCInfo(lifecycleLog, "asking the running copy (pid %lld) to quit",
           static_cast<long long>(peer ? peer->pid : 0));
    m_older = older;
    connect(older, &QLocalSocket::readyRead, this, [this, older] {
        if (older->canReadLine() && older->readLine() == kQuitAccepted)
            listen();
    });
    connect(older, &QLocalSocket::disconnected, this, [this, older] {
        older->deleteLater();
        listen();
    });
    older->write(kQuitRequest);
    older->flush();
    QTimer::singleShot(kForceTerminateDelay, this, &SingleInstance::forceTerminateOlderInstance);
}

void SingleInstance::forceTerminateOlderInstance()
{
    const bool stillThere = m_older && m_older->state() == QLocalSocket::ConnectedState &&
                            m_olderPid > 0 && ::kill(m_olderPid, 0) == 0;
    if (stillThere) {
        qCInfo(lifecycleLog, "the running copy (pid %lld) did not quit within %lld ms; killing it",
               static_cast<long long>(m_olderPid),
               static_cast<long long>(kForceTerminateDelay.count()));
        if (::kill(m_olderPid, SIGKILL) != 0)
            qCWarning(lifecycleLog, "could not kill pid %lld: %s",
                      static_cast<long long>(m_olderPid), std::strerror(errno));
    }
    if (m_older)
        m_older->deleteLater();
    m_older = nullptr;
    listen();
}

void SingleInstance::listen()
{
    if (m_server || m_quitRequested)
        return;
    m_server = new QLocalServer(this);
    m_server->setSocketOptions(QLocalServer::UserAccessOption);
    connect(m_server, &QLocalServer::newConnection, this, &SingleInstance::acceptConnections);
    // The older copy has let go of the name, ended or been killed: a file left is stale.
    QLocalServer::removeServer(m_serverName);
    if (!m_server->listen(m_serverName)) {
        qCWarning(lifecycleLog, "cannot listen on %s: %s; a later copy will not find this one",
                  qUtf8Printable(m_serverName), qUtf8Printable(m_server->errorString()));
        return;
    }
    emit listening();
}

void SingleInstance::acceptConnections()
{
    while (QLocalSocket* socket = m_server ? m_server->nextPendingConnection() : nullptr) {
        socket->setParent(this);
        // The socket's mode already keeps others out; this holds should it ever be widened.
        const std::optional<PeerCredentials> peer = peerCredentials(*socket);
        if (!peer || peer->uid != ::getuid()) {
            qCWarning(lifecycleLog, "refused a connection from uid %lld",
                      peer ? static_cast<long long>(peer->uid) : -1LL);
            socket->abort();
            socket->deleteLater();
            continue;
        }
        connect(socket, &QLocalSocket::readyRead, this, [this, socket] { readRequest(socket); });
        connect(socket, &QLocalSocket::disconnected, socket, &QObject::deleteLater);
        readRequest(socket);
    }
}

void SingleInstance::readRequest(QLocalSocket* socket)
{
    while (socket->canReadLine()) {
        const QByteArray line = socket->readLine(lineLimit(*socket) + 1);
        if (line.startsWith('{')) {
            answerCommand(socket, line);
            continue;
        }
        if (line != kQuitRequest || m_quitRequested)
            continue;
        m_quitRequested = true;
        // The name goes to the newer copy now; this connection stays open until the process
        // ends, which is how the newer copy knows when this one is gone.
        if (m_server) {
            m_server->close();
            m_server->deleteLater();
            m_server = nullptr;
        }
        socket->write(kQuitAccepted);
        socket->flush();
        qCInfo(lifecycleLog, "a newer copy asked this one to quit");
        emit quitRequested();
    }
    // A line longer than its kind allows is no request of ours; the connection is dropped.
    if (socket->bytesAvailable() > lineLimit(*socket))
        socket->abort();
}

void SingleInstance::answerCommand(QLocalSocket* socket, const QByteArray& line)
{
    QJsonObject reply;
    QJsonParseError error;
    const QJsonDocument request = QJsonDocument::fromJson(line, &error);
    if (error.error != QJsonParseError::NoError || !request.isObject()) {
        reply = AppCommands::failure(QStringLiteral("The request is no JSON object"));
    } else if (!m_commandHandler) {
        reply = AppCommands::failure(QStringLiteral("This copy takes no commands yet"));
    } else {
        reply = m_commandHandler(request.object());
    }
    socket->write(QJsonDocument(reply).toJson(QJsonDocument::Compact) + '\n');
    socket->flush();
}

} // namespace brisvane
