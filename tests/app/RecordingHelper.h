#pragma once
// A helper client that records every call the control engine makes and answers as told:
// setTargets with a fixed answer (by default the targets themselves), everything else at once.
// While `hold` is set, calls wait until release().

#include "app/core/HelperControlling.h"

#include <QCoroSignal>
#include <QStringList>

namespace brisvane::test {

class RecordingHelper : public HelperControlling {
    Q_OBJECT

public:
    explicit RecordingHelper(HelperState state = HelperState::installed) { setStateValue(state); }

    void setState(HelperState state) { setStateValue(state); }

    // nullopt: echo the request. A value: answer that (an empty optional inside means "no
    // answer", as after a time limit).
    std::optional<std::optional<QList<double>>> setTargetsAnswer;
    bool hold = false;

    // "setTargets [a, b]", "releaseControl", "fetchStatus", "shutDownDaemon", …
    QStringList calls;
    QList<QList<double>> sentTargets;

    int count(const QString& name) const
    {
        int n = 0;
        for (const QString& call : calls)
            n += call.startsWith(name);
        return n;
    }
    void clear()
    {
        calls.clear();
        sentTargets.clear();
    }
    void release() { emit released(); }

    void refreshInstallState() override { calls.append(QStringLiteral("refreshInstallState")); }

    QCoro::Task<std::optional<QList<double>>> setTargets(QList<double> targets) override
    {
        calls.append(QStringLiteral("setTargets"));
        sentTargets.append(targets);
        co_await waitIfHeld();
        if (setTargetsAnswer)
            co_return *setTargetsAnswer;
        co_return targets;
    }
    QCoro::Task<void> releaseControl() override
    {
        calls.append(QStringLiteral("releaseControl"));
        co_await waitIfHeld();
    }
    QCoro::Task<void> shutDownDaemon() override
    {
        calls.append(QStringLiteral("shutDownDaemon"));
        co_await waitIfHeld();
    }
    QCoro::Task<std::optional<HelperStatus>> fetchStatus() override
    {
        calls.append(QStringLiteral("fetchStatus"));
        co_await waitIfHeld();
        co_return std::nullopt;
    }
    QCoro::Task<void> install() override
    {
        calls.append(QStringLiteral("install"));
        co_return;
    }
    QCoro::Task<void> uninstall() override
    {
        calls.append(QStringLiteral("uninstall"));
        co_return;
    }

signals:
    void released();

private:
    QCoro::Task<void> waitIfHeld()
    {
        if (hold)
            co_await qCoro(this, &RecordingHelper::released);
    }
};

} // namespace brisvane::test
