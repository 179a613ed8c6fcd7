#include "app/ui/menubar/MenuBarModel.h"

#include "app/core/SharedFanName.h"
#include "app/ui/design/Readouts.h"

#include <algorithm>
#include <cmath>

namespace brisvane {

double MenuBarModel::fanFillWidth(double actualRPM, double maxRPM, double trackWidth)
{
    const double fraction = maxRPM > 0 ? std::clamp(actualRPM / maxRPM, 0.0, 1.0) : 0.0;
    return std::max(trackWidth * fraction, kMinimumFill);
}

QString MenuBarModel::degreesText(double celsius)
{
    return qtTrId("menuBar.temperature.degrees").arg(static_cast<long long>(std::round(celsius)));
}

MenuBarModel::MenuBarModel(QObject* parent)
    : QAbstractListModel(parent)
{}

void MenuBarModel::setAppState(AppState* state)
{
    if (m_appState == state)
        return;
    if (m_appState)
        disconnect(m_appState, nullptr, this, nullptr);
    m_appState = state;
    if (state) {
        connect(&state->telemetry(), &TelemetryStore::latestChanged, this,
                &MenuBarModel::updateReadings);
        connect(&state->helper(), &HelperControlling::stateChanged, this,
                &MenuBarModel::helperChanged);
        connect(&state->helper(), &HelperControlling::lastStatusChanged, this,
                &MenuBarModel::helperChanged);
        connect(&state->presets(), &PresetStore::presetsChanged, this, &MenuBarModel::chipsChanged);
        connect(&state->presets(), &PresetStore::activePresetIDChanged, this,
                &MenuBarModel::chipsChanged);
    }
    updateReadings();
    emit appStateChanged();
    emit helperChanged();
    emit chipsChanged();
}

void MenuBarModel::updateReadings()
{
    const std::optional<TelemetrySample> sample =
        m_appState ? m_appState->telemetry().latest() : std::nullopt;
    const std::vector<SMCFanReading> fans = sample ? sample->fans : std::vector<SMCFanReading>{};
    if (fans.size() != m_fans.size()) {
        beginResetModel();
        m_fans = fans;
        endResetModel();
    } else if (fans != m_fans) {
        m_fans = fans;
        emit dataChanged(index(0), index(rowCount() - 1));
    }
    m_hasSample = sample.has_value();
    m_cpuCelsius = sample ? sample->temperatures.cpuMax : 0;
    m_gpuCelsius = sample ? sample->temperatures.gpuMax : 0;
    emit readingsChanged();
}

bool MenuBarModel::helperInstalled() const
{
    return m_appState && m_appState->helper().isInstalled();
}

bool MenuBarModel::isTakingControl() const
{
    if (!m_appState)
        return false;
    const std::optional<HelperStatus>& status = m_appState->helper().lastStatus();
    return status && status->phase == HelperControlPhase::unlocking;
}

bool MenuBarModel::controlUnavailable() const
{
    if (!m_appState)
        return false;
    const std::optional<HelperStatus>& status = m_appState->helper().lastStatus();
    return status && status->phase == HelperControlPhase::failed;
}

QVariantList MenuBarModel::chips() const
{
    QVariantList chips;
    if (!m_appState)
        return chips;
    const PresetStore& presets = m_appState->presets();
    const std::optional<QUuid>& active = presets.activePresetID();
    chips.append(QVariantMap{{QStringLiteral("id"), QString()},
                             {QStringLiteral("title"), qtTrId("shared.mode.automatic")},
                             {QStringLiteral("symbol"), QStringLiteral("gearshape")},
                             {QStringLiteral("active"), !active.has_value()}});
    for (const FanPreset& preset : presets.presets())
        chips.append(QVariantMap{{QStringLiteral("id"), preset.idText()},
                                 {QStringLiteral("title"), preset.name},
                                 {QStringLiteral("symbol"), preset.symbolName},
                                 {QStringLiteral("active"), active == preset.id}});
    return chips;
}

void MenuBarModel::choosePreset(const QString& id)
{
    if (!m_appState)
        return;
    m_appState->presets().setActivePresetIDText(id);
    m_appState->engine().pushSoon();
}

int MenuBarModel::rowCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : static_cast<int>(m_fans.size());
}

QVariant MenuBarModel::data(const QModelIndex& index, int role) const
{
    if (!index.isValid() || index.row() >= rowCount())
        return {};
    const SMCFanReading& fan = m_fans[static_cast<std::size_t>(index.row())];
    const QString name = sharedFanName(fan.index, rowCount());
    switch (role) {
    case nameRole:
        return name;
    case actualRPMRole:
        return fan.actualRPM;
    case maximumRPMRole:
        return fan.maxRPM;
    case speedTextRole:
        return fan.actualRPM > 0
                   ? QString::number(static_cast<long long>(std::trunc(fan.actualRPM)))
                   : QString();
    case accessibleRole:
        return fan.actualRPM > 0 ? Readouts::fanAccessibleName(name, fan.actualRPM)
                                 : name + QStringLiteral(", ") + qtTrId("menuBar.fan.parked");
    default:
        return {};
    }
}

QHash<int, QByteArray> MenuBarModel::roleNames() const
{
    return {{nameRole, "name"},
            {actualRPMRole, "actualRPM"},
            {maximumRPMRole, "maximumRPM"},
            {speedTextRole, "speedText"},
            {accessibleRole, "accessibleText"}};
}

} // namespace brisvane
