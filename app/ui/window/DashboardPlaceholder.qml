pragma ComponentBehavior: Bound

import QtQuick
import QtQuick.Layouts
import Brisvane.UI.Design
import Brisvane.UI.Window

// The dashboard's place until the dashboard arrives: the live readings.
ColumnLayout {
    id: root

    required property AppState appState

    // Let go of the state while the window is off screen: a hidden page has nothing to update,
    // and taking it back on showing fills the page from the latest sample at once.
    LiveReadings {
        id: readings
        appState: MainWindowVisibility.isOnScreen ? root.appState : null
    }

    spacing: Theme.spacingLarge

    RowLayout {
        Layout.topMargin: Theme.spacingExtraLarge + Theme.spacingTight
        Layout.leftMargin: Theme.pagePadding
        spacing: Theme.spacingMedium

        SpinningFanMark {
            diameter: 26
        }
        Text {
            text: qsTrId("mainWindow.section.dashboard")
            font.family: Theme.fontFamily
            font.pixelSize: Theme.largeTitleSize
            font.weight: Font.Bold
            color: Theme.textColor
        }
    }

    Card {
        Layout.leftMargin: Theme.pagePadding
        Layout.rightMargin: Theme.pagePadding
        Layout.fillWidth: true
        visible: !readings.hasSample

        Column {
            spacing: Theme.spacingTight
            Text {
                text: qsTrId("dashboard.loading.title")
                font.family: Theme.fontFamily
                font.pixelSize: Theme.headlineSize
                font.weight: Font.DemiBold
                color: Theme.textColor
            }
            Text {
                text: qsTrId("dashboard.loading.subtitle")
                font.family: Theme.fontFamily
                font.pixelSize: Theme.calloutSize
                color: Theme.colors.secondaryText
            }
        }
    }

    RowLayout {
        Layout.leftMargin: Theme.pagePadding
        Layout.rightMargin: Theme.pagePadding
        spacing: Theme.spacingLarge
        visible: readings.hasSample

        Repeater {
            model: [
                { caption: qsTrId("menuBar.temperature.cpu"), symbol: "cpu",
                  celsius: readings.cpuCelsius },
                { caption: qsTrId("menuBar.temperature.gpu"), symbol: "cpu.fill",
                  celsius: readings.gpuCelsius }
            ]

            delegate: Card {
                id: temperatureCard
                required property var modelData

                Layout.fillWidth: true
                Layout.preferredWidth: 1

                RowLayout {
                    width: parent.width
                    spacing: Theme.spacingMedium
                    SymbolImage {
                        Layout.alignment: Qt.AlignTop
                        name: temperatureCard.modelData.symbol
                        size: 18
                        color: Theme.colors.secondaryText
                    }
                    TemperatureReadout {
                        Layout.fillWidth: true
                        label: temperatureCard.modelData.caption
                        celsius: temperatureCard.modelData.celsius
                        emphasized: true
                    }
                }
            }
        }
    }

    Text {
        Layout.topMargin: Theme.spacingSmall
        Layout.leftMargin: Theme.pagePadding
        visible: readings.hasSample
        text: qsTrId("dashboard.fans.title")
        font.family: Theme.fontFamily
        font.pixelSize: Theme.title3Size
        font.weight: Font.DemiBold
        color: Theme.textColor
    }

    Card {
        Layout.leftMargin: Theme.pagePadding
        Layout.rightMargin: Theme.pagePadding
        Layout.fillWidth: true
        visible: readings.hasSample && readings.fanCount > 0

        RowLayout {
            width: parent.width
            spacing: Theme.spacingExtraLarge

            Repeater {
                model: readings

                delegate: FanGaugeView {
                    required property string name
                    required property real actualRPM
                    required property real maximumRPM

                    Layout.fillWidth: true
                    Layout.preferredWidth: 1
                    title: name
                    rpm: actualRPM
                    maxRPM: maximumRPM
                }
            }
        }
    }

    Text {
        Layout.topMargin: Theme.spacingSmall
        Layout.leftMargin: Theme.pagePadding
        Layout.bottomMargin: Theme.spacingExtraLarge + Theme.spacingTight
        text: readings.presetText + "  ·  " + readings.helperText
        font.family: Theme.fontFamily
        font.pixelSize: Theme.calloutSize
        color: Theme.colors.secondaryText
    }
}
