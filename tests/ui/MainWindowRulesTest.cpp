// The main window's rules in pure C++: start section, control state, presets, pills, height.

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

TEST(PresetControlStateResolverTest, TheFirstMatchingRuleWins)
{
    using enum HelperState;
    using enum Phase;
    using enum Kind;
    const char* warning = "exclamationmark.triangle.fill";
    const PresetControlStatus missing{warning, "mainWindow.presetBar.helperMissing", Tint::neutral,
                                      false};
    const PresetControlStatus refused{warning, "mainWindow.presetBar.hardwareFailure",
                                      Tint::warning, false};
    const PresetControlStatus starting{"hourglass", "shared.mode.startingBoost", Tint::accent,
                                       true};
    const PresetControlStatus boosting{"bolt.fill", "shared.mode.boosting", Tint::warning, false};
    const struct {
        const char* name;
        HelperState helper;
        std::optional<Phase> phase;
        bool boosting;
        Kind kind;
        std::optional<PresetControlStatus> status;
    } rows[] = {
        {"not installed", notInstalled, std::nullopt, false, unavailable, missing},
        {"not installed with a stale failure", notInstalled, failed, true, unavailable, missing},
        {"firmware failure", installed, failed, false, switchable, refused},
        {"firmware failure while boosting", unreachable, failed, true, switchable, refused},
        {"unlocking", installed, unlocking, false, busy, starting},
        {"unreachable while unlocking", unreachable, unlocking, true, busy, starting},
        {"boosting while controlling", installed, controlling, true, switchable, boosting},
        {"boosting without a status", unreachable, std::nullopt, true, switchable, boosting},
        {"idle", installed, idle, false, switchable, std::nullopt},
        {"unreachable without a status", unreachable, std::nullopt, false, switchable,
         std::nullopt},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        const PresetControlState state =
            PresetControlStateResolver::state(row.helper, row.phase, row.boosting);
        EXPECT_EQ(state.kind, row.kind);
        EXPECT_EQ(state.status, row.status);
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

// A card names its preset's source only when the preset has one of its own; an unknown text
// follows the app's setting and is not named.
TEST(PresetCaptionTest, ACardNamesASourceOfThePresetsOwn)
{
    FanPreset user = FanPreset::builtIns(2).first();
    user.isBuiltIn = false;
    const QString custom = qtTrId("presets.card.customCurveCaption");
    const std::pair<const char*, QString> rows[] = {
        {"", custom},
        {"npu", custom},
        {"gpu",
         qtTrId("presets.card.sourceCaption").arg(custom, qtTrId("curves.sourcePicker.gpu"))},
        {"hottestCore", qtTrId("presets.card.sourceCaption")
                            .arg(custom, qtTrId("curves.sourcePicker.hottestCore"))},
    };
    for (const auto& [text, caption] : rows) {
        user.temperatureSourceText = QString::fromLatin1(text);
        EXPECT_EQ(PresetCaption::cardText(user), caption) << text;
    }
    EXPECT_EQ(PresetCaption::cardText(std::nullopt), qtTrId("presets.card.automaticCaption"));
}

TEST(PresetPillTitleTest, LongNamesAreShortenedToNineCharacters)
{
    const std::vector<std::pair<QString, QString>> rows{
        {"Quiet Desk", "Quiet Desk"},       // 10: whole
        {"Quiet Desks", "Quiet Des\u2026"}, // 11: 9 and an ellipsis
        {"Big fans hot", "Big fans\u2026"}, // 9th character a space: trimmed
        {"  spaced name", "spaced\u2026"},  // leading spaces trimmed too
        {"", ""},
    };
    for (const auto& [name, shown] : rows)
        EXPECT_EQ(PresetPillTitle::shortened(name), shown) << name.toStdString();
}

TEST(PresetPillTitleTest, CountsAndCutsWholeCharactersNotCodeUnits)
{
    const QString fire = QStringLiteral("\U0001F525"); // two UTF-16 units
    const QString family = QStringLiteral("\U0001F468\u200D\U0001F469\u200D\U0001F467"); // ZWJ
    const QString flag = QStringLiteral("\U0001F1E9\U0001F1EA");  // regional pair
    const QString thumb = QStringLiteral("\U0001F44D\U0001F3FD"); // skin-tone modifier
    const QString acute = QStringLiteral("e\u0301");              // combining mark
    const QString stacked = QStringLiteral("a\u0302\u0301");      // two marks
    const QString ellipsis(QChar(0x2026));
    const std::vector<std::pair<QString, QString>> rows{
        {fire.repeated(10), fire.repeated(10)},
        {fire.repeated(11), fire.repeated(9) + ellipsis},
        {family.repeated(10), family.repeated(10)},
        {family.repeated(11), family.repeated(9) + ellipsis},
        {flag.repeated(11), flag.repeated(9) + ellipsis},
        {thumb.repeated(12), thumb.repeated(9) + ellipsis},
        {acute.repeated(10), acute.repeated(10)},
        {acute.repeated(11), acute.repeated(9) + ellipsis},
        {stacked.repeated(11), stacked.repeated(9) + ellipsis},
        // Mixed: the 9th character is "d", the family counts once.
        {"Fan " + family + " mode!", "Fan " + family + " mod" + ellipsis},
        // The 9th character is a space after an emoji: trimmed before the ellipsis.
        {"Fans " + fire.repeated(3) + " up", "Fans " + fire.repeated(3) + ellipsis},
        // Ten characters with a mark on the last: whole, though 11 code units.
        {"Caf" + acute + " chill", "Caf" + acute + " chill"},
    };
    for (const auto& [name, shown] : rows)
        EXPECT_EQ(PresetPillTitle::shortened(name), shown) << name.toStdString();
}

TEST(PresetPillRowTest, TheWidestRowThatFitsThenTheOverflowMenu)
{
    // 9 slots of 100 points, spacing 8, an overflow menu of 30: n pills and the menu need 108 n
    // + 30.
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

TEST(MainWindowHeightTest, FitsTheContentWithinTheScreen)
{
    // A 1,000-point visible area below a 25-point bar; the window, 820 wide at x 100, has 100
    // points of chrome. Rows: the natural content height, the frame's top and height, the
    // content area's height, and the fitted frame's top and height (a height of 0: no resize).
    const QRectF screen(0, 25, 1440, 1000);
    struct Row {
        const char* name;
        double natural, top, height, content, fittedTop, fittedHeight;
    };
    const Row rows[] = {
        {"short content gets the minimum", 300, 100, 700, 600, 100, 520},
        {"tall content is limited by the screen", 2000, 100, 700, 600, 49, 976},
        {"a change under 1 point does nothing", 600.6, 100, 700, 600, 0, 0},
        {"a change of 1 point resizes", 601, 100, 700, 600, 100, 701},
        {"no height yet", 0, 100, 700, 600, 0, 0},
        {"near the bottom it moves up only as needed", 800, 400, 520, 420, 125, 900},
        {"shrinking keeps the top edge", 500, 400, 620, 520, 400, 600},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        std::optional<QRectF> expected;
        if (row.fittedHeight > 0)
            expected = QRectF(100, row.fittedTop, 820, row.fittedHeight);
        EXPECT_EQ(MainWindowHeight::fittedFrame(row.natural, QRectF(100, row.top, 820, row.height),
                                                row.content, screen),
                  expected);
    }
}

} // namespace
} // namespace brisvane
