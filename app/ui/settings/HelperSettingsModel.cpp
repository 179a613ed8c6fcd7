#include "app/ui/settings/HelperSettingsModel.h"

#include "app/core/AdminScriptRunner.h"

#include <QCoroTimer>

namespace brisvane {

namespace {

using Presentation = HelperStatusPresentation;

QString tintName(Presentation::Tint tint)
{
    switch (tint) {
    case Presentation::Tint::gray:
        return QStringLiteral("gray");
    case Presentation::Tint::green:
        return QStringLiteral("green");
    case Presentation::Tint::orange:
        return QStringLiteral("orange");
    }
    return {};
}

} // namespace

HelperStatusPresentation HelperSettingsModel::presentation(HelperState state)
{
    using enum Presentation::Action;
    switch (state) {
    case HelperState::notInstalled:
        return {"shield.slash.fill",
                Presentation::Tint::gray,
                QT_TRID_NOOP("settings.helper.status.notInstalled.title"),
                QT_TRID_NOOP("settings.helper.status.notInstalled.description"),
                {{QT_TRID_NOOP("settings.helper.installButton"), install, true}}};
    case HelperState::installed:
        return {"checkmark.seal.fill",
                Presentation::Tint::green,
                QT_TRID_NOOP("settings.helper.status.installed.title"),
                QT_TRID_NOOP("settings.helper.status.installed.description"),
                {{QT_TRID_NOOP("settings.helper.reinstallButton"), install, false},
                 {QT_TRID_NOOP("settings.helper.uninstallButton"), uninstall, false}}};
    case HelperState::unreachable:
        break;
    }
    return {"exclamationmark.triangle.fill",
            Presentation::Tint::orange,
            QT_TRID_NOOP("settings.helper.status.unreachable.title"),
            QT_TRID_NOOP("settings.helper.status.unreachable.description"),
            {{QT_TRID_NOOP("settings.helper.reinstallHelperButton"), install, true},
             {QT_TRID_NOOP("settings.helper.uninstallButton"), uninstall, false}}};
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

QColor HelperSettingsModel::tintColor(const QString& tint, bool isDark)
{
    // The system colours of each appearance.
    if (tint == QLatin1StringView("green"))
        return isDark ? QColor(0x30, 0xd1, 0x58) : QColor(0x28, 0xa7, 0x45);
    if (tint == QLatin1StringView("orange"))
        return isDark ? QColor(0xff, 0x9f, 0x0a) : QColor(0xf0, 0x8a, 0x00);
    if (tint == QLatin1StringView("red"))
        return isDark ? QColor(0xff, 0x45, 0x3a) : QColor(0xe0, 0x2f, 0x26);
    return isDark ? QColor(0x98, 0x98, 0x9d) : QColor(0x8e, 0x8e, 0x93);
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

QString HelperSettingsModel::statusTint() const
{
    return tintName(presentation(helper() ? helper()->state() : HelperState::notInstalled).tint);
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
            {QStringLiteral("action"), button.action == Presentation::Action::install
                                           ? QStringLiteral("install")
                                           : QStringLiteral("uninstall")},
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

void HelperSettingsModel::runHelperOperation(const QString& action)
{
    if (m_isWorking || !helper())
        return;
    m_isWorking = true;
    m_errorMessage.clear();
    emit operationChanged();
    runOperation(this, helper(),
                 action == QLatin1StringView("uninstall") ? Presentation::Action::uninstall
                                                          : Presentation::Action::install);
}

QCoro::Task<void> HelperSettingsModel::runOperation(QPointer<HelperSettingsModel> model,
                                                    QPointer<HelperControlling> helper,
                                                    HelperStatusPresentation::Action action)
{
    QString error;
    if (!helper)
        co_return;
    try {
        auto operation =
            action == Presentation::Action::install ? helper->install() : helper->uninstall();
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
