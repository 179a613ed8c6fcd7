import QtQuick
import QtQuick.Controls.Basic
import Brisvane.UI.Design
import Brisvane.UI.Window

// The main window scene. Never destroyed: a close only hides it (MainWindowController), and the
// application shows it at launch once it has been built.
ApplicationWindow {
    id: window

    required property AppState appState
    // Whether this window is on screen, kept by its controller.
    required property MainWindowVisibility mainWindowVisibility
    // "ForceColorScheme": "light" or "dark" overrides the platform's appearance.
    required property string forcedColorScheme
    // "InitialSection": the section to open with, in any letter case; empty for the dashboard.
    required property string initialSection

    objectName: "main"
    title: qsTrId("app.window.mainTitle")
    width: 820
    height: 900
    minimumWidth: content.minimumContentWidth
    minimumHeight: content.minimumContentHeight + header.implicitHeight
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

    MainSectionModel {
        id: sections
    }

    // Turns the window to the section in `row` of MainSectionModel (the panel's settings button).
    function showSection(row) {
        windowHeader.currentSection = row;
    }

    header: MainWindowHeader {
        id: windowHeader
        appState: window.appState
        mainWindowVisibility: window.mainWindowVisibility
        currentSection: sections.initialRow(window.initialSection)
    }

    MainWindow {
        id: content
        anchors.fill: parent
        appState: window.appState
        mainWindowVisibility: window.mainWindowVisibility
        section: windowHeader.currentSection
    }
}
