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
    // Set by the application before each show: rounded with a shadow where the window system
    // composites, square where it does not.
    property int shape: PanelChrome.Square
    readonly property int margin: PanelChrome.margin(shape)

    signal openMainWindowRequested()
    signal openSettingsRequested()
    signal quitRequested()

    objectName: "menuBarPanel"
    title: qsTrId("menuBar.panel.title")
    flags: Qt.Tool | Qt.FramelessWindowHint
    width: view.implicitWidth + 2 * margin
    height: view.implicitHeight + 2 * margin
    visible: false
    color: shape === PanelChrome.Rounded ? "transparent" : Theme.windowColor

    onActiveChanged: {
        if (!active)
            panel.hide();
    }

    // A nine-patch drawn once: the window never renders an effect for it.
    BorderImage {
        anchors.fill: parent
        visible: panel.shape === PanelChrome.Rounded
        source: visible ? "image://panelshadow/" + (Theme.isDark ? "dark" : "light") : ""
        border.left: PanelChrome.shadowBorder
        border.right: PanelChrome.shadowBorder
        border.top: PanelChrome.shadowBorder
        border.bottom: PanelChrome.shadowBorder
        cache: true
    }
    Rectangle {
        objectName: "panelBody"
        x: panel.margin
        y: panel.margin
        width: view.implicitWidth
        height: view.implicitHeight
        radius: PanelChrome.cornerRadius(panel.shape)
        visible: panel.shape === PanelChrome.Rounded
        color: Theme.windowColor
        border.width: 1
        border.color: Theme.cardStrokeColor
    }

    MenuBarView {
        id: view
        x: panel.margin
        y: panel.margin
        width: implicitWidth
        height: implicitHeight
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
