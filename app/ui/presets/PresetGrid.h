#pragma once
// The presets screen's adaptive grid: as many columns as fit cards of at least 210 points with
// 18 between them, each card as wide as the row allows up to 280.

namespace brisvane {

struct PresetGrid {
    static constexpr double kMinimumCardWidth = 210;
    static constexpr double kMaximumCardWidth = 280;
    static constexpr double kSpacing = 18;

    struct Columns {
        int count = 1;
        double cardWidth = 0;
        double rowWidth = 0; // the cards and the gaps between them; at most the available width

        friend bool operator==(const Columns&, const Columns&) = default;
    };

    // A width too narrow for one card of the minimum gets one card of that width.
    static Columns columns(double availableWidth);
};

} // namespace brisvane
