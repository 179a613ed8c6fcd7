#include "app/ui/menubar/MenuBarModel.h"

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

void MenuBarModel::observe(AppState* state)
{
    if (state) {
        connect(&state->helper(), &HelperControlling::stateChanged, this,
                &MenuBarModel::helperChanged);
        connect(&state->helper(), &HelperControlling::lastStatusChanged, this,
                &MenuBarModel::helperChanged);
        connect(&state->presets(), &PresetStore::presetsChanged, this, &MenuBarModel::chipsChanged);
        connect(&state->presets(), &PresetStore::activePresetIDChanged, this,
                &MenuBarModel::chipsChanged);
    }
    emit helperChanged();
    emit chipsChanged();
}

bool MenuBarModel::helperInstalled() const
{
    return appState() && appState()->helper().isInstalled();
}

bool MenuBarModel::lastPhaseIs(HelperControlPhase phase) const
{
    if (!appState())
        return false;
    const std::optional<HelperStatus>& status = appState()->helper().lastStatus();
    return status && status->phase == phase;
}

bool MenuBarModel::isTakingControl() const
{
    return lastPhaseIs(HelperControlPhase::unlocking);
}

bool MenuBarModel::controlUnavailable() const
{
    return lastPhaseIs(HelperControlPhase::failed);
}

QVariantList MenuBarModel::chips() const
{
    QVariantList chips;
    if (!appState())
        return chips;
    const PresetStore& presets = appState()->presets();
    const std::optional<QUuid>& active = presets.activePresetID();
    chips.append(QVariantMap{{QStringLiteral("id"), QString()},
                             {QStringLiteral("title"), PresetSlot::automaticTitle()},
                             {QStringLiteral("symbol"), PresetSlot::automaticSymbolName()},
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
    if (!appState())
        return;
    appState()->presets().setActivePresetIDText(id);
    appState()->engine().pushSoon();
}

} // namespace brisvane
