#include "app/ui/design/PresetCaption.h"

namespace brisvane {

const char* PresetCaption::textKey(const std::optional<FanPreset>& preset)
{
    if (!preset)
        return "presets.card.automaticCaption";
    if (!preset->isBuiltIn)
        return "presets.card.customCurveCaption";
    if (preset->id == FanPreset::coolID)
        return "presets.card.coolCaption";
    if (preset->id == FanPreset::fullSpeedID)
        return "presets.card.fullSpeedCaption";
    return "presets.card.builtInCurveCaption";
}

QString PresetCaption::text(const std::optional<FanPreset>& preset)
{
    return qtTrId(textKey(preset));
}

} // namespace brisvane
