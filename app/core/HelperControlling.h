#pragma once
// What the rest of the app sees of the helper daemon: its install state, the last status worth
// showing and the remote operations. HelperClient talks to the real daemon; PreviewHelperClient
// stands in for it in previews and screen tests. Main thread only.

#include "shared/HelperShared.h"

#include <QCoroTask>
#include <QList>
#include <QObject>
#include <QString>

#include <exception>
#include <optional>
#include <string>

namespace brisvane {

// Why install() failed; the text is for the user.
class HelperInstallError : public std::exception {
public:
    enum class Kind { adminScriptFailed, resourcesMissing, filesNotInPlace, helperNotAnswering };

    // `message`: what the administrator script printed on standard error, trimmed.
    static HelperInstallError adminScriptFailed(QString message);
    static HelperInstallError resourcesMissing();
    // The script ended well, yet the installed files are missing, or the daemon does not answer.
    static HelperInstallError filesNotInPlace();
    static HelperInstallError helperNotAnswering();

    Kind kind() const { return m_kind; }
    const QString& message() const { return m_message; }
    // Localised: "settings.helper.error.adminScriptFailed" with the message, or the key named
    // after the kind ("settings.helper.error.resourcesMissing", …).
    QString description() const;
    const char* what() const noexcept override { return m_what.c_str(); }

private:
    HelperInstallError(Kind kind, QString message);
    Kind m_kind;
    QString m_message;
    std::string m_what;
};

class HelperControlling : public QObject {
    Q_OBJECT

public:
    enum class HelperState {
        notInstalled, // the daemon's files are not both present; no connection is held
        installed,    // both files present and, as far as known, the daemon answers
        unreachable,  // both files present, but a call to the daemon failed
    };
    Q_ENUM(HelperState)

    explicit HelperControlling(QObject* parent = nullptr)
        : QObject(parent)
    {}

    Q_PROPERTY(brisvane::HelperControlling::HelperState state READ state NOTIFY stateChanged)
    HelperState state() const { return m_state; }

    const std::optional<HelperStatus>& lastStatus() const { return m_lastStatus; }

    // Unreachable counts as installed: calls are still attempted.
    bool isInstalled() const { return m_state != HelperState::notInstalled; }

    // A known status from a daemon of another version than this app ships.
    bool isHelperOutdated() const
    {
        return m_lastStatus && m_lastStatus->version != HelperConstants::helperVersion;
    }

    // Re-derives the state without talking to the daemon (HelperClient: from the installed
    // files). Nothing reaches it through this interface but the owner at start.
    virtual void refreshInstallState() = 0;

    // RPM per fan in fan order; the targets the daemon reports in force, or nothing when there
    // was no answer in time.
    virtual QCoro::Task<std::optional<QList<double>>> setTargets(QList<double> targets) = 0;
    virtual QCoro::Task<void> releaseControl() = 0;
    virtual QCoro::Task<void> shutDownDaemon() = 0;
    // The status just decoded (not necessarily lastStatus), or nothing.
    virtual QCoro::Task<std::optional<HelperStatus>> fetchStatus() = 0;
    // Throws HelperInstallError, or AdminScriptRunner::LaunchError when the administrator tool
    // cannot be started.
    virtual QCoro::Task<void> install() = 0;
    // Never fails.
    virtual QCoro::Task<void> uninstall() = 0;

signals:
    void stateChanged();
    void lastStatusChanged();

protected:
    void setStateValue(HelperState state)
    {
        if (m_state == state)
            return;
        m_state = state;
        emit stateChanged();
    }
    void setLastStatusValue(std::optional<HelperStatus> status)
    {
        if (m_lastStatus == status)
            return;
        m_lastStatus = std::move(status);
        emit lastStatusChanged();
    }

private:
    HelperState m_state = HelperState::notInstalled;
    std::optional<HelperStatus> m_lastStatus;
};

using HelperState = HelperControlling::HelperState;

} // namespace brisvane
