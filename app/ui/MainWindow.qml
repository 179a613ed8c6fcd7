pragma ComponentBehavior: Bound

import QtQuick
import QtQuick.Controls
import QtQuick.Layouts
import Brisvane.UI

// The main window's content. Until the four sections arrive it shows the live readings; like
// them it renders nothing while the window is off screen.
Item {
    id: root

    required property AppState appState
    required property ColorSchemePalette colors

    // The smallest size the content can be laid out in; the window cannot be made smaller.
    readonly property real minimumContentWidth: 780
    readonly property real minimumContentHeight: 420

    // Let go of the state while the window is off screen: a hidden page has nothing to update,
    // and taking it back on showing fills the page from the latest sample at once.
    LiveReadings {
        id: readings
        appState: MainWindowVisibility.isOnScreen ? root.appState : null
    }

    ScrollView {
        anchors.fill: parent
        visible: MainWindowVisibility.isOnScreen

        ColumnLayout {
            width: root.width
            spacing: 16

            Label {
                Layout.topMargin: 28
                Layout.leftMargin: 32
                text: qsTrId("mainWindow.section.dashboard")
                font.pixelSize: 26
                font.weight: Font.Bold
                color: root.colors.textColor
            }

            Label {
                Layout.leftMargin: 32
                visible: !readings.hasSample
                text: qsTrId("dashboard.loading.title") + "\n" + qsTrId("dashboard.loading.subtitle")
                color: root.colors.secondaryTextColor
            }

            RowLayout {
                Layout.leftMargin: 32
                Layout.rightMargin: 32
                spacing: 16
                visible: readings.hasSample

                ReadingCard {
                    title: qsTrId("menuBar.temperature.cpu")
                    value: readings.cpuText
                    spokenValue: readings.cpuSpokenText
                    colors: root.colors
                }
                ReadingCard {
                    title: qsTrId("menuBar.temperature.gpu")
                    value: readings.gpuText
                    spokenValue: readings.gpuSpokenText
                    colors: root.colors
                }
            }

            Label {
                Layout.topMargin: 8
                Layout.leftMargin: 32
                visible: readings.hasSample
                text: qsTrId("dashboard.fans.title")
                font.pixelSize: 17
                font.weight: Font.DemiBold
                color: root.colors.textColor
            }

            Repeater {
                model: readings

                delegate: FanRow {
                    required property string name
                    required property string speedText
                    required property real fraction

                    Layout.leftMargin: 32
                    Layout.rightMargin: 32
                    Layout.fillWidth: true
                    fanName: name
                    speed: speedText
                    speedFraction: fraction
                    // spokenSpeed, a required property of FanRow, comes from the model's role.
                    colors: root.colors
                }
            }

            Label {
                Layout.topMargin: 8
                Layout.leftMargin: 32
                Layout.bottomMargin: 28
                text: readings.presetText + "  ·  " + readings.helperText
                color: root.colors.secondaryTextColor
            }
        }
    }
}
