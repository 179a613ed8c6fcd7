#include "app/core/AdminScriptRunner.h"

#include "app/core/HelperControlling.h"

#include "smc/SystemRoot.h"

#include <QCoroSignal>
#include <QProcess>
#include <QStringDecoder>

#include <chrono>
#include <coroutine>

namespace brisvane {

QString AdminScriptRunner::appleScriptEscaped(const QString& script)
{
    QString escaped = script;
    escaped.replace(u'\\', QStringLiteral("\\\\"));
    escaped.replace(u'"', QStringLiteral("\\\""));
    return escaped;
}

QString AdminScriptRunner::appleScriptSource(const QString& script)
{
    return QStringLiteral("do shell script \"") + appleScriptEscaped(script) +
           QStringLiteral("\" with administrator privileges");
}

QString AdminScriptRunner::osascriptPath()
{
    return QString::fromStdString(systemPath("/usr/bin/osascript"));
}

namespace {

// osascript's standard error as the user sees it; "unknown error" when it is not UTF-8.
QString failureMessage(const QByteArray& standardError)
{
    QStringDecoder decoder(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
    const QString message = decoder.decode(standardError);
    if (decoder.hasError())
        return QStringLiteral("unknown error");
    return message.trimmed();
}

QStringList osascriptArguments(const QString& script)
{
    return {QStringLiteral("-e"), AdminScriptRunner::appleScriptSource(script)};
}

// Resumes once `process` has left Starting. QProcess::stateChanged carries a private tag for
// which Qt passes a null pointer, so the slot takes no arguments: a slot that took them all (as
// qCoro's signal awaiter does) would bind a reference to that null pointer. Queued, so the
// coroutine never resumes (and perhaps destroys the process) inside the process's own signal.
struct LeftStarting {
    QProcess& process;
    QMetaObject::Connection connection;

    bool await_ready() const noexcept { return process.state() != QProcess::Starting; }
    void await_suspend(std::coroutine_handle<> awaiting)
    {
        connection = QObject::connect(
            &process, &QProcess::stateChanged, &process,
            [this, awaiting] {
                if (process.state() == QProcess::Starting)
                    return;
                QObject::disconnect(connection);
                awaiting.resume();
            },
            Qt::QueuedConnection);
    }
    void await_resume() const noexcept {}
};

} // namespace

// (GCC 12 rejects a braced list of temporaries inside a co_await expression, hence the helper.)
QCoro::Task<void> AdminScriptRunner::runWithAdminPrivileges(QString script)
{
    const ProcessResult result = co_await runProcess(osascriptPath(), osascriptArguments(script));
    if (result.exitedNormally && result.exitCode == 0)
        co_return;
    throw HelperInstallError::adminScriptFailed(failureMessage(result.standardError));
}

QCoro::Task<AdminScriptRunner::ProcessResult> AdminScriptRunner::runProcess(QString program,
                                                                            QStringList arguments)
{
    QProcess process;
    process.setProcessChannelMode(QProcess::ForwardedOutputChannel);
    process.setStandardInputFile(QProcess::nullDevice());
    process.start(program, arguments, QIODevice::ReadOnly);
    // The password dialog waits for the user, so neither the start nor the exit has a limit.
    // A start that fails leaves Starting for NotRunning with FailedToStart.
    co_await LeftStarting{process, {}};
    if (process.state() == QProcess::NotRunning && process.error() == QProcess::FailedToStart)
        throw LaunchError(process.errorString());
    if (process.state() != QProcess::NotRunning)
        co_await qCoro(&process, &QProcess::finished);
    ProcessResult result;
    result.exitedNormally = process.exitStatus() == QProcess::NormalExit;
    result.exitCode = process.exitCode();
    result.standardError = process.readAllStandardError();
    co_return result;
}

} // namespace brisvane
