// The main window scene on the offscreen platform; renderings land in build/tests/ for a look.

#include "tests/app/TelemetryTestSupport.h"
#include "tests/support/EventLoop.h"
#include "tests/ui/UiTestSupport.h"

#include "app/ui/ActivationPolicy.h"
#include "app/ui/MainWindowController.h"
#include "app/ui/design/Theme.h"
#include "app/ui/design/WindowDefaults.h"
#include "app/ui/window/ActivePresetBar.h"
#include "app/ui/window/MainSection.h"
#include "app/ui/window/MainWindowHeightController.h"
#include "app/ui/window/MainWindowVisibility.h"

#include <QImage>
#include <QQuickItem>
#include <QScreen>
#include <QSet>
#include <QSignalSpy>
#include <QTimer>

#include <gtest/gtest.h>

namespace brisvane {
namespace {

using namespace std::chrono_literals;
using test::processEventsUntil;

class MainWindowTest : public test::AppTest {
protected:
    void TearDown() override
    {
        AppTest::TearDown();
        // Process-wide state the next test starts from afresh, as a new process would.
        setActivationPolicy(ActivationPolicy::regular);
    }

    // The option `name` with `value`, or no arguments for a null value.
    static QStringList option(const char* name, const char* value)
    {
        if (!value)
            return {};
        return {QString::fromLatin1(name), QString::fromLatin1(value)};
    }
    QQuickWindow* window() const { return m_app->mainWindow(); }
    bool contentShown() const
    {
        return processEventsUntil([&] { return m_app->contentShown().has_value(); });
    }
    bool onScreen() const { return m_app->mainWindowVisibility().isOnScreen(); }
    // Runs what is queued now: the 0-timers and deferred deletions a show or close leaves.
    static void flush()
    {
        bool done = false;
        QTimer::singleShot(0, [&] { done = true; });
        EXPECT_TRUE(processEventsUntil([&] { return done; }));
    }
    // Shows the window through the route the menu-bar item installs.
    void reopen()
    {
        m_state->setOpenMainWindow([this] { m_app->openMainWindow(); });
        EXPECT_TRUE(m_delegate->applicationShouldHandleReopen(false));
    }
};

TEST_F(MainWindowTest, HiddenAtLaunchUntilOpenedAndOnlyThenQuittingHandsTheFansBack)
{
    launch({}, false);
    EXPECT_EQ(
        m_defaults->boolValue(QLatin1StringView(WindowDefaults::kHideDockIconWhenWindowClosedKey)),
        true);
    ASSERT_NE(window(), nullptr);
    EXPECT_FALSE(window()->isVisible());
    EXPECT_EQ(m_delegate->appState(), nullptr);
    ASSERT_NE(m_app->menuBarPanel(), nullptr);
    EXPECT_FALSE(m_app->menuBarPanel()->isVisible());

    m_app->openMainWindow();
    EXPECT_TRUE(window()->isVisible());
    ASSERT_TRUE(contentShown());
    EXPECT_EQ(m_delegate->appState(), m_state.get()) << "quitting now hands the fans back";
    ASSERT_NE(m_app->mainWindowController(), nullptr);
}

struct DockIconCase {
    const char* hideDockIcon; // the argument's value, nullptr for the registered default
    ActivationPolicy afterClose;
};

class CloseTest : public MainWindowTest, public ::testing::WithParamInterface<DockIconCase> {};

TEST_P(CloseTest, ClosingHidesTheWindowAndReopeningBringsItBack)
{
    launch(option("-hideDockIconWhenWindowClosed", GetParam().hideDockIcon));
    ASSERT_TRUE(contentShown());
    const QPointer<QQuickWindow> main = window();

    main->close();
    flush();
    ASSERT_FALSE(main.isNull()) << "the window was destroyed";
    EXPECT_FALSE(main->isVisible());
    EXPECT_FALSE(onScreen());
    EXPECT_EQ(activationPolicy(), GetParam().afterClose);
    EXPECT_EQ(m_terminated, 0);

    reopen();
    EXPECT_TRUE(main->isVisible());
    EXPECT_TRUE(onScreen());
    EXPECT_EQ(activationPolicy(), ActivationPolicy::regular);
}

INSTANTIATE_TEST_SUITE_P(DockIcon, CloseTest,
                         ::testing::Values(DockIconCase{nullptr, ActivationPolicy::accessory},
                                           DockIconCase{"YES", ActivationPolicy::accessory},
                                           DockIconCase{"NO", ActivationPolicy::regular}),
                         [](const auto& info) {
                             return std::string(info.param.hideDockIcon ? info.param.hideDockIcon
                                                                        : "registeredDefault");
                         });

TEST_F(MainWindowTest, WhileMinimisedItIsOffScreenAndHeightReportsAreDropped)
{
    launch();
    ASSERT_TRUE(contentShown());
    auto* heights = window()->findChild<MainWindowHeightController*>();
    ASSERT_NE(heights, nullptr);
    window()->showMinimized();
    ASSERT_TRUE(processEventsUntil([this] { return !onScreen(); }));
    heights->fitWindow(300);
    EXPECT_NE(heights->latestNaturalContentHeight(), 300) << "not even stored";

    reopen();
    ASSERT_TRUE(processEventsUntil([this] { return onScreen(); }));
    EXPECT_FALSE(window()->windowStates() & Qt::WindowMinimized);
    heights->fitWindow(300);
    heights->fitWindow(310); // the same turn: one resize, to the last report
    EXPECT_EQ(heights->latestNaturalContentHeight(), 310);
    // Both are below the minimum: the content area ends up 420 tall.
    EXPECT_TRUE(processEventsUntil([&] { return qRound(heights->contentArea()->height()) == 420; }))
        << "the content area stopped at " << heights->contentArea()->height();
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

// The row keeps its pills' identity: a curve's commit touches no row, a rename one, a new slot
// order moves rows and never resets the model (which would rebuild every pill).
TEST_F(MainWindowTest, ThePillRowMovesItsPillsAndKeepsThemThroughACurveCommit)
{
    m_defaults = makeDefaults();
    m_state = makeState(*m_defaults);
    PresetStore& store = m_state->presets();
    const FanPreset desk = *store.addPreset(QStringLiteral("Desk"));
    const FanPreset night = *store.addPreset(QStringLiteral("Night"));
    ActivePresetBar bar;
    bar.setAppState(m_state.get());
    const auto ids = [&] {
        QStringList list;
        for (int row = 0; row < bar.rowCount(); ++row)
            list << bar.data(bar.index(row), ActivePresetBar::slotIDRole).toString();
        return list;
    };
    const auto storeIDs = [&] {
        QStringList list;
        for (const PresetSlot& slot : store.slotOrder())
            list << slot.id();
        return list;
    };
    ASSERT_EQ(ids(), storeIDs());
    QSignalSpy resets(&bar, &QAbstractItemModel::modelReset);
    QSignalSpy moves(&bar, &QAbstractItemModel::rowsMoved);
    QSignalSpy inserts(&bar, &QAbstractItemModel::rowsInserted);
    QSignalSpy removes(&bar, &QAbstractItemModel::rowsRemoved);
    QSignalSpy changes(&bar, &QAbstractItemModel::dataChanged);
    const auto counts = [&] {
        return std::vector<qsizetype>{resets.count(), moves.count(), inserts.count(),
                                      removes.count(), changes.count()};
    };
    const auto clear = [&] {
        for (QSignalSpy* spy : {&resets, &moves, &inserts, &removes, &changes})
            spy->clear();
    };

    FanPreset edited = *store.presetWithID(desk.id);
    edited.curves = FanPreset::builtIns(2)[1].curves;
    store.update(edited);
    EXPECT_EQ(counts(), (std::vector<qsizetype>{0, 0, 0, 0, 0})) << "a curve's commit";

    edited.name = QStringLiteral("Desk 2");
    store.update(edited);
    EXPECT_EQ(counts(), (std::vector<qsizetype>{0, 0, 0, 0, 1})) << "a rename";
    EXPECT_EQ(bar.data(bar.index(ids().indexOf(desk.idText())), ActivePresetBar::fullTitleRole),
              QStringLiteral("Desk 2"));
    clear();

    // Each move: the first slot to the end, the last to the front, one to its neighbour's place.
    const PresetSlot deskSlot = PresetSlot::preset(desk.id);
    const PresetSlot nightSlot = PresetSlot::preset(night.id);
    const std::pair<PresetSlot, PresetSlot> steps[] = {
        {PresetSlot::automatic(), nightSlot},
        {nightSlot, PresetSlot::automatic()},
        {deskSlot, nightSlot},
        {store.slotOrder().first(), store.slotOrder().last()},
    };
    for (const auto& [source, target] : steps) {
        const QStringList before = ids();
        store.moveSlot(source, target);
        EXPECT_EQ(ids(), storeIDs());
        EXPECT_EQ(resets.count(), 0);
        EXPECT_EQ(inserts.count() + removes.count(), 0);
        EXPECT_EQ(moves.isEmpty(), before == ids());
        clear();
    }

    store.deletePreset(*store.presetWithID(night.id));
    EXPECT_EQ(ids(), storeIDs());
    EXPECT_EQ(counts(), (std::vector<qsizetype>{0, 0, 0, 1, 0})) << "a deletion";
    clear();
    const FanPreset added = *store.addPreset(QStringLiteral("Late"));
    EXPECT_EQ(ids(), storeIDs());
    EXPECT_EQ(resets.count() + removes.count(), 0);
    EXPECT_EQ(inserts.count(), 1);
    EXPECT_TRUE(ids().contains(added.idText()));
}

// The visible items under `root` whose QML type is `typeName`.
static QList<QQuickItem*> itemsOfType(QQuickItem* root, const char* typeName)
{
    QList<QQuickItem*> found;
    for (QQuickItem* item : root->childItems()) {
        if (!item->isVisible())
            continue;
        if (QByteArray(item->metaObject()->className()).startsWith(typeName))
            found.append(item);
        found.append(itemsOfType(item, typeName));
    }
    return found;
}

TEST_F(MainWindowTest, ViewsMadeAndDestroyedOnDemandSurviveTheirLayouts)
{
    launch(option("-InitialSection", "Curves"));
    ASSERT_TRUE(contentShown());
    QQuickWindow* shown = window();
    const auto showSection = [&](MainSection section) {
        QMetaObject::invokeMethod(shown, "showSection", Q_ARG(QVariant, static_cast<int>(section)));
        flush();
    };
    const QList<QQuickItem*> selectors = itemsOfType(shown->contentItem(), "PresetSelectorMenu");
    ASSERT_EQ(selectors.size(), 1);
    QObject* menu = nullptr;
    for (QObject* child : selectors.first()->children()) {
        if (child->inherits("QQuickPopup"))
            menu = child;
    }
    ASSERT_TRUE(menu);
    const auto entries = [&] {
        auto* content = menu->property("contentItem").value<QQuickItem*>();
        int count = 0;
        for (QQuickItem* item : content->childItems())
            count += item->inherits("QQuickItemDelegate") && item->isVisible() ? 1 : 0;
        return count;
    };

    // The entries change while the menu is closed, then it opens: two built-ins, the user's
    // presets and "New Preset".
    PresetStore& presets = m_state->presets();
    for (int round = 0; round < 3; ++round) {
        const auto first = presets.addPreset(QStringLiteral("First %1").arg(round));
        const auto second = presets.addPreset(QStringLiteral("Second %1").arg(round));
        ASSERT_TRUE(first && second);
        flush();
        presets.deletePreset(*first);
        flush();
        presets.deletePreset(*second);
    }
    for (int kept = 0; kept < PresetStore::kMaximumUserPresets; ++kept)
        ASSERT_TRUE(presets.addPreset(QStringLiteral("Kept %1").arg(kept)));
    flush();
    QMetaObject::invokeMethod(selectors.first(), "clicked");
    ASSERT_TRUE(processEventsUntil([&] { return menu->property("opened").toBool(); }));
    EXPECT_EQ(entries(), 2 + PresetStore::kMaximumUserPresets + 1);
    // And while it is open.
    const FanPreset last = presets.presets().last();
    presets.deletePreset(last);
    flush();
    EXPECT_EQ(entries(), 2 + PresetStore::kMaximumUserPresets - 1 + 1);
    QMetaObject::invokeMethod(menu, "close");
    flush();

    // The sections turn while the dashboard's fans come and go.
    const std::vector<std::vector<SMCFanReading>> fanSets{
        {test::fanReading(0)},
        {test::fanReading(0), test::fanReading(1), test::fanReading(2)},
        {test::fanReading(0), test::fanReading(1)},
    };
    for (int i = 0; i < 9; ++i) {
        m_state->telemetry().ingest(
            test::sampleWith({50, 55, 45, 48}, fanSets[i % 3], 1'700'000'000 + i));
        showSection(i % 2 == 0 ? MainSection::dashboard : MainSection::presets);
        if (i % 2 == 0) {
            ASSERT_TRUE(processEventsUntil([&] {
                return itemsOfType(shown->contentItem(), "FanGaugeView").size() ==
                       static_cast<qsizetype>(fanSets[i % 3].size());
            })) << i;
        }
    }
}

class WidthTest : public MainWindowTest,
                  public ::testing::WithParamInterface<std::pair<int, int>> {};

TEST_P(WidthTest, ANarrowWindowIsWidenedAndCentredWhenFirstShown)
{
    const auto [before, after] = GetParam();
    launch({}, false);
    window()->resize(before, 700);
    window()->show();
    ASSERT_TRUE(contentShown());
    EXPECT_EQ(window()->size(), QSize(after, 700));
    EXPECT_EQ(m_app->contentShown()->widened, after != before);
    if (after != before) {
        const QRect available = window()->screen()->availableGeometry();
        const QRect frame = window()->frameGeometry();
        EXPECT_EQ(frame.topLeft(),
                  QPoint(available.x() + (available.width() - frame.width()) / 2,
                         available.y() + (available.height() - frame.height()) / 2));
    }

    // Only the first display is corrected.
    window()->hide();
    window()->resize(before, 700);
    window()->show();
    flush();
    EXPECT_EQ(window()->width(), before);
}

INSTANTIATE_TEST_SUITE_P(Widths, WidthTest,
                         ::testing::Values(std::pair(780, 820), std::pair(781, 781),
                                           std::pair(900, 900)));

class AutoCloseTest : public MainWindowTest, public ::testing::WithParamInterface<const char*> {};

TEST_P(AutoCloseTest, CloseMainWindowAfterSecondsClosesItLikeTheUserOrNotAtAll)
{
    launch(option("-CloseMainWindowAfterSeconds", GetParam()));
    ASSERT_TRUE(contentShown());
    EXPECT_TRUE(window()->isVisible());
    if (qstrcmp(GetParam(), "1") != 0) {
        EXPECT_FALSE(m_app->contentShown()->autoCloseAfterSeconds.has_value());
        return;
    }
    EXPECT_EQ(m_app->contentShown()->autoCloseAfterSeconds, 1.0);
    ASSERT_TRUE(processEventsUntil([&] { return !window()->isVisible(); }, 5s));
    EXPECT_FALSE(onScreen());
    EXPECT_EQ(activationPolicy(), ActivationPolicy::accessory) << "through windowShouldClose";
    reopen();
    EXPECT_TRUE(window()->isVisible());
}

INSTANTIATE_TEST_SUITE_P(Values, AutoCloseTest,
                         ::testing::Values("1", nullptr, "0", "-1", "-0.5", "soon"));

class RenderTest : public MainWindowTest, public ::testing::WithParamInterface<const char*> {};

// The forced scheme, and the window's readings in it: build/tests/main-window-<scheme>.png.
TEST_P(RenderTest, TheWindowRendersItsReadingsInTheForcedScheme)
{
    launch(option("-ForceColorScheme", GetParam()));
    ASSERT_TRUE(contentShown());
    const auto* theme =
        m_app->engine().singletonInstance<Theme*>(qmlTypeId("Brisvane.UI.Design", 1, 0, "Theme"));
    ASSERT_NE(theme, nullptr);
    EXPECT_EQ(theme->isDark(), qstrcmp(GetParam(), "dark") == 0);
    EXPECT_EQ(window()->color(), theme->windowColor());
    auto fans = test::laptopFans();
    fans[0].actualRPM = 3552.7;
    fans[1].actualRPM = 0;
    m_state->presets().setActivePresetID(FanPreset::coolID);
    m_state->telemetry().ingest(test::sampleWith({58.2, 64.5, 41.0, 47.6}, fans));

    QImage image;
    QSet<QRgb> colours;
    EXPECT_TRUE(processEventsUntil([&] {
        image = window()->grabWindow();
        colours.clear();
        for (int y = 0; y < image.height(); y += 4)
            for (int x = 0; x < image.width(); x += 4)
                colours.insert(image.pixel(x, y));
        return colours.size() > 8;
    })) << "a blank window";
    const QString path = QStringLiteral(BRISVANE_BUILD_DIR "/tests/main-window-%1.png")
                             .arg(QString::fromLatin1(GetParam()));
    EXPECT_TRUE(image.save(path)) << path.toStdString();
}

INSTANTIATE_TEST_SUITE_P(Schemes, RenderTest, ::testing::Values("light", "dark"));

} // namespace
} // namespace brisvane
