import QtQuick
import Brisvane.UI.Design

// The panel under the menu-bar item: a frameless window that closes when it loses focus. Empty
// for now; the menu-bar screen fills it.
Window {
    id: panel

    required property AppState appState

    objectName: "menuBarPanel"
    flags: Qt.Tool | Qt.FramelessWindowHint
    width: 320
    height: 200
    visible: false
    color: Theme.windowColor

    onActiveChanged: {
        if (!active)
            panel.hide();
    }
}
