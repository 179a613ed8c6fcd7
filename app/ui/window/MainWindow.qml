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
    // The row of MainSectionModel shown.
    required property int section

    // The smallest size the content can be laid out in; the window cannot be made smaller.
    readonly property real minimumContentWidth: 780
    readonly property real minimumContentHeight: 420

    MainWindowHeightController {
        id: heightController
        contentArea: root
    }

    onSectionChanged: heightController.refitWindow()

    ScrollView {
        id: scroller
        anchors.fill: parent
        visible: MainWindowVisibility.isOnScreen
        ScrollBar.vertical.policy: ScrollBar.AsNeeded

        Column {
            id: content
            width: scroller.availableWidth
            onImplicitHeightChanged: heightController.fitWindow(implicitHeight)
            Component.onCompleted: heightController.fitWindow(implicitHeight)

            // The dashboard lets go of the state while another section is shown or the window
            // is off screen: a hidden page has nothing to update, and taking the state back on
            // showing fills it from the store at once.
            DashboardRootView {
                width: parent.width
                visible: root.section === 0
                appState: visible && MainWindowVisibility.isOnScreen ? root.appState : null
            }
            CurvesRootView {
                width: parent.width
                visible: root.section === 1
                appState: root.appState
            }
            PresetsRootView {
                width: parent.width
                visible: root.section === 2
                appState: root.appState
            }
            // Made while shown: leaving the settings drops an operation's error, and coming
            // back reads the login item afresh.
            Repeater {
                model: root.section === 3 && MainWindowVisibility.isOnScreen ? [true] : []
                delegate: SettingsRootView {
                    width: content.width
                    appState: root.appState
                }
            }
        }
    }
}
