// The main window's rules in pure C++: the sections and the start section, the control state
// that enables the pills and picks the caption, preset captions, pill titles and rows, and the
// height fitting arithmetic.

#include "app/ui/window/MainSection.h"
#include "app/ui/window/MainWindowHeightController.h"
#include "app/ui/window/PresetControlState.h"

#include <gtest/gtest.h>

namespace brisvane {
namespace {

using HelperState = HelperControlling::HelperState;
using Kind = PresetControlState::Kind;
using Phase = HelperControlPhase;
using Tint = PresetControlStatus::Tint;

TEST(MainSectionTest, SectionsInOrderWithTheirRawValuesTitlesAndIcons)
{
    QStringList seen;
    for (MainSection section : allMainSections)
        seen << rawValue(section) + u' ' + QLatin1StringView(titleKey(section)) + u' ' +
                    iconName(section);
    EXPECT_EQ(seen, QStringList({
                        "dashboard mainWindow.section.dashboard gauge.with.dots.needle.50percent",
                        "curves mainWindow.section.curves chart.xyaxis.line",
                        "presets mainWindow.section.presets square.stack.3d.up",
                        "settings mainWindow.section.settings gearshape",
                    }));
}

TEST(MainSectionTest, InitialSectionInAnyLetterCaseElseTheDashboard)
{
    const std::vector<std::pair<std::optional<QString>, MainSection>> rows{
        {std::nullopt, MainSection::dashboard},
        {QStringLiteral("PRESETS"), MainSection::presets},
        {QStringLiteral("Settings"), MainSection::settings},
        {QStringLiteral("curves"), MainSection::curves},
        {QStringLiteral("graphs"), MainSection::dashboard},
        {QStringLiteral(""), MainSection::dashboard},
    };
    for (const auto& [value, expected] : rows)
        EXPECT_EQ(initialMainSection(value), expected) << value.value_or("(absent)").toStdString();
}

struct ResolverRow {
    const char* name;
    HelperState helper;
    std::optional<Phase> phase;
    bool boosting;
    Kind kind;
    const char* textKey; // "" for no status
    const char* symbol;
    Tint tint;
    bool inProgress;
};

TEST(PresetControlStateResolverTest, TheFirstMatchingRuleWins)
{
    const ResolverRow rows[] = {
        {"not installed", HelperState::notInstalled, std::nullopt, false, Kind::unavailable,
         "mainWindow.presetBar.helperMissing", "exclamationmark.triangle.fill", Tint::neutral,
         false},
        {"not installed with a stale failure", HelperState::notInstalled, Phase::failed, true,
         Kind::unavailable, "mainWindow.presetBar.helperMissing", "exclamationmark.triangle.fill",
         Tint::neutral, false},
        {"firmware failure", HelperState::installed, Phase::failed, false, Kind::switchable,
         "mainWindow.presetBar.hardwareFailure", "exclamationmark.triangle.fill", Tint::warning,
         false},
        {"firmware failure while boosting", HelperState::unreachable, Phase::failed, true,
         Kind::switchable, "mainWindow.presetBar.hardwareFailure", "exclamationmark.triangle.fill",
         Tint::warning, false},
        {"unlocking", HelperState::installed, Phase::unlocking, false, Kind::busy,
         "shared.mode.startingBoost", "hourglass", Tint::accent, true},
        {"unreachable while unlocking", HelperState::unreachable, Phase::unlocking, true,
         Kind::busy, "shared.mode.startingBoost", "hourglass", Tint::accent, true},
        {"boosting while controlling", HelperState::installed, Phase::controlling, true,
         Kind::switchable, "shared.mode.boosting", "bolt.fill", Tint::warning, false},
        {"boosting without a status", HelperState::unreachable, std::nullopt, true,
         Kind::switchable, "shared.mode.boosting", "bolt.fill", Tint::warning, false},
        {"idle", HelperState::installed, Phase::idle, false, Kind::switchable, "", "",
         Tint::neutral, false},
        {"unreachable without a status", HelperState::unreachable, std::nullopt, false,
         Kind::switchable, "", "", Tint::neutral, false},
    };
    for (const ResolverRow& row : rows) {
        SCOPED_TRACE(row.name);
        const PresetControlState state =
            PresetControlStateResolver::state(row.helper, row.phase, row.boosting);
        EXPECT_EQ(state.kind, row.kind);
        if (!*row.textKey) {
            EXPECT_FALSE(state.status.has_value());
            continue;
        }
        EXPECT_EQ(state.status,
                  (PresetControlStatus{row.symbol, row.textKey, row.tint, row.inProgress}));
    }
}

TEST(PresetCaptionTest, EveryKindOfPresetHasItsCaption)
{
    const QList<FanPreset> builtIns = FanPreset::builtIns(2);
    auto withID = [&](const QUuid& id) {
        for (const FanPreset& preset : builtIns) {
            if (preset.id == id)
                return preset;
        }
        ADD_FAILURE() << "no built-in preset " << id.toString().toStdString();
        return FanPreset();
    };
    FanPreset user = withID(FanPreset::coolID);
    user.id = QUuid::createUuid();
    user.isBuiltIn = false;
    FanPreset otherBuiltIn = user;
    otherBuiltIn.isBuiltIn = true;

    const std::vector<std::pair<std::optional<FanPreset>, std::string>> rows{
        {std::nullopt, "presets.card.automaticCaption"},
        {user, "presets.card.customCurveCaption"},
        {withID(FanPreset::coolID), "presets.card.coolCaption"},
        {withID(FanPreset::fullSpeedID), "presets.card.fullSpeedCaption"},
        {otherBuiltIn, "presets.card.builtInCurveCaption"},
    };
    for (const auto& [preset, key] : rows)
        EXPECT_EQ(PresetCaption::textKey(preset), key);
}

TEST(PresetPillTitleTest, LongNamesAreShortenedToNineCharacters)
{
    const std::vector<std::pair<QString, QString>> rows{
        {"Quiet Desk", "Quiet Desk"},       // 10: whole
        {"Quiet Desks", "Quiet Des\u2026"}, // 11: 9 and an ellipsis
        {"Big fans hot", "Big fans\u2026"}, // 9th character a space: trimmed
        {"  spaced name", "spaced\u2026"},  // leading spaces trimmed too
    };
    for (const auto& [name, shown] : rows)
        EXPECT_EQ(PresetPillTitle::shortened(name), shown) << name.toStdString();
}

TEST(PresetPillRowTest, TheWidestRowThatFitsThenTheOverflowMenu)
{
    // 9 slots of 100 points, spacing 8, an overflow menu of 30: a row of n pills with the menu
    // needs 108 n + 30.
    const QList<double> nine(9, 100.0);
    const std::vector<std::pair<double, int>> rows{
        {2000, 8}, {894, 8}, {893, 6}, {678, 6}, {677, 4}, {246, 2}, {245, 1}, {50, 1},
    };
    for (const auto& [width, pills] : rows)
        EXPECT_EQ(PresetPillRow::pillCount(nine, 30, 8, width), pills) << width;

    // All slots fit without a menu.
    EXPECT_EQ(PresetPillRow::pillCount(QList<double>(3, 100.0), 30, 8, 316), 3);
    EXPECT_EQ(PresetPillRow::pillCount({}, 30, 8, 316), 0);
}

struct HeightRow {
    const char* name;
    double natural;
    QRectF frame;
    double contentHeight;
    std::optional<QRectF> expected;
};

TEST(MainWindowHeightTest, FitsTheContentWithinTheScreen)
{
    // A 1,000-point visible area below a 25-point bar; the window has 100 points of chrome.
    const QRectF screen(0, 25, 1440, 1000);
    const HeightRow rows[] = {
        {"short content gets the minimum",
         300,
         {100, 100, 820, 700},
         600,
         QRectF(100, 100, 820, 520)},
        {"tall content is limited by the screen",
         2000,
         {100, 100, 820, 700},
         600,
         QRectF(100, 49, 820, 976)},
        {"a change under 1 point does nothing", 600.6, {100, 100, 820, 700}, 600, std::nullopt},
        {"a change of 1 point resizes", 601, {100, 100, 820, 700}, 600, QRectF(100, 100, 820, 701)},
        {"no height yet", 0, {100, 100, 820, 700}, 600, std::nullopt},
        {"near the bottom it moves up only as needed",
         800,
         {100, 400, 820, 520},
         420,
         QRectF(100, 125, 820, 900)},
        {"shrinking keeps the top edge",
         500,
         {100, 400, 820, 620},
         520,
         QRectF(100, 400, 820, 600)},
    };
    for (const HeightRow& row : rows) {
        SCOPED_TRACE(row.name);
        EXPECT_EQ(MainWindowHeight::fittedFrame(row.natural, row.frame, row.contentHeight, screen),
                  row.expected);
    }
}

} // namespace
} // namespace brisvane
