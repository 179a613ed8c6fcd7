#include "app/ui/window/LiveReadings.h"

namespace brisvane {

void LiveReadings::observe(AppState* state)
{
    if (state) {
        connect(&state->presets(), &PresetStore::activePresetChanged, this,
                &LiveReadings::updateControl);
        connect(&state->helper(), &HelperControlling::stateChanged, this,
                &LiveReadings::updateControl);
        connect(&state->helper(), &HelperControlling::lastStatusChanged, this,
                &LiveReadings::updateControl);
        connect(&state->engine(), &ControlEngine::isOverridingChanged, this,
                &LiveReadings::updateControl);
    }
    updateControl();
}

void LiveReadings::updateControl()
{
    const AppState* state = appState();
    if (!state) {
        m_presetText.clear();
        m_helperText.clear();
        emit controlChanged();
        return;
    }
    const std::optional<FanPreset>& preset = state->presets().activePreset();
    m_presetText = preset ? preset->name : PresetSlot::automaticTitle();

    const HelperControlling& helper = state->helper();
    const std::optional<HelperStatus>& status = helper.lastStatus();
    if (helper.state() == HelperState::notInstalled)
        m_helperText = qtTrId("settings.helper.status.notInstalled.title");
    else if (helper.state() == HelperState::unreachable)
        m_helperText = qtTrId("settings.helper.status.unreachable.title");
    else if (status && status->phase == HelperControlPhase::unlocking)
        m_helperText = qtTrId("settings.helper.unlockingCaption");
    else if (status && status->phase == HelperControlPhase::failed)
        m_helperText = qtTrId("shared.mode.controlUnavailable");
    else if (state->engine().isOverriding())
        m_helperText = qtTrId("shared.mode.boosting");
    else
        m_helperText = qtTrId("settings.helper.status.installed.title");
    emit controlChanged();
}

} // namespace brisvane
