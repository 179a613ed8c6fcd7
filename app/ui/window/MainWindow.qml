pragma ComponentBehavior: Bound

import QtQuick
import QtQuick.Controls.Basic
import Brisvane.UI.Design
import Brisvane.UI.Dashboard
import Brisvane.UI.Curves
import Brisvane.UI.Presets
import Brisvane.UI.Settings
import Brisvane.UI.Window

// The main window's content: the chosen section, scrolling, rendered only while the window is
// on screen. Its natural height sizes the window (MainWindowHeightController).
Item {
    id: root

    required property AppState appState
    required property MainWindowVisibility mainWindowVisibility
    // The row of MainSectionModel shown.
    required property int section

    // The smallest size the content can be laid out in; the window cannot be made smaller.
    readonly property real minimumContentWidth: 780
    readonly property real minimumContentHeight: 420
    // The section on screen; none (-1) while the window is hidden or minimised.
    readonly property int shownSection: root.mainWindowVisibility.isOnScreen ? section : -1

    MainWindowHeightController {
        id: heightController
        contentArea: root
        mainWindowVisibility: root.mainWindowVisibility
    }

    onSectionChanged: heightController.refitWindow()

    ScrollView {
        id: scroller
        anchors.fill: parent
        visible: root.mainWindowVisibility.isOnScreen
        ScrollBar.vertical.policy: ScrollBar.AsNeeded

        Column {
            id: content
            width: scroller.availableWidth
            onImplicitHeightChanged: heightController.fitWindow(implicitHeight)
            Component.onCompleted: heightController.fitWindow(implicitHeight)

            // Only the current section exists, and only while the window is on screen: a
            // hidden window updates nothing, and each showing starts from fresh view state (the
            // curve editor adopts the active preset, no dialog is left open). Repeaters, since
            // Qt 6.4 will not let a Loader make a bound component.
            Repeater {
                model: root.shownSection === 0 ? [true] : []
                delegate: DashboardRootView {
                    width: content.width
                    appState: root.appState
                }
            }
            Repeater {
                model: root.shownSection === 1 ? [true] : []
                delegate: CurvesRootView {
                    width: content.width
                    appState: root.appState
                }
            }
            Repeater {
                model: root.shownSection === 2 ? [true] : []
                delegate: PresetsRootView {
                    width: content.width
                    appState: root.appState
                }
            }
            Repeater {
                model: root.shownSection === 3 ? [true] : []
                delegate: SettingsRootView {
                    width: content.width
                    appState: root.appState
                }
            }
        }
    }
}
