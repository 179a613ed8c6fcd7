// The main window scene on the offscreen platform: what it is, that a close only hides it and a
// reopen brings it back, the Dock-icon policy, the width correction and the auto-close when its
// content is first shown, the forced colour scheme, and the readings as assistive technology
// reads them. Also renders it to PNG files in the build tree for a look.

#include "tests/app/EventLoopSupport.h"
#include "tests/app/TelemetryTestSupport.h"
#include "tests/ui/UiTestSupport.h"

#include "app/ui/ActivationPolicy.h"
#include "app/ui/BrisvaneApp.h"
#include "app/ui/MainWindowController.h"
#include "app/ui/dashboard/TemperatureCardText.h"
#include "app/ui/design/Theme.h"
#include "app/ui/window/ActivePresetBar.h"
#include "app/ui/window/MainWindowHeightController.h"

#include "app/core/AppDelegate.h"
#include "app/core/MainWindowVisibility.h"

#include <QAccessible>
#include <QImage>
#include <QQuickItem>
#include <QScreen>
#include <QSet>

#include <gtest/gtest.h>

namespace brisvane {
namespace {

using namespace std::chrono_literals;
using test::processEventsUntil;

class MainWindowTest : public test::UiTest {
protected:
    void TearDown() override
    {
        m_app.reset();
        m_delegate.reset();
        m_state.reset();
        // Process-wide state the next test starts from afresh, as a new process would.
        MainWindowVisibility::shared().setIsOnScreen(true);
        setActivationPolicy(ActivationPolicy::regular);
        UiTest::TearDown();
    }

    void launch(const QStringList& arguments = {}, bool present = true)
    {
        m_defaults = makeDefaults(arguments);
        m_state = makeState(*m_defaults);
        m_delegate = std::make_unique<AppDelegate>([this] { ++m_terminated; },
                                                   root() + QStringLiteral("/instance"));
        m_app = std::make_unique<BrisvaneApp>(*m_state, *m_delegate, *m_defaults);
        ASSERT_TRUE(m_app->buildScenes(present));
        ASSERT_NE(window(), nullptr);
    }
    QQuickWindow* window() const { return m_app->mainWindow(); }
    bool contentShown() const
    {
        return processEventsUntil([&] { return m_app->contentShown().has_value(); });
    }
    // Shows the window through the route the menu-bar item installs.
    void reopen()
    {
        m_state->setOpenMainWindow([this] { m_app->openMainWindow(); });
        EXPECT_TRUE(m_delegate->applicationShouldHandleReopen(false));
    }

