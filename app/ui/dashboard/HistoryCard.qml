pragma ComponentBehavior: Bound

import QtQuick
import QtQuick.Layouts
import Brisvane.UI.Design
import Brisvane.UI.Dashboard

// The last half hour: the temperature chart over the fan-speed chart, or a placeholder while
// there is at most one sample. A null state holds and follows nothing.
Card {
    id: root

    required property AppState appState

    cached: true
    padding: 24
    cornerRadius: 16
    Accessible.role: Accessible.Grouping
    Accessible.name: qsTrId("dashboard.history.title")

    HistoryChartModel {
        id: temperatures
        telemetry: root.appState ? root.appState.telemetry : null
        kind: HistoryChartModel.Temperature
        colors: Theme.colors
        primaryColor: Theme.textColor
    }
    HistoryChartModel {
        id: fanSpeeds
        telemetry: root.appState ? root.appState.telemetry : null
        kind: HistoryChartModel.FanSpeed
        colors: Theme.colors
        primaryColor: Theme.textColor
    }

    ColumnLayout {
        width: parent.width
        spacing: Theme.spacingLarge

        RowLayout {
            Layout.fillWidth: true
            Text {
                text: qsTrId("dashboard.history.title")
                font.family: Theme.fontFamily
                font.pixelSize: Theme.title3Size
                font.weight: Font.DemiBold
                color: Theme.textColor
                Accessible.role: Accessible.Heading
                Accessible.name: text
            }
            Item {
                Layout.fillWidth: true
            }
            Text {
                text: temperatures.windowDescription
                font.family: Theme.fontFamily
                font.pixelSize: Theme.calloutSize
                color: Theme.colors.secondaryText
                Accessible.role: Accessible.StaticText
                Accessible.name: text
            }
        }

        // Only the shown half exists, so assistive technology finds only what is on screen.
        // A plain item holds each view: a Qt 6.4 layout can keep a destroyed child of a repeater
        // and crash on its next resize.
        Item {
            id: chartsHolder
            Layout.fillWidth: true
            implicitHeight: chartsRepeater.count > 0 ? chartsRepeater.itemAt(0).implicitHeight : 0
            visible: chartsRepeater.count > 0
            Repeater {
                id: chartsRepeater
                model: temperatures.hasChart ? [true] : []
                delegate: chartsComponent
                onItemAdded: (index, item) => item.width = Qt.binding(() => chartsHolder.width)
            }
        }
        Item {
            id: collectingHolder
            Layout.fillWidth: true
            implicitHeight: collectingRepeater.count > 0 ? collectingRepeater.itemAt(0).implicitHeight : 0
            visible: collectingRepeater.count > 0
            Repeater {
                id: collectingRepeater
                model: !temperatures.hasChart ? [true] : []
                delegate: collectingComponent
                onItemAdded: (index, item) => item.width = Qt.binding(() => collectingHolder.width)
            }
        }
    }

    Component {
        id: chartsComponent
        ColumnLayout {
            Layout.fillWidth: true
            spacing: Theme.spacingLarge
            TemperatureHistoryChart {
                Layout.fillWidth: true
                model: temperatures
            }
            Rectangle {
                Layout.fillWidth: true
                implicitHeight: 1
                color: Theme.separatorColor
            }
            FanSpeedHistoryChart {
                Layout.fillWidth: true
                model: fanSpeeds
            }
        }
    }

    Component {
        id: collectingComponent
        Item {
            Layout.fillWidth: true
            implicitHeight: 160
            Accessible.role: Accessible.StaticText
            Accessible.name: qsTrId("dashboard.history.collectingTitle")

            Column {
                anchors.centerIn: parent
                spacing: 8
                SymbolImage {
                    anchors.horizontalCenter: parent.horizontalCenter
                    name: "chart.xyaxis.line"
                    size: 28
                    color: Theme.colors.tertiaryText
                }
                Text {
                    anchors.horizontalCenter: parent.horizontalCenter
                    text: qsTrId("dashboard.history.collectingTitle")
                    font.family: Theme.fontFamily
                    font.pixelSize: Theme.headlineSize
                    font.weight: Font.DemiBold
                    color: Theme.textColor
                    Accessible.ignored: true
                }
                Text {
                    anchors.horizontalCenter: parent.horizontalCenter
                    text: qsTrId("dashboard.history.collectingSubtitle")
                    font.family: Theme.fontFamily
                    font.pixelSize: Theme.calloutSize
                    color: Theme.colors.secondaryText
                    Accessible.ignored: true
                }
            }
        }
    }
}
