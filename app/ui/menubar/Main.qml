import QtQuick
import Brisvane.UI.Design
import Brisvane.UI.MenuBar

// The panel under the menu-bar item: a frameless window, as tall as its content, that closes
// when it loses focus. The application places it and routes its two requests.
Window {
    id: panel

    required property AppState appState
    // Whether the panel follows the state: set by the application just before it shows the
    // panel and cleared when it hides, so that a closed panel updates nothing.
    property bool live: false

    signal openMainWindowRequested()
    signal openSettingsRequested()
    signal quitRequested()

    objectName: "menuBarPanel"
    title: qsTrId("menuBar.panel.title")
    flags: Qt.Tool | Qt.FramelessWindowHint
    width: view.implicitWidth
    height: view.implicitHeight
    visible: false
    color: Theme.windowColor

    onActiveChanged: {
        if (!active)
            panel.hide();
    }

    MenuBarView {
        id: view
        anchors.fill: parent
        appState: panel.live ? panel.appState : null
        onOpenMainWindowRequested: {
            panel.hide();
            panel.openMainWindowRequested();
        }
        onOpenSettingsRequested: {
            panel.hide();
            panel.openSettingsRequested();
        }
        onQuitRequested: panel.quitRequested()
    }
}
