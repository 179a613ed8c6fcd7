#include "app/ui/design/FanReadingsModel.h"

#include "app/core/SharedFanName.h"
#include "app/ui/design/Readouts.h"

#include <cmath>

namespace brisvane {

FanReadingsModel::FanReadingsModel(QObject* parent)
    : QAbstractListModel(parent)
{}

void FanReadingsModel::setAppState(AppState* state)
{
    if (m_appState == state)
        return;
    if (m_appState) {
        for (QObject* part :
             std::initializer_list<QObject*>{&m_appState->telemetry(), &m_appState->presets(),
                                             &m_appState->helper(), &m_appState->engine()})
            part->disconnect(this);
    }
    m_appState = state;
    if (state)
        connect(&state->telemetry(), &TelemetryStore::latestChanged, this,
                &FanReadingsModel::updateReadings);
    observe(state);
    updateReadings();
    emit appStateChanged();
}

void FanReadingsModel::updateReadings()
{
    const std::optional<TelemetrySample> sample =
        m_appState ? m_appState->telemetry().latest() : std::nullopt;
    std::vector<SMCFanReading> fans = sample ? sample->fans : std::vector<SMCFanReading>{};
    if (fans.size() != m_fans.size()) {
        beginResetModel();
        m_fans = std::move(fans);
        endResetModel();
    } else if (fans != m_fans) {
        m_fans = std::move(fans);
        emit dataChanged(index(0), index(rowCount() - 1));
    }
    constexpr double unread = std::numeric_limits<double>::quiet_NaN();
    m_hasSample = sample.has_value();
    m_cpuCelsius = sample ? sample->temperatures.cpuMax : unread;
    m_gpuCelsius = sample ? sample->temperatures.gpuMax : unread;
    emit readingsChanged();
}

int FanReadingsModel::rowCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : static_cast<int>(m_fans.size());
}

QVariant FanReadingsModel::data(const QModelIndex& index, int role) const
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
        return fan.actualRPM > 0 ? Readouts::fanSpeed(fan.actualRPM) : QString();
    case accessibleRole:
        return fan.actualRPM > 0 ? Readouts::fanAccessibleName(name, fan.actualRPM)
                                 : name + QStringLiteral(", ") + qtTrId("menuBar.fan.parked");
    default:
        return {};
    }
}

QHash<int, QByteArray> FanReadingsModel::roleNames() const
{
    return {{nameRole, "name"},
            {actualRPMRole, "actualRPM"},
            {maximumRPMRole, "maximumRPM"},
            {speedTextRole, "speedText"},
            {accessibleRole, "accessibleText"}};
}

} // namespace brisvane
