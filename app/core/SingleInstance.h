#pragma once
// One copy of the app per user. A newly started copy asks the running one to quit (which runs
// that copy's own quit sequence), kills it should it still be there 2 s later, and then answers
// for the next copy itself. The channel is a local socket named after the application
// identifier and the user, in $XDG_RUNTIME_DIR or else the temporary folder. Main thread only.
//
// The same channel carries commands from the command line: a line that opens with '{' is a JSON
// request, answered by the command handler with one JSON line (AppCommands). Only processes of
// this user are served; the socket itself is accessible to the user alone.

#include <QObject>
#include <QPointer>
#include <QString>

#include <QJsonObject>

#include <chrono>
#include <functional>
#include <sys/types.h>

class QLocalServer;
class QLocalSocket;

namespace brisvane {

class SingleInstance : public QObject {
    Q_OBJECT

public:
    static constexpr std::chrono::milliseconds kForceTerminateDelay{2000};
    // What a new copy sends, and what the older one answers once it has given up the name.
    static constexpr char kQuitRequest[] = "quit\n";
    static constexpr char kQuitAccepted[] = "bye\n";
    // A command request carries at most a preset file (1 MiB) JSON-escaped.
    static constexpr qint64 kMaximumCommandLength = 8 * 1024 * 1024;

    // Answers one request object; without a handler commands are refused.
    using CommandHandler = std::function<QJsonObject(const QJsonObject& request)>;
    void setCommandHandler(CommandHandler handler) { m_commandHandler = std::move(handler); }

    // <XDG_RUNTIME_DIR or temporary folder>/org.brisvane.Brisvane-<uid>
    static QString defaultServerName();

    explicit SingleInstance(QString serverName = defaultServerName(), QObject* parent = nullptr);
    ~SingleInstance() override;

    // Asks an older copy (if one answers on the name) to quit, then listens on the name once
    // it has let go of it, ended, or been killed.
    void replaceOlderInstances();

    const QString& serverName() const { return m_serverName; }
    bool isListening() const;
    // The older copy this one asked to quit, while that copy may still be running.
    bool isReplacingOlderInstance() const { return !m_older.isNull(); }

signals:
    // A newer copy asked this one to quit. This copy no longer holds the name.
    void quitRequested();
    void listening();

private:
    void listen();
    void acceptConnections();
    void readRequest(QLocalSocket* socket);
    void answerCommand(QLocalSocket* socket, const QByteArray& line);
    void forceTerminateOlderInstance();

    QString m_serverName;
    QLocalServer* m_server = nullptr;
    // The connection to the older copy; open while that process lives.
    QPointer<QLocalSocket> m_older;
    pid_t m_olderPid = 0;
    bool m_quitRequested = false;
    CommandHandler m_commandHandler;
};

} // namespace brisvane
