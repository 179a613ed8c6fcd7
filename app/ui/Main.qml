import QtQuick.Controls
import Brisvane.UI

// The main window scene. Never destroyed: a close only hides it (MainWindowController), and the
// application shows it at launch once it has been built.
ApplicationWindow {
    id: window

    required property AppState appState
    required property ColorSchemePalette colors

    objectName: "main"
    title: qsTrId("app.window.mainTitle")
    width: 820
    height: 900
    minimumWidth: content.minimumContentWidth
    minimumHeight: content.minimumContentHeight
    visible: false

    color: colors.windowColor
    palette.window: colors.windowColor
    palette.windowText: colors.textColor
    palette.base: colors.panelColor
    palette.text: colors.textColor
    palette.button: colors.panelColor
    palette.buttonText: colors.textColor
    palette.highlight: colors.accentColor

    MainWindow {
        id: content
        anchors.fill: parent
        appState: window.appState
        colors: window.colors
    }
}
