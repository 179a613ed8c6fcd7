// Design elements in a window: an appearance switch while they run, nothing animating off screen.

#include "tests/support/EventLoop.h"
#include "tests/ui/UiTestSupport.h"

#include "app/ui/design/SpinningFanBladesView.h"

#include <QPointer>
#include <QQmlEngine>
#include <QQuickItem>
#include <QQuickWindow>

#include <gtest/gtest.h>

namespace brisvane {
namespace {

using test::processEventsUntil;

constexpr char kScene[] = R"(
import QtQuick
import Brisvane.UI.Design
Window {
    width: 300; height: 160
    color: Theme.windowColor
    FanGaugeArcs { x: 20; y: 20; diameter: 110; fraction: 0.5; animationDuration: 0 }
    SpinningFanBlades { objectName: "spinning"; x: 160; y: 20; diameter: 40; revolutionsPerSecond: 1 }
    SpinningFanBlades { objectName: "frozen"; x: 220; y: 20; diameter: 40; revolutionsPerSecond: 3 }
}
)";

class AppearanceTest : public test::UiTest {};

struct Blades {
    QObject* item;
    SpinningFanBladesView* view() const
    {
        return item->property("view").value<SpinningFanBladesView*>();
    }
    bool spinning() const { return item->property("spinning").toBool(); }
    double speed() const { return item->property("appliedSpeed").toDouble(); }
};

// The track's lightness at the ring's leftmost point, against the window behind it.
int trackContrast(QQuickWindow& window)
{
    const QImage image = window.grabWindow();
    return image.pixelColor(20, 75).lightness() - image.pixelColor(5, 5).lightness();
}

TEST_F(AppearanceTest, SwitchingRecoloursTheGaugeAndRedrawsTheBladesWhereTheyStand)
{
    setPlatformDark(false);
    QQmlEngine engine;
    const auto root = create(engine, kScene);
    auto* window = qobject_cast<QQuickWindow*>(root.get());
    ASSERT_NE(window, nullptr);
    const Blades spinning{root->findChild<QObject*>("spinning")};
    const Blades frozen{root->findChild<QObject*>("frozen")};

    int frames = 0;
    QObject::connect(window, &QQuickWindow::frameSwapped, window, [&] { ++frames; });
    window->show();
    ASSERT_TRUE(processEventsUntil([&] { return frames >= 10; }));
    frozen.item->setProperty("revolutionsPerSecond", 0);
    const double angle = frozen.view()->rotation();
    EXPECT_NE(std::fmod(angle, 360), 0) << "stopped where it stood, not at its start";
    EXPECT_FALSE(frozen.spinning());
    EXPECT_LT(trackContrast(*window), 0) << "a dark track on the light window";

    const int spinningRenders = spinning.view()->renderCount();
    const int frozenRenders = frozen.view()->renderCount();
    setPlatformDark(true);
    const int framesBefore = frames;
    ASSERT_TRUE(processEventsUntil([&] { return frames > framesBefore + 2; }));

    EXPECT_GT(trackContrast(*window), 0) << "a light track on the dark window";
    EXPECT_EQ(spinning.view()->renderCount(), spinningRenders + 1);
    EXPECT_TRUE(spinning.view()->renderedLook()->isDark);
    EXPECT_TRUE(spinning.spinning());
    EXPECT_EQ(spinning.speed(), 1);
    EXPECT_EQ(frozen.view()->renderCount(), frozenRenders + 1);
    EXPECT_EQ(frozen.view()->rotation(), angle);
    EXPECT_FALSE(frozen.spinning());
}

constexpr char kOffScreenScene[] = R"(
import QtQuick
import Brisvane.UI.Design
Window {
    // A delegate as the main window's fans are: the blades inside a component of its own.
    component Fan: Item {
        SpinningFanBlades { x: 160; diameter: 40; revolutionsPerSecond: 2 }
    }
    width: 300; height: 160
    Item {
        objectName: "page"
        anchors.fill: parent
        SpinningFanBlades { objectName: "blades"; diameter: 40; revolutionsPerSecond: 1 }
        FanGaugeArcs { objectName: "gauge"; x: 60; diameter: 80; animationDuration: 600 }
        Repeater {
            objectName: "fans"
            model: 1
            Fan {}
        }
    }
}
)";

// A hidden window's items stay visible, so visibility alone must not start anything: an
// animation left to run there keeps Qt's animation driver ticking on the main thread.
TEST_F(AppearanceTest, NothingAnimatesOffScreen)
{
    QQmlEngine engine;
    const auto root = create(engine, kOffScreenScene);
    auto* window = qobject_cast<QQuickWindow*>(root.get());
    ASSERT_NE(window, nullptr);
    auto object = [&](const char* name) { return root->findChild<QObject*>(name); };
    const Blades blades{object("blades")};
    QObject* gauge = object("gauge");
    auto displayed = [&] { return gauge->property("displayedFraction").toDouble(); };
    auto delegate = [&] {
        QQuickItem* item = nullptr;
        QMetaObject::invokeMethod(object("fans"), "itemAt", Q_RETURN_ARG(QQuickItem*, item),
                                  Q_ARG(int, 0));
        return item ? item->childItems().value(0) : nullptr;
    };
    EXPECT_FALSE(blades.spinning()) << "created, not yet shown";

    window->show();
    ASSERT_TRUE(processEventsUntil([&] { return blades.spinning(); }));
    EXPECT_TRUE(Blades{delegate()}.spinning());
    gauge->setProperty("fraction", 0.5);
    EXPECT_LT(displayed(), 0.5) << "on screen the fill animates";

    window->hide();
    EXPECT_FALSE(blades.spinning());
    EXPECT_FALSE(Blades{delegate()}.spinning());
    EXPECT_EQ(displayed(), 0.5) << "a running fill jumps to its end";
    gauge->setProperty("fraction", 0.8);
    EXPECT_EQ(displayed(), 0.8);

    window->show();
    ASSERT_TRUE(processEventsUntil([&] { return blades.spinning(); }));
    window->showMinimized();
    ASSERT_TRUE(processEventsUntil([&] { return !blades.spinning(); }));
    window->showNormal();
    ASSERT_TRUE(processEventsUntil([&] { return blades.spinning(); }));

    // The page hidden, then its delegate released: on its way out it must not start again.
    object("page")->setProperty("visible", false);
    EXPECT_FALSE(blades.spinning());
    const QPointer<QQuickItem> released = delegate();
    object("fans")->setProperty("model", 0);
    ASSERT_FALSE(released.isNull()) << "destroyed later, as a Repeater does";
    EXPECT_FALSE(Blades{released}.spinning());
}

} // namespace
} // namespace brisvane
