#include "app/ui/LiveReadings.h"

#include "app/core/SharedFanName.h"

#include <QLocale>

#include <algorithm>
#include <cmath>

namespace brisvane {

LiveReadings::LiveReadings(QObject* parent)
    : QAbstractListModel(parent)
{}

void LiveReadings::setAppState(AppState* state)
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
    if (state) {
        TelemetryStore* telemetry = &state->telemetry();
        connect(telemetry, &TelemetryStore::latestChanged, this, &LiveReadings::updateReadings);
        connect(&state->presets(), &PresetStore::activePresetChanged, this,
                &LiveReadings::updateControl);
        connect(&state->helper(), &HelperControlling::stateChanged, this,
                &LiveReadings::updateControl);
        connect(&state->helper(), &HelperControlling::lastStatusChanged, this,
                &LiveReadings::updateControl);
        connect(&state->engine(), &ControlEngine::isOverridingChanged, this,
                &LiveReadings::updateControl);
    }
    updateReadings();
    updateControl();
    emit appStateChanged();
}

QString LiveReadings::degreesText(double celsius)
{
    if (!std::isfinite(celsius))
        return QStringLiteral("--");
    // std::round rounds halves away from zero.
    return qtTrId("menuBar.temperature.degrees").arg(static_cast<long long>(std::round(celsius)));
}

QString LiveReadings::speedText(double actualRPM)
{
    if (!(actualRPM > 0))
        return qtTrId("menuBar.fan.parked");
    if (!std::isfinite(actualRPM))
        return QStringLiteral("--");
    return QStringLiteral("%1 %2")
        .arg(static_cast<long long>(actualRPM))
        .arg(qtTrId("menuBar.fan.rpmUnit"));
}

QString LiveReadings::spokenCelsius(double celsius)
{
    if (!std::isfinite(celsius))
        return QStringLiteral("--");
    return qtTrId("menuBar.temperature.degrees").arg(QLocale().toString(celsius, 'f', 1));
}

QString LiveReadings::spokenSpeed(double actualRPM)
{
    if (!std::isfinite(actualRPM))
        return QStringLiteral("--");
    return qtTrId("menuBar.item.fanSpeed")
        .arg(QLocale().toString(static_cast<qlonglong>(std::max(actualRPM, 0.0))));
}

void LiveReadings::updateReadings()
{
    const std::optional<TelemetrySample> sample =
        m_appState ? m_appState->telemetry().latest() : std::nullopt;
    m_hasSample = sample.has_value();
    m_cpuText = sample ? degreesText(sample->temperatures.cpuMax) : QString();
    m_gpuText = sample ? degreesText(sample->temperatures.gpuMax) : QString();
    m_cpuSpokenText = sample ? spokenCelsius(sample->temperatures.cpuMax) : QString();
    m_gpuSpokenText = sample ? spokenCelsius(sample->temperatures.gpuMax) : QString();
    std::vector<SMCFanReading> fans = sample ? sample->fans : std::vector<SMCFanReading>{};
    if (fans.size() == m_fans.size()) {
        m_fans = std::move(fans);
        if (!m_fans.empty())
            emit dataChanged(index(0), index(rowCount() - 1));
    } else {
        beginResetModel();
        m_fans = std::move(fans);
        endResetModel();
    }
    emit readingsChanged();
}

void LiveReadings::updateControl()
{
    if (!m_appState) {
        m_presetText.clear();
        m_helperText.clear();
        emit controlChanged();
        return;
    }
    const std::optional<FanPreset>& preset = m_appState->presets().activePreset();
    m_presetText = preset ? preset->name : qtTrId("shared.mode.automatic");

    const HelperControlling& helper = m_appState->helper();
    const std::optional<HelperStatus>& status = helper.lastStatus();
    if (helper.state() == HelperState::notInstalled)
        m_helperText = qtTrId("settings.helper.status.notInstalled.title");
    else if (helper.state() == HelperState::unreachable)
        m_helperText = qtTrId("settings.helper.status.unreachable.title");
    else if (status && status->phase == HelperControlPhase::unlocking)
        m_helperText = qtTrId("settings.helper.unlockingCaption");
    else if (status && status->phase == HelperControlPhase::failed)
        m_helperText = qtTrId("shared.mode.controlUnavailable");
    else if (m_appState->engine().isOverriding())
        m_helperText = qtTrId("shared.mode.boosting");
    else
        m_helperText = qtTrId("settings.helper.status.installed.title");
    emit controlChanged();
}

int LiveReadings::rowCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : static_cast<int>(m_fans.size());
}

QVariant LiveReadings::data(const QModelIndex& index, int role) const
{
    if (!index.isValid() || index.row() >= rowCount())
        return {};
    const SMCFanReading& fan = m_fans[static_cast<std::size_t>(index.row())];
    switch (role) {
    case nameRole:
        return sharedFanName(fan.index, rowCount());
    case speedTextRole:
        return speedText(fan.actualRPM);
    case spokenSpeedRole:
        return spokenSpeed(fan.actualRPM);
    case fractionRole:
        return fan.maxRPM > 0 ? std::clamp(fan.actualRPM / fan.maxRPM, 0.0, 1.0) : 0.0;
    default:
        return {};
    }
}

QHash<int, QByteArray> LiveReadings::roleNames() const
{
    return {{nameRole, "name"},
            {speedTextRole, "speedText"},
            {fractionRole, "fraction"},
            {spokenSpeedRole, "spokenSpeed"}};
}

} // namespace brisvane
