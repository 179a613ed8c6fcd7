// The design system's numbers: temperature colours per appearance, the readout's number, the
// gauge's fraction and fill animation, when the blades are drawn again, and how the appearance
// follows the platform palette or the forced scheme.

#include "tests/ui/UiTestSupport.h"

#include "app/ui/design/AppColors.h"
#include "app/ui/design/FanGaugeAnimation.h"
#include "app/ui/design/Readouts.h"
#include "app/ui/design/SpinningFanBladesView.h"
#include "app/ui/design/Theme.h"

#include <QGuiApplication>
#include <QPalette>
#include <QQmlComponent>
#include <QQmlEngine>
#include <QSignalSpy>

#include <gtest/gtest.h>

#include <cmath>
#include <functional>

namespace brisvane {
namespace {

struct ColourCase {
    double celsius;
    bool isDark;
    float hue, saturation, brightness;
};

class TemperatureColourTest : public ::testing::TestWithParam<ColourCase> {};

TEST_P(TemperatureColourTest, HueFollowsTheTemperatureAndTheAppearanceSetsTheRest)
{
    const ColourCase& c = GetParam();
    const QColor colour = AppColors::temperatureColor(c.celsius, c.isDark);
    EXPECT_NEAR(colour.hsvHueF(), c.hue, 1e-3);
    EXPECT_NEAR(colour.hsvSaturationF(), c.saturation, 1e-3);
    EXPECT_NEAR(colour.valueF(), c.brightness, 1e-3);
    EXPECT_EQ(colour.alphaF(), 1);
}

INSTANTIATE_TEST_SUITE_P(
    Appearances, TemperatureColourTest,
    ::testing::Values(
        ColourCase{39, false, 0.53f, 1, 0.5f}, ColourCase{40, false, 0.53f, 1, 0.5f},
        // Hue 0.27 lies in the yellow-green band: darker on white.
        ColourCase{67.5, false, 0.27f, 1, 0.42f}, ColourCase{95, false, 0.01f, 1, 0.5f},
        ColourCase{120, false, 0.01f, 1, 0.5f}, ColourCase{39, true, 0.53f, 0.8f, 0.95f},
        ColourCase{40, true, 0.53f, 0.8f, 0.95f}, ColourCase{67.5, true, 0.27f, 0.8f, 0.95f},
        ColourCase{95, true, 0.01f, 0.8f, 0.95f}, ColourCase{120, true, 0.01f, 0.8f, 0.95f}));

TEST(TemperatureColour, TheEndsOfTheScaleAreFlat)
{
    for (const bool dark : {false, true}) {
        EXPECT_EQ(AppColors::temperatureColor(39, dark), AppColors::temperatureColor(40, dark));
        EXPECT_EQ(AppColors::temperatureColor(95, dark), AppColors::temperatureColor(120, dark));
    }
}

struct CelsiusCase {
    double celsius;
    const char* locale;
    const char* text;
};

class FormattedCelsiusTest : public ::testing::TestWithParam<CelsiusCase> {};

TEST_P(FormattedCelsiusTest, OneDecimalBelowAHundredNoneFromAHundred)
{
    EXPECT_EQ(Readouts::formattedCelsius(GetParam().celsius,
                                         QLocale(QString::fromLatin1(GetParam().locale))),
              QString::fromUtf8(GetParam().text));
}

INSTANTIATE_TEST_SUITE_P(Values, FormattedCelsiusTest,
                         ::testing::Values(CelsiusCase{99.96, "en_US", "100.0"},
                                           CelsiusCase{100, "en_US", "100"},
                                           CelsiusCase{45.46, "de_DE", "45,5"},
                                           CelsiusCase{104.6, "en_US", "105"},
                                           CelsiusCase{std::nan(""), "en_US", "--"}));

struct FractionCase {
    double rpm, maxRPM, fraction;
};

class GaugeFractionTest : public ::testing::TestWithParam<FractionCase> {};

TEST_P(GaugeFractionTest, ClampedAndRoundedToThreeDecimals)
{
    EXPECT_EQ(Readouts::gaugeFraction(GetParam().rpm, GetParam().maxRPM), GetParam().fraction);
}

INSTANTIATE_TEST_SUITE_P(Values, GaugeFractionTest,
                         ::testing::Values(FractionCase{0, 6000, 0}, FractionCase{7000, 6000, 1},
                                           FractionCase{1234, 6000, 0.206},
                                           FractionCase{2400.9, 6000, 0.4},
                                           FractionCase{-20, 6000, 0}, FractionCase{1200, 0, 0},
                                           FractionCase{std::nan(""), 6000, 0}));

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
    EXPECT_EQ(gauge.animation().duration(), 1800);
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
    EXPECT_EQ(gauge.animation().startValue().toDouble(), onScreen);
    EXPECT_EQ(gauge.animation().endValue().toDouble(), 0.2);
    gauge.animation().setCurrentTime(1800);
    EXPECT_DOUBLE_EQ(gauge.displayedFraction(), 0.2);
}

class BladesTest : public test::UiTest {};

TEST_F(BladesTest, TheBitmapIsRedrawnOnlyWhenItsLookChanges)
{
    QQmlEngine engine;
    QQmlComponent component(&engine);
    component.setData("import Brisvane.UI.Design\nSpinningFanBladesView { diameter: 20 }", {});
    std::unique_ptr<QObject> created(component.create());
    auto* view = qobject_cast<SpinningFanBladesView*>(created.get());
    ASSERT_NE(view, nullptr) << component.errorString().toStdString();
    ASSERT_EQ(view->renderCount(), 1);

    struct Step {
        const char* change;
        std::function<void()> apply;
        bool redrawn;
    };
    const Step steps[] = {
        {"the same diameter", [&] { view->setDiameter(20); }, false},
        {"a turn", [&] { view->setRotation(90); }, false},
        {"a new size",
         [&] {
             view->setSize({40, 40});
         },
         false},
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

class ThemeTest : public test::UiTest {
protected:
    void TearDown() override
    {
        QGuiApplication::setPalette(QPalette());
        UiTest::TearDown();
    }
    static void setPlatformDark(bool dark)
    {
        QPalette palette;
        palette.setColor(QPalette::Window,
                         dark ? QColor(0x20, 0x20, 0x20) : QColor(0xef, 0xef, 0xef));
        QGuiApplication::setPalette(palette);
    }
};

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

} // namespace
} // namespace brisvane
