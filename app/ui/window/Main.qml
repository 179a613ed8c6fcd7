import QtQuick
import QtQuick.Controls.Basic
import Brisvane.UI.Design

// The main window scene. Never destroyed: a close only hides it (MainWindowController), and the
// application shows it at launch once it has been built.
ApplicationWindow {
    id: window

    required property AppState appState
    // "ForceColorScheme": "light" or "dark" overrides the platform's appearance.
    required property string forcedColorScheme

    objectName: "main"
    title: qsTrId("app.window.mainTitle")
    width: 820
    height: 900
    minimumWidth: content.minimumContentWidth
    minimumHeight: content.minimumContentHeight
    visible: false

    color: Theme.windowColor
    font.family: Theme.fontFamily
    font.pixelSize: Theme.bodySize
    palette.window: Theme.windowColor
    palette.windowText: Theme.textColor
    palette.base: Theme.cardColor
    palette.text: Theme.textColor
    palette.button: Theme.cardColor
    palette.buttonText: Theme.textColor
    palette.highlight: Theme.colors.accent

    Binding {
        target: Theme
        property: "forcedColorScheme"
        value: window.forcedColorScheme
    }

    MainWindow {
        id: content
        anchors.fill: parent
        appState: window.appState
    }
}
