#include "app/ui/settings/HelperSettingsModel.h"

#include "app/core/AdminScriptRunner.h"

#include <QCoroTimer>

namespace brisvane {

namespace {

using Presentation = HelperStatusPresentation;

} // namespace

HelperStatusPresentation HelperSettingsModel::presentation(HelperState state)
{
    using enum HelperSettingsModel::Action;
    switch (state) {
    case HelperState::notInstalled:
        return {"shield.slash.fill",
                Presentation::Tint::Gray,
                QT_TRID_NOOP("settings.helper.status.notInstalled.title"),
                QT_TRID_NOOP("settings.helper.status.notInstalled.description"),
                {{QT_TRID_NOOP("settings.helper.installButton"), Install, true}}};
    case HelperState::installed:
        return {"checkmark.seal.fill",
                Presentation::Tint::Green,
                QT_TRID_NOOP("settings.helper.status.installed.title"),
                QT_TRID_NOOP("settings.helper.status.installed.description"),
                {{QT_TRID_NOOP("settings.helper.reinstallButton"), Install, false},
                 {QT_TRID_NOOP("settings.helper.uninstallButton"), Uninstall, false}}};
    case HelperState::unreachable:
        break;
    }
    return {"exclamationmark.triangle.fill",
            Presentation::Tint::Orange,
            QT_TRID_NOOP("settings.helper.status.unreachable.title"),
            QT_TRID_NOOP("settings.helper.status.unreachable.description"),
            {{QT_TRID_NOOP("settings.helper.reinstallHelperButton"), Install, true},
             {QT_TRID_NOOP("settings.helper.uninstallButton"), Uninstall, false}}};
}

std::optional<QString> HelperSettingsModel::failureText(const std::optional<HelperStatus>& status)
{
    if (!status || status->phase != HelperControlPhase::failed || !status->lastError)
        return std::nullopt;
    return QString::fromStdString(*status->lastError);
}

bool HelperSettingsModel::showsUnlockingRow(const std::optional<HelperStatus>& status)
{
    return status && status->phase == HelperControlPhase::unlocking;
}

HelperSettingsModel::HelperSettingsModel(QObject* parent)
    : QObject(parent)
{}

HelperSettingsModel::~HelperSettingsModel() = default;

void HelperSettingsModel::setHelper(HelperControlling* helper)
{
    if (m_helper == helper)
        return;
    for (const auto& connection : std::as_const(m_connections))
        disconnect(connection);
    m_connections.clear();
    m_helper = helper;
    if (HelperControlling* h = m_helper) {
        m_connections = {
            connect(h, &HelperControlling::stateChanged, this, &HelperSettingsModel::helperChanged),
            connect(h, &HelperControlling::lastStatusChanged, this,
                    &HelperSettingsModel::helperChanged),
        };
    }
    emit helperChanged();
    restartRefreshing();
}

void HelperSettingsModel::setActive(bool active)
{
    if (m_active == active)
        return;
    m_active = active;
    emit activeChanged();
    restartRefreshing();
}

void HelperSettingsModel::restartRefreshing()
{
    ++m_refreshGeneration;
    if (m_active && helper())
        keepHelperStatusFresh(this, m_refreshGeneration);
}

QCoro::Task<void> HelperSettingsModel::keepHelperStatusFresh(QPointer<HelperSettingsModel> model,
                                                             int generation)
{
    const auto current = [&] { return model && model->m_refreshGeneration == generation; };
    while (current()) {
        // The result refreshes the helper's state and last status, which the rows follow.
        QPointer<HelperControlling> helper = model->helper();
        if (!helper)
            co_return;
        auto fetch = helper->fetchStatus();
        co_await fetch;
        if (!current())
            co_return;
        auto pause = QCoro::sleepFor(kRefreshInterval);
        co_await pause;
    }
}

QString HelperSettingsModel::statusSymbol() const
{
    return QLatin1StringView(
        presentation(helper() ? helper()->state() : HelperState::notInstalled).symbolName);
}

StatusTint::Tint HelperSettingsModel::statusTint() const
{
    return presentation(helper() ? helper()->state() : HelperState::notInstalled).tint;
}

QString HelperSettingsModel::statusTitle() const
{
    return qtTrId(presentation(helper() ? helper()->state() : HelperState::notInstalled).titleKey);
}

QString HelperSettingsModel::statusDescription() const
{
    return qtTrId(
        presentation(helper() ? helper()->state() : HelperState::notInstalled).descriptionKey);
}

QVariantList HelperSettingsModel::buttons() const
{
    QVariantList result;
    const auto shown = presentation(helper() ? helper()->state() : HelperState::notInstalled);
    for (const auto& button : shown.buttons) {
        result.append(QVariantMap{
            {QStringLiteral("title"), qtTrId(button.titleKey)},
            {QStringLiteral("action"), QVariant::fromValue(button.action)},
            {QStringLiteral("prominent"), button.prominent},
        });
    }
    return result;
}

bool HelperSettingsModel::showsOutdatedNotice() const
{
    return helper() && helper()->isHelperOutdated();
}

QString HelperSettingsModel::failureTextValue() const
{
    return helper() ? failureText(helper()->lastStatus()).value_or(QString()) : QString();
}

bool HelperSettingsModel::showsUnlockingRowValue() const
{
    return helper() && showsUnlockingRow(helper()->lastStatus());
}

QString HelperSettingsModel::helperVersion() const
{
    if (!helper() || !helper()->lastStatus())
        return {};
    return QString::fromStdString(helper()->lastStatus()->version);
}

void HelperSettingsModel::runHelperOperation(Action action)
{
    if (m_isWorking || !helper() || (action != Action::Install && action != Action::Uninstall))
        return;
    m_isWorking = true;
    m_errorMessage.clear();
    emit operationChanged();
    runOperation(this, helper(), action);
}

QCoro::Task<void> HelperSettingsModel::runOperation(QPointer<HelperSettingsModel> model,
                                                    QPointer<HelperControlling> helper,
                                                    Action action)
{
    QString error;
    if (!helper)
        co_return;
    try {
        auto operation = action == Action::Install ? helper->install() : helper->uninstall();
        co_await operation;
    } catch (const HelperInstallError& e) {
        error = e.description();
    } catch (const AdminScriptRunner::LaunchError& e) {
        error = e.description();
    } catch (const std::exception& e) {
        error = QString::fromUtf8(e.what());
    }
    if (model)
        model->finishOperation(error);
}

void HelperSettingsModel::finishOperation(const QString& errorMessage)
{
    m_isWorking = false;
    m_errorMessage = errorMessage;
    emit operationChanged();
}

} // namespace brisvane
