#pragma once
// A helper client without a daemon, for previews and screen tests: state and status are set from
// outside, and every operation returns at once with nothing.

#include "app/core/HelperControlling.h"

namespace brisvane {

class PreviewHelperClient : public HelperControlling {
    Q_OBJECT

public:
    explicit PreviewHelperClient(HelperState state = HelperState::notInstalled,
                                 std::optional<HelperStatus> lastStatus = std::nullopt,
                                 QObject* parent = nullptr);

    void setState(HelperState state) { setStateValue(state); }
    void setLastStatus(std::optional<HelperStatus> status)
    {
        setLastStatusValue(std::move(status));
    }

    void refreshInstallState() override {}
    QCoro::Task<std::optional<QList<double>>> setTargets(QList<double> targets) override;
    QCoro::Task<void> releaseControl() override;
    QCoro::Task<void> shutDownDaemon() override;
    QCoro::Task<std::optional<HelperStatus>> fetchStatus() override;
    QCoro::Task<void> install() override;
    QCoro::Task<void> uninstall() override;
};

} // namespace brisvane
