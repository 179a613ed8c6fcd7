// What assistive technology is told about controls the app disables.

#include "tests/ui/UiTestSupport.h"

#include "app/ui/AccessibleEnabledState.h"

#include <QAccessible>
#include <QQuickItem>
#include <QQuickWindow>

namespace brisvane {
namespace {

using test::UiTest;

class AccessibilityTest : public UiTest {};

TEST_F(AccessibilityTest, ADisabledControlIsUnavailableSaysWhyAndIgnoresPress)
{
    installAccessibleEnabledState();
    QQmlEngine engine;
    const std::unique_ptr<QObject> created = create(engine, R"(
        import QtQuick
        import Brisvane.UI.Design
        Window {
            id: window
            property int presses: 0
            property bool usable: false
            width: 300; height: 200; visible: true
            Column {
                // Disabled through its parent, as the pill row disables its pills.
                enabled: window.usable
                PressableButton {
                    objectName: "pill"
                    text: "Cool"
                    disabledReason: "Install the helper to switch presets"
                    onClicked: window.presses += 1
                }
            }
        })");
    ASSERT_TRUE(created);
    auto* pill = created->findChild<QQuickItem*>(QStringLiteral("pill"));
    ASSERT_TRUE(pill);
    QAccessibleInterface* accessible = QAccessible::queryAccessibleInterface(pill);
    ASSERT_TRUE(accessible);
    ASSERT_TRUE(accessible->actionInterface());
    const auto press = [&] {
        accessible->actionInterface()->doAction(QAccessibleActionInterface::pressAction());
    };
    // Still the button Qt Quick describes, with its name.
    EXPECT_EQ(accessible->role(), QAccessible::Button);
    EXPECT_EQ(accessible->text(QAccessible::Name), QStringLiteral("Cool"));

    EXPECT_TRUE(accessible->state().disabled);
    EXPECT_EQ(accessible->text(QAccessible::Description),
              QStringLiteral("Install the helper to switch presets"));
    press();
    EXPECT_EQ(created->property("presses").toInt(), 0);

    created->setProperty("usable", true);
    EXPECT_FALSE(accessible->state().disabled);
    EXPECT_EQ(accessible->text(QAccessible::Description), QString());
    press();
    EXPECT_EQ(created->property("presses").toInt(), 1);

    created->setProperty("usable", false);
    EXPECT_TRUE(accessible->state().disabled);
}

} // namespace
} // namespace brisvane
