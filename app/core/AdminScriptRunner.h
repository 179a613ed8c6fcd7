#pragma once
// Runs a shell script with administrator rights the way a Mac does: as an AppleScript
// `do shell script "…" with administrator privileges` handed to <root>/usr/bin/osascript, which
// shows the password dialog. The process launch is the seam: tests override runProcess to fail
// the way the world does.

#include <QByteArray>
#include <QCoroTask>
#include <QString>
#include <QStringList>

#include <exception>
#include <string>

namespace brisvane {

class AdminScriptRunner {
public:
    // The administrator tool could not be started at all.
    class LaunchError : public std::exception {
    public:
        explicit LaunchError(QString description)
            : m_description(std::move(description))
            , m_what(m_description.toStdString())
        {}
        const QString& description() const { return m_description; }
        const char* what() const noexcept override { return m_what.c_str(); }

    private:
        QString m_description;
        std::string m_what;
    };

    struct ProcessResult {
        bool exitedNormally = true; // false when the process died of a signal
        int exitCode = 0;
        QByteArray standardError;
    };

    virtual ~AdminScriptRunner() = default;

    // Returns when the script has exited with status 0. Throws LaunchError, or
    // HelperInstallError::adminScriptFailed with osascript's trimmed standard error ("unknown
    // error" when that is not UTF-8) for any other ending, a cancelled password dialog included.
    QCoro::Task<void> runWithAdminPrivileges(QString script);

    // The script as the body of an AppleScript string literal: backslashes doubled, then double
    // quotes escaped; line feeds stay.
    static QString appleScriptEscaped(const QString& script);
    // do shell script "<escaped>" with administrator privileges
    static QString appleScriptSource(const QString& script);
    // <root>/usr/bin/osascript
    static QString osascriptPath();

protected:
    // Starts `program` with standard error piped (standard output is not captured) and waits,
    // without blocking the thread, for it to exit. Throws LaunchError when it cannot start.
    virtual QCoro::Task<ProcessResult> runProcess(QString program, QStringList arguments);
};

} // namespace brisvane
