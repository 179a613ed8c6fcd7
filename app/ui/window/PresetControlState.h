#pragma once
// Whether the preset pills can be used and what the caption under them says: one decision from
// the helper's install state, the daemon's control phase and the quick boost.

#include "app/core/FanPreset.h"
#include "app/core/HelperControlling.h"
#include "app/ui/design/PresetCaption.h"

#include "shared/HelperShared.h"

#include <QString>

#include <optional>

namespace brisvane {

class ControlEngine;

struct PresetControlStatus {
    enum class Tint { accent, warning, neutral };

    QString symbolName;
    const char* textKey = ""; // translation key
    Tint tint = Tint::neutral;
    bool isInProgress = false; // a turning fan mark replaces the symbol

    friend bool operator==(const PresetControlStatus& a, const PresetControlStatus& b)
    {
        return a.symbolName == b.symbolName && QLatin1StringView(a.textKey) == b.textKey &&
               a.tint == b.tint && a.isInProgress == b.isInProgress;
    }
};

struct PresetControlState {
    // switchable: presets can be switched (the status, if any, replaces the preset caption);
    // busy: the daemon is taking the fans over; unavailable: fan control is impossible.
    enum class Kind { switchable, busy, unavailable };

    Kind kind = Kind::switchable;
    std::optional<PresetControlStatus> status; // always present unless switchable

    bool isSwitchable() const { return kind == Kind::switchable; }
    friend bool operator==(const PresetControlState&, const PresetControlState&) = default;
};

struct PresetControlStateResolver {
    using HelperState = HelperControlling::HelperState;
    static PresetControlState state(HelperState helperState,
                                    std::optional<HelperControlPhase> controlPhase,
                                    bool isQuickBoosting);
};

struct ActivePresetState {
    // The helper's state, its last status's phase, and a boost above 0 % while overriding.
    static PresetControlState current(const HelperControlling& helper, const ControlEngine& engine);
};

struct PresetPillTitle {
    // Names of 11 characters or more become their first 9, trimmed, and "…". Characters are
    // grapheme clusters, so a name is never cut inside an emoji or an accented letter.
    static QString shortened(const QString& name);
};

struct PresetPillRow {
    // The row sizes offered, widest first; the first that fits is shown.
    static constexpr std::array<int, 5> maximumPillCounts{8, 6, 4, 2, 1};

    // How many pills the row shows: `pillWidths` holds every slot's pill in slot order; a row
    // that leaves slots out ends with the overflow menu. When nothing fits, one pill.
    static int pillCount(const QList<double>& pillWidths, double overflowWidth, double spacing,
                         double availableWidth);
};

} // namespace brisvane
