#pragma once
// What a preset does, in one line: the caption under the header's pills and on the presets
// screen's cards.

#include "app/core/FanPreset.h"

#include <QString>

#include <optional>

namespace brisvane {

struct PresetCaption {
    // The translation key of what a preset does; no preset is the automatic slot.
    static const char* textKey(const std::optional<FanPreset>& preset);
    static QString text(const std::optional<FanPreset>& preset);

    // The name of a temperature source, as the curve editor's "Follows" picker offers it.
    static QString sourceName(FanPreset::Source source);
    // A card's caption: the text above, followed by the preset's source unless that is the
    // app's setting.
    static QString cardText(const std::optional<FanPreset>& preset);
};

} // namespace brisvane
