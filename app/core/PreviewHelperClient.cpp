#include "app/core/PreviewHelperClient.h"

namespace brisvane {

PreviewHelperClient::PreviewHelperClient(HelperState state, std::optional<HelperStatus> lastStatus,
                                         QObject* parent)
    : HelperControlling(parent)
{
    setStateValue(state);
    setLastStatusValue(std::move(lastStatus));
}

QCoro::Task<std::optional<QList<double>>> PreviewHelperClient::setTargets(QList<double>)
{
    co_return std::nullopt;
}

QCoro::Task<void> PreviewHelperClient::releaseControl()
{
    co_return;
}

QCoro::Task<void> PreviewHelperClient::shutDownDaemon()
{
    co_return;
}

QCoro::Task<std::optional<HelperStatus>> PreviewHelperClient::fetchStatus()
{
    co_return std::nullopt;
}

QCoro::Task<void> PreviewHelperClient::install()
{
    co_return;
}

QCoro::Task<void> PreviewHelperClient::uninstall()
{
    co_return;
}

} // namespace brisvane