    int m_terminated = 0;
    std::unique_ptr<UserDefaults> m_defaults;
    std::unique_ptr<AppState> m_state;
    std::unique_ptr<AppDelegate> m_delegate;
    std::unique_ptr<BrisvaneApp> m_app;
};

TEST_F(MainWindowTest, TheSceneIsTheMainWindowShownAtLaunch)
{
    launch({}, false);
    QQuickWindow* main = window();
    EXPECT_EQ(main->objectName(), QStringLiteral("main"));
    EXPECT_EQ(main->title(), qtTrId("app.window.mainTitle"));
    EXPECT_EQ(main->size(), QSize(820, 900));
    // The content area is at least 780 by 420; the header comes on top.
    const auto* header = main->property("header").value<QQuickItem*>();
    ASSERT_NE(header, nullptr);
    EXPECT_EQ(main->minimumSize(), QSize(780, 420 + qRound(header->implicitHeight())));
    EXPECT_FALSE(main->isVisible());
    EXPECT_EQ(m_delegate->appState(), nullptr);
    ASSERT_NE(m_app->menuBarPanel(), nullptr);
    EXPECT_FALSE(m_app->menuBarPanel()->isVisible());

    main->show();
    ASSERT_TRUE(contentShown());
    EXPECT_EQ(m_delegate->appState(), m_state.get()) << "quitting now hands the fans back";
    ASSERT_NE(m_app->mainWindowController(), nullptr);
    EXPECT_EQ(&m_app->mainWindowController()->window(), main);
}

TEST_F(MainWindowTest, BeforeItsFirstShowingOpeningShowsTheWindow)
{
    launch({}, false);
    m_app->openMainWindow();
    EXPECT_TRUE(window()->isVisible());
    EXPECT_TRUE(contentShown());
}

TEST_F(MainWindowTest, QuittingBeforeTheWindowIsShownEndsAtOnce)
{
    launch({}, false);
    m_delegate->terminate();
    EXPECT_EQ(m_terminated, 1);
}

struct DockIconCase {
    const char* hideDockIcon; // the argument's value, nullptr for the registered default
    ActivationPolicy afterClose;
};

class CloseTest : public MainWindowTest, public ::testing::WithParamInterface<DockIconCase> {};

TEST_P(CloseTest, ClosingHidesTheWindowAndReopeningBringsItBack)
{
    QStringList arguments;
    if (GetParam().hideDockIcon)
        arguments = {QStringLiteral("-hideDockIconWhenWindowClosed"),
                     QString::fromLatin1(GetParam().hideDockIcon)};
    launch(arguments);
    ASSERT_TRUE(contentShown());
    const QPointer<QQuickWindow> main = window();

    main->close();
    processEventsUntil([] { return false; }, 50ms);
    ASSERT_FALSE(main.isNull()) << "the window was destroyed";
    EXPECT_FALSE(main->isVisible());
    EXPECT_FALSE(MainWindowVisibility::shared().isOnScreen());
    EXPECT_EQ(activationPolicy(), GetParam().afterClose);
    EXPECT_EQ(m_terminated, 0);

    reopen();
    EXPECT_TRUE(main->isVisible());
    EXPECT_TRUE(MainWindowVisibility::shared().isOnScreen());
    EXPECT_EQ(activationPolicy(), ActivationPolicy::regular);
}

INSTANTIATE_TEST_SUITE_P(DockIcon, CloseTest,
                         ::testing::Values(DockIconCase{nullptr, ActivationPolicy::accessory},
                                           DockIconCase{"YES", ActivationPolicy::accessory},
                                           DockIconCase{"NO", ActivationPolicy::regular}));

TEST_F(MainWindowTest, AMinimisedWindowIsNotOnScreen)
{
    launch();
    ASSERT_TRUE(contentShown());
    window()->showMinimized();
    EXPECT_TRUE(processEventsUntil([] { return !MainWindowVisibility::shared().isOnScreen(); }));
    reopen();
    EXPECT_TRUE(processEventsUntil([] { return MainWindowVisibility::shared().isOnScreen(); }));
    EXPECT_FALSE(window()->windowStates() & Qt::WindowMinimized);
}

TEST_F(MainWindowTest, HeightReportsWhileMinimisedAreDroppedAndTheNextOneFitsTheWindow)
{
    launch();
    ASSERT_TRUE(contentShown());
    auto* heights = window()->findChild<MainWindowHeightController*>();
    ASSERT_NE(heights, nullptr);
    window()->showMinimized();
    ASSERT_TRUE(processEventsUntil([] { return !MainWindowVisibility::shared().isOnScreen(); }));
    heights->fitWindow(300);
    EXPECT_NE(heights->latestNaturalContentHeight(), 300) << "not even stored";

    reopen();
    ASSERT_TRUE(processEventsUntil([] { return MainWindowVisibility::shared().isOnScreen(); }));
    heights->fitWindow(300);
    heights->fitWindow(310); // the same turn: one resize, to the last report
    EXPECT_EQ(heights->latestNaturalContentHeight(), 310);
    // Both are below the minimum: the content area ends up 420 tall.
    EXPECT_TRUE(
        processEventsUntil([&] { return qRound(heights->contentArea()->height()) == 420; }));
}

TEST_F(MainWindowTest, PillsActivateTheirSlotOnlyWhilePresetsCanBeSwitched)
{
    m_defaults = makeDefaults();
    m_state = makeState(*m_defaults, HelperState::notInstalled);
    ActivePresetBar bar;
    bar.setAppState(m_state.get());
    ASSERT_EQ(bar.rowCount(), 3); // automatic, Cool, Full speed
    EXPECT_FALSE(bar.pillsEnabled());
    bar.activate(2);
    EXPECT_EQ(m_state->presets().activePresetID(), std::nullopt);

    previewHelper(*m_state).setState(HelperState::installed);
    EXPECT_TRUE(bar.pillsEnabled());
    bar.activate(2);
    EXPECT_EQ(m_state->presets().activePresetID(), FanPreset::fullSpeedID);
    EXPECT_TRUE(bar.data(bar.index(2), ActivePresetBar::isActiveRole).toBool());
    bar.activate(0);
    EXPECT_EQ(m_state->presets().activePresetID(), std::nullopt);
}

struct WidthCase {
    int widthBeforeShown;
    int widthAfter;
};

class WidthTest : public MainWindowTest, public ::testing::WithParamInterface<WidthCase> {};

TEST_P(WidthTest, ANarrowWindowIsWidenedAndCentredWhenFirstShown)
{
    launch({}, false);
    window()->resize(GetParam().widthBeforeShown, 700);
    window()->show();
    ASSERT_TRUE(contentShown());
    EXPECT_EQ(window()->width(), GetParam().widthAfter);
    EXPECT_EQ(window()->height(), 700);
    const bool widened = GetParam().widthAfter != GetParam().widthBeforeShown;
    EXPECT_EQ(m_app->contentShown()->widened, widened);
    if (widened) {
        const QRect available = window()->screen()->availableGeometry();
        const QRect frame = window()->frameGeometry();
        EXPECT_EQ(frame.topLeft(),
                  QPoint(available.x() + (available.width() - frame.width()) / 2,
                         available.y() + (available.height() - frame.height()) / 2));
    }

    // Only the first display is corrected.
    window()->hide();
    window()->resize(GetParam().widthBeforeShown, 700);
    window()->show();
    processEventsUntil([] { return false; }, 50ms);
    EXPECT_EQ(window()->width(), GetParam().widthBeforeShown);
}

INSTANTIATE_TEST_SUITE_P(Widths, WidthTest,
                         ::testing::Values(WidthCase{780, 820}, WidthCase{781, 781},
                                           WidthCase{900, 900}));

TEST_F(MainWindowTest, CloseMainWindowAfterSecondsClosesItLikeTheUser)
{
    launch({QStringLiteral("-CloseMainWindowAfterSeconds"), QStringLiteral("1")});
    ASSERT_TRUE(contentShown());
    EXPECT_EQ(m_app->contentShown()->autoCloseAfterSeconds, 1.0);
    EXPECT_TRUE(window()->isVisible());
    ASSERT_TRUE(processEventsUntil([&] { return !window()->isVisible(); }, 5s));
    EXPECT_FALSE(MainWindowVisibility::shared().isOnScreen());
    EXPECT_EQ(activationPolicy(), ActivationPolicy::accessory) << "through windowShouldClose";
    reopen();
    EXPECT_TRUE(window()->isVisible());
}

class NoAutoCloseTest : public MainWindowTest, public ::testing::WithParamInterface<const char*> {};

TEST_P(NoAutoCloseTest, NothingIsScheduled)
{
    QStringList arguments;
    if (GetParam())
        arguments = {QStringLiteral("-CloseMainWindowAfterSeconds"),
                     QString::fromLatin1(GetParam())};
    launch(arguments);
    ASSERT_TRUE(contentShown());
    EXPECT_FALSE(m_app->contentShown()->autoCloseAfterSeconds.has_value());
}

INSTANTIATE_TEST_SUITE_P(Values, NoAutoCloseTest,
                         ::testing::Values(nullptr, "0", "-1", "-0.5", "soon"));

struct SchemeCase {
    const char* value;
    Theme::ColorScheme scheme;
};

class ColorSchemeTest : public MainWindowTest, public ::testing::WithParamInterface<SchemeCase> {};

TEST_P(ColorSchemeTest, ForceColorSchemeTakesOnlyTheExactNames)
{
    QStringList arguments;
    if (GetParam().value)
        arguments = {QStringLiteral("-ForceColorScheme"), QString::fromLatin1(GetParam().value)};
    launch(arguments);
    const auto* theme =
        m_app->engine().singletonInstance<Theme*>(qmlTypeId("Brisvane.UI.Design", 1, 0, "Theme"));
    ASSERT_NE(theme, nullptr);
    EXPECT_EQ(Theme::colorScheme(theme->forcedColorScheme()), GetParam().scheme);
    const bool dark = GetParam().scheme == Theme::ColorScheme::system
                          ? Theme::platformIsDark()
                          : GetParam().scheme == Theme::ColorScheme::dark;
    EXPECT_EQ(theme->isDark(), dark);
    EXPECT_EQ(window()->color(), theme->windowColor());
}

INSTANTIATE_TEST_SUITE_P(Values, ColorSchemeTest,
                         ::testing::Values(SchemeCase{"light", Theme::ColorScheme::light},
                                           SchemeCase{"dark", Theme::ColorScheme::dark},
                                           SchemeCase{"Dark", Theme::ColorScheme::system},
                                           SchemeCase{"LIGHT", Theme::ColorScheme::system},
                                           SchemeCase{" dark", Theme::ColorScheme::system},
                                           SchemeCase{nullptr, Theme::ColorScheme::system}));

// The names the desktop tests find the readings by.
TEST_F(MainWindowTest, TheReadingsAreNamedForAssistiveTechnology)
{
    QLocale::setDefault(QLocale(QLocale::English, QLocale::UnitedStates));
    launch();
    ASSERT_TRUE(contentShown());
    auto fans = test::laptopFans();
    fans[0].actualRPM = 2400.9;
    fans[1].actualRPM = 0;
    m_state->telemetry().ingest(test::sampleWith({44, 45.52, 41, 41.04}, fans));

    QStringList names;
    const std::function<void(QAccessibleInterface*)> collect = [&](QAccessibleInterface* node) {
        if (!node)
            return;
        if (node->role() == QAccessible::StaticText)
            names.append(node->text(QAccessible::Name));
        for (int i = 0; i < node->childCount(); ++i)
            collect(node->child(i));
    };
    const auto expected = {
        TemperatureCardText::accessibleName(qtTrId("dashboard.temperature.cpuTitle"), 44, 45.52,
                                            45.52),
        TemperatureCardText::accessibleName(qtTrId("dashboard.temperature.gpuTitle"), 41, 41.04,
                                            41.04),
        qtTrId("shared.fan.left") + QStringLiteral(", 2,400 rpm"),
        qtTrId("shared.fan.right") + QStringLiteral(", 0 rpm"),
    };
    EXPECT_TRUE(processEventsUntil([&] {
        names.clear();
        collect(QAccessible::queryAccessibleInterface(window()));
        return std::all_of(expected.begin(), expected.end(),
                           [&](const QString& name) { return names.contains(name); });
    })) << names.join(QStringLiteral(" | ")).toStdString();
    // Only what is on screen: not the loading view, nor the helper banner of an installed helper.
    EXPECT_FALSE(names.contains(qtTrId("dashboard.loading.title")));
    EXPECT_FALSE(names.contains(qtTrId("dashboard.helperBanner.message")));
    QLocale::setDefault(QLocale::c());
}

class RenderTest : public MainWindowTest, public ::testing::WithParamInterface<const char*> {};

// Writes build/tests/main-window-<scheme>.png.
TEST_P(RenderTest, TheWindowRendersItsReadings)
{
    launch({QStringLiteral("-ForceColorScheme"), QString::fromLatin1(GetParam())});
    ASSERT_TRUE(contentShown());
    auto fans = test::laptopFans();
    fans[0].actualRPM = 3552.7;
    fans[1].actualRPM = 0;
    m_state->presets().setActivePresetID(FanPreset::coolID);
    m_state->telemetry().ingest(test::sampleWith({58.2, 64.5, 41.0, 47.6}, fans));
    processEventsUntil([] { return false; }, 200ms);

    const QImage image = window()->grabWindow();
    ASSERT_FALSE(image.isNull());
    EXPECT_EQ(image.size(), window()->size() * window()->devicePixelRatio());
    QSet<QRgb> colours;
    for (int y = 0; y < image.height(); y += 4)
        for (int x = 0; x < image.width(); x += 4)
            colours.insert(image.pixel(x, y));
    EXPECT_GT(colours.size(), 8) << "a blank window";
    const QString path = QStringLiteral(BRISVANE_BUILD_DIR "/tests/main-window-%1.png")
                             .arg(QString::fromLatin1(GetParam()));
    EXPECT_TRUE(image.save(path)) << path.toStdString();
}

INSTANTIATE_TEST_SUITE_P(Schemes, RenderTest, ::testing::Values("light", "dark"));

} // namespace
} // namespace brisvane
