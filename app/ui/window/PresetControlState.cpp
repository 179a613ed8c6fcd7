#include "app/ui/window/PresetControlState.h"

#include "app/core/ControlEngine.h"

#include <QTextBoundaryFinder>

#include <algorithm>

namespace brisvane {

PresetControlState PresetControlStateResolver::state(HelperState helperState,
                                                     std::optional<HelperControlPhase> controlPhase,
                                                     bool isQuickBoosting)
{
    using Tint = PresetControlStatus::Tint;
    if (helperState == HelperState::notInstalled) {
        return {PresetControlState::Kind::unavailable,
                PresetControlStatus{QStringLiteral("exclamationmark.triangle.fill"),
                                    QT_TRID_NOOP("mainWindow.presetBar.helperMissing"),
                                    Tint::neutral, false}};
    }
    // An unreachable daemon is treated like an installed one: the next push reaches it again.
    if (controlPhase == HelperControlPhase::failed) {
        return {PresetControlState::Kind::switchable,
                PresetControlStatus{QStringLiteral("exclamationmark.triangle.fill"),
                                    QT_TRID_NOOP("mainWindow.presetBar.hardwareFailure"),
                                    Tint::warning, false}};
    }
    if (controlPhase == HelperControlPhase::unlocking) {
        return {PresetControlState::Kind::busy,
                PresetControlStatus{QStringLiteral("hourglass"),
                                    QT_TRID_NOOP("shared.mode.startingBoost"), Tint::accent, true}};
    }
    if (isQuickBoosting) {
        return {PresetControlState::Kind::switchable,
                PresetControlStatus{QStringLiteral("bolt.fill"),
                                    QT_TRID_NOOP("shared.mode.boosting"), Tint::warning, false}};
    }
    return {PresetControlState::Kind::switchable, std::nullopt};
}

PresetControlState ActivePresetState::current(const HelperControlling& helper,
                                              const ControlEngine& engine)
{
    std::optional<HelperControlPhase> phase;
    if (helper.lastStatus())
        phase = helper.lastStatus()->phase;
    return PresetControlStateResolver::state(
        helper.state(), phase, engine.isOverriding() && engine.quickBoostPercent() > 0.0);
}

QString PresetPillTitle::shortened(const QString& name)
{
    // Characters as a reader sees them: an emoji, a flag or a letter with its accents is one,
    // however many UTF-16 units it takes, and is never cut apart.
    QTextBoundaryFinder graphemes(QTextBoundaryFinder::Grapheme, name);
    qsizetype ninth = -1; // where the first 9 characters end
    int count = 0;
    while (graphemes.toNextBoundary() != -1) {
        ++count;
        if (count == 9)
            ninth = graphemes.position();
        if (count == 11)
            return name.first(ninth).trimmed() + QChar(0x2026);
    }
    return name;
}

int PresetPillRow::pillCount(const QList<double>& pillWidths, double overflowWidth, double spacing,
                             double availableWidth)
{
    const int slotCount = static_cast<int>(pillWidths.size());
    if (slotCount == 0)
        return 0;
    for (int maximum : maximumPillCounts) {
        const int shown = std::min(maximum, slotCount);
        double width = 0;
        for (int i = 0; i < shown; ++i)
            width += pillWidths[i] + (i > 0 ? spacing : 0);
        if (shown < slotCount)
            width += spacing + overflowWidth;
        if (width <= availableWidth)
            return shown;
    }
    return 1;
}

} // namespace brisvane
