// The design system: temperature colours, readout numbers, the gauge fill, blades and theme.

#include "tests/ui/UiTestSupport.h"

#include "app/ui/design/AppColors.h"
#include "app/ui/design/FanGaugeAnimation.h"
#include "app/ui/design/Readouts.h"
#include "app/ui/design/SpinningFanBladesView.h"
#include "app/ui/design/Theme.h"

#include <QQmlEngine>
#include <QQuickItem>
#include <QSignalSpy>

#include <gtest/gtest.h>

#include <cmath>
#include <functional>

namespace brisvane {
namespace {

// The hue follows the temperature, flat below 40 and above 95 °C; the appearance sets the rest,
// with a darker yellow-green (hue 0.27) on white.
TEST(TemperatureColourTest, HueFollowsTheTemperatureAndTheAppearanceSetsTheRest)
{
    const struct {
        double celsius;
        float hue, lightBrightness;
    } rows[] = {{39, 0.53f, 0.5f},
                {40, 0.53f, 0.5f},
                {67.5, 0.27f, 0.42f},
                {95, 0.01f, 0.5f},
                {120, 0.01f, 0.5f}};
    for (const auto& row : rows) {
        for (const bool dark : {false, true}) {
            SCOPED_TRACE(testing::Message() << row.celsius << (dark ? " dark" : " light"));
            const QColor colour = AppColors::temperatureColor(row.celsius, dark);
            EXPECT_NEAR(colour.hsvHueF(), row.hue, 1e-3);
            EXPECT_NEAR(colour.hsvSaturationF(), dark ? 0.8 : 1, 1e-3);
            EXPECT_NEAR(colour.valueF(), dark ? 0.95 : row.lightBrightness, 1e-3);
            EXPECT_EQ(colour.alphaF(), 1);
        }
    }
}

// Text on a tint is black once the tint is bright (the dark appearance's cool and middle tints),
// else white.
TEST(TextOnColourTest, BlackOnBrightTintsWhiteOnTheRest)
{
    const std::pair<QColor, QColor> rows[] = {
        {AppColors::temperatureColor(40, true), Qt::black},
        {AppColors::temperatureColor(67.5, true), Qt::black},
        {AppColors::temperatureColor(95, true), Qt::white},
        {AppColors::temperatureColor(67.5, false), Qt::white},
        {QColor::fromRgbF(0.59f, 0.59f, 0.59f), Qt::white},
        {QColor::fromRgbF(0.61f, 0.61f, 0.61f), Qt::black},
        {QColor(Qt::yellow), Qt::black},
    };
    for (const auto& [background, text] : rows)
        EXPECT_EQ(AppColors::textOn(background), text) << background.name().toStdString();
}

// Each tint has its colour in each appearance; a value outside the enumeration draws quietly.
TEST(StatusTintTest, EachTintItsColourAndAnUnknownOneTheSecondaryText)
{
    using enum StatusTint::Tint;
    const AppColors light(false, Qt::blue), dark(true, Qt::blue);
    const struct {
        StatusTint::Tint tint;
        QColor light, dark;
    } rows[] = {
        {Secondary, light.secondaryText(), dark.secondaryText()},
        {Accent, Qt::blue, Qt::blue},
        {Warning, QColor(0xff9500), QColor(0xff9f0a)},
        {Gray, QColor(0x8e8e93), QColor(0x98989d)},
        {Green, QColor(0x28a745), QColor(0x30d158)},
        {Orange, QColor(0xf08a00), QColor(0xff9f0a)},
        {Red, QColor(0xe02f26), QColor(0xff453a)},
        {static_cast<StatusTint::Tint>(42), light.secondaryText(), dark.secondaryText()},
    };
    for (const auto& row : rows) {
        EXPECT_EQ(light.tint(row.tint), row.light) << static_cast<int>(row.tint);
        EXPECT_EQ(dark.tint(row.tint), row.dark) << static_cast<int>(row.tint);
    }
}

TEST(ReadoutFormatTest, CelsiusHasOneDecimalBelowAHundredNoneFromAHundred)
{
    const struct {
        double celsius;
        const char* locale;
        const char* text;
    } rows[] = {{99.96, "en_US", "100.0"},
                {100, "en_US", "100"},
                {45.46, "de_DE", "45,5"},
                {104.6, "en_US", "105"},
                {std::nan(""), "en_US", "--"}};
    for (const auto& row : rows)
        EXPECT_EQ(Readouts::formattedCelsius(row.celsius, QLocale(QString::fromLatin1(row.locale))),
                  QString::fromUtf8(row.text));
}

TEST(ReadoutFormatTest, GaugeFractionIsClampedAndRoundedToThreeDecimals)
{
    const struct {
        double rpm, maxRPM, fraction;
    } rows[] = {{0, 6000, 0},   {7000, 6000, 1}, {1234, 6000, 0.206},    {2400.9, 6000, 0.4},
                {-20, 6000, 0}, {1200, 0, 0},    {std::nan(""), 6000, 0}};
    for (const auto& row : rows)
        EXPECT_EQ(Readouts::gaugeFraction(row.rpm, row.maxRPM), row.fraction) << row.rpm;
}

class FanGaugeAnimationTest : public test::UiTest {};

TEST_F(FanGaugeAnimationTest, TheSameFractionAddsNoAnimation)
{
    FanGaugeAnimation gauge;
    gauge.reset(1.7);
    EXPECT_EQ(gauge.fraction(), 1) << "clamped at creation";
    EXPECT_EQ(gauge.displayedFraction(), 1);
    EXPECT_EQ(gauge.animationCount(), 0) << "drawn without animation";

    gauge.setFraction(0.5, 1.8);
    EXPECT_EQ(gauge.animationCount(), 1);
    gauge.setFraction(0.5, 1.8);
    EXPECT_EQ(gauge.animationCount(), 1);
    gauge.setFraction(-2, 1.8);
    EXPECT_EQ(gauge.fraction(), 0);
    EXPECT_EQ(gauge.animationCount(), 2);
    gauge.setFraction(-1, 1.8);
    EXPECT_EQ(gauge.animationCount(), 2) << "clamped to the same 0";
}

TEST_F(FanGaugeAnimationTest, ANewFractionContinuesFromTheFillOnScreen)
{
    FanGaugeAnimation gauge;
    gauge.reset(1);
    gauge.setFraction(0.5, 1.8);
    // Half way through, eased symmetrically: the fill is half way.
    gauge.animation().setCurrentTime(900);
    const double onScreen = gauge.displayedFraction();
    EXPECT_NEAR(onScreen, 0.75, 1e-3);

    gauge.setFraction(0.2, 1.8);
    EXPECT_EQ(gauge.animationCount(), 2);
    EXPECT_EQ(gauge.displayedFraction(), onScreen) << "no jump";
    gauge.animation().setCurrentTime(1800);
    EXPECT_DOUBLE_EQ(gauge.displayedFraction(), 0.2);
}

TEST_F(FanGaugeAnimationTest, MovesTooSmallToSeeAreNotDrawnButTheEndIs)
{
    const struct {
        double from, to;
        int mostUpdates;
    } rows[] = {
        {0.400, 0.401, 3},  // a fan's jitter: a couple of quarter pixels
        {0.400, 0.4004, 1}, // under one step: straight to the end when it is reached
        {0.2, 0.8, 1230},   // a real change: every step shown
    };
    for (const auto& row : rows) {
        FanGaugeAnimation gauge;
        gauge.reset(row.from);
        int updates = 0;
        QObject::connect(&gauge, &FanGaugeAnimation::displayedFractionChanged,
                         [&updates] { ++updates; });
        gauge.setFraction(row.to, 1.8);
        double last = row.from;
        for (int ms = 0; ms <= 1800; ms += 1) {
            gauge.animation().setCurrentTime(ms);
            EXPECT_LT(std::abs(gauge.displayedFraction() - last),
                      FanGaugeAnimation::kMinimumVisibleStep + 1e-3)
                << "no visible jump at " << ms << " ms";
            last = gauge.displayedFraction();
        }
        EXPECT_DOUBLE_EQ(gauge.displayedFraction(), row.to) << row.to;
        EXPECT_LE(updates, row.mostUpdates) << row.to;
        EXPECT_GE(updates, 1) << row.to;
    }
}

class BladesTest : public test::UiTest {};

TEST_F(BladesTest, TheBitmapIsRedrawnOnlyWhenItsLookChanges)
{
    QQmlEngine engine;
    const auto created =
        create(engine, "import Brisvane.UI.Design\nSpinningFanBladesView { diameter: 20 }");
    auto* view = qobject_cast<SpinningFanBladesView*>(created.get());
    ASSERT_NE(view, nullptr);
    ASSERT_EQ(view->renderCount(), 1);

    struct Step {
        const char* change;
        std::function<void()> apply;
        bool redrawn;
    };
    const Step steps[] = {
        {"the same diameter", [&] { view->setDiameter(20); }, false},
        {"a turn", [&] { view->setRotation(90); }, false},
        {"a new size", [&] { view->setSize(QSizeF(40, 40)); }, false},
        {"the accent paint", [&] { view->setFill(FanMark::Fill::Accent); }, true},
        {"the same paint", [&] { view->setFill(FanMark::Fill::Accent); }, false},
        {"the dark appearance", [&] { view->setIsDark(true); }, true},
        {"another accent colour", [&] { view->setAccentColor(Qt::magenta); }, true},
        {"a new diameter", [&] { view->setDiameter(24); }, true},
    };
    for (const Step& step : steps) {
        const int before = view->renderCount();
        step.apply();
        EXPECT_EQ(view->renderCount(), before + (step.redrawn ? 1 : 0)) << step.change;
    }
    EXPECT_EQ(view->image().size(), QSize(24, 24));
}

class ThemeTest : public test::UiTest {};

TEST_F(ThemeTest, TheAppearanceFollowsThePlatformUnlessForced)
{
    setPlatformDark(false);
    Theme theme;
    QSignalSpy changes(&theme, &Theme::appearanceChanged);
    EXPECT_FALSE(theme.isDark());

    setPlatformDark(true);
    EXPECT_TRUE(theme.isDark());
    EXPECT_TRUE(theme.colors().isDark());
    EXPECT_EQ(changes.count(), 1);

    theme.setForcedColorScheme(QStringLiteral("light"));
    EXPECT_FALSE(theme.isDark());
    setPlatformDark(true);
    EXPECT_FALSE(theme.isDark()) << "forced";
    theme.setForcedColorScheme(QStringLiteral("Dark"));
    EXPECT_TRUE(theme.isDark()) << "not a scheme name: the platform's again";
    EXPECT_EQ(changes.count(), 3);
}

// Readouts that change keep their width: every digit of the UI font is as wide as the others.
TEST_F(ThemeTest, ReadoutsKeepTheirWidthWhateverTheirDigits)
{
    QQmlEngine engine;
    const auto width = [&](const QByteArray& qml) {
        const auto item = create(engine, "import Brisvane.UI.Design\n" + qml);
        auto* quick = qobject_cast<QQuickItem*>(item.get());
        return quick ? quick->implicitWidth() : -1.0;
    };
    const struct {
        const char *narrow, *wide;
    } rows[] = {
        {"TemperatureReadout { label: \"CPU\"; celsius: 41.1 }",
         "TemperatureReadout { label: \"CPU\"; celsius: 88.8 }"},
        {"TemperatureReadout { label: \"CPU\"; celsius: 111; emphasized: true }",
         "TemperatureReadout { label: \"CPU\"; celsius: 100; emphasized: true }"},
        {"FanGaugeView { title: \"x\"; rpm: 1111; maxRPM: 9000 }",
         "FanGaugeView { title: \"x\"; rpm: 8888; maxRPM: 9000 }"},
    };
    for (const auto& row : rows) {
        const double narrow = width(row.narrow);
        EXPECT_GT(narrow, 0) << row.narrow;
        EXPECT_EQ(narrow, width(row.wide)) << row.narrow;
    }
    // The gauge's number itself, beside the width of its row.
    const auto gauge = [&](int rpm) {
        const auto view =
            create(engine, QByteArray("import Brisvane.UI.Design\nFanGaugeView { title: \"x\"; "
                                      "maxRPM: 9000; rpm: ") +
                               QByteArray::number(rpm) + " }");
        for (auto* text : view->findChildren<QQuickItem*>()) {
            if (text->property("text").toString() == Readouts::fanSpeed(rpm))
                return text->implicitWidth();
        }
        return -1.0;
    };
    EXPECT_GT(gauge(1111), 0);
    EXPECT_EQ(gauge(1111), gauge(8888));
    EXPECT_EQ(gauge(1000), gauge(4567));
}

TEST(ThemeSchemeTest, OnlyTheExactNamesForceAScheme)
{
    using enum Theme::ColorScheme;
    const std::pair<std::optional<QString>, Theme::ColorScheme> rows[] = {
        {"light", light},  {"dark", dark},    {"Dark", system},
        {"LIGHT", system}, {" dark", system}, {std::nullopt, system}};
    for (const auto& [value, scheme] : rows)
        EXPECT_EQ(Theme::colorScheme(value), scheme) << value.value_or("(absent)").toStdString();
}

} // namespace
} // namespace brisvane
