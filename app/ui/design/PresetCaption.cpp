#include "app/ui/design/PresetCaption.h"

namespace brisvane {

const char* PresetCaption::textKey(const std::optional<FanPreset>& preset)
{
    if (!preset)
        return QT_TRID_NOOP("presets.card.automaticCaption");
    if (!preset->isBuiltIn)
        return QT_TRID_NOOP("presets.card.customCurveCaption");
    if (preset->id == FanPreset::coolID)
        return QT_TRID_NOOP("presets.card.coolCaption");
    if (preset->id == FanPreset::fullSpeedID)
        return QT_TRID_NOOP("presets.card.fullSpeedCaption");
    return QT_TRID_NOOP("presets.card.builtInCurveCaption");
}

QString PresetCaption::text(const std::optional<FanPreset>& preset)
{
    return qtTrId(textKey(preset));
}

} // namespace brisvane
