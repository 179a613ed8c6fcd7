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

QString PresetCaption::sourceName(FanPreset::Source source)
{
    switch (source) {
    case FanPreset::Source::appSetting:
        return qtTrId("curves.sourcePicker.appSetting");
    case FanPreset::Source::cpu:
        return qtTrId("curves.sourcePicker.cpu");
    case FanPreset::Source::gpu:
        return qtTrId("curves.sourcePicker.gpu");
    case FanPreset::Source::hottestCore:
        return qtTrId("curves.sourcePicker.hottestCore");
    }
    return {};
}

QString PresetCaption::cardText(const std::optional<FanPreset>& preset)
{
    if (!preset || preset->source() == FanPreset::Source::appSetting)
        return text(preset);
    return qtTrId("presets.card.sourceCaption").arg(text(preset), sourceName(preset->source()));
}

} // namespace brisvane
