pragma ComponentBehavior: Bound

import QtQuick
import QtQuick.Layouts
import Brisvane.UI.Design
import Brisvane.UI.Dashboard

// Every fan of the latest sample as a gauge, side by side at equal widths, and a note when
// there are several fans.
Card {
    id: root

    required property DashboardModel dashboard

    padding: 24
    cornerRadius: 16
    Accessible.role: Accessible.Grouping
    Accessible.name: qsTrId("dashboard.fans.title")

    ColumnLayout {
        width: parent.width
        spacing: Theme.spacingLarge

        Text {
            Layout.fillWidth: true
            text: qsTrId("dashboard.fans.title")
            font.family: Theme.fontFamily
            font.pixelSize: Theme.titleSize
            font.weight: Font.DemiBold
            color: Theme.textColor
            Accessible.role: Accessible.Heading
            Accessible.name: text
        }

        // A plain row in a plain item, not a layout: the gauges come and go with the fans, and a
        // Qt 6.4 layout can keep a destroyed child of a repeater and crash on its next resize.
        Item {
            id: gaugeHolder
            Layout.fillWidth: true
            implicitHeight: gaugeRow.implicitHeight

            Row {
                id: gaugeRow

                // Equal widths, side by side.
                readonly property real cellWidth: gaugeRepeater.count > 0
                    ? (width - (gaugeRepeater.count - 1) * spacing) / gaugeRepeater.count : 0

                width: gaugeHolder.width
                spacing: Theme.spacingExtraLarge

                Repeater {
                    id: gaugeRepeater
                    model: root.dashboard

                    delegate: Item {
                        id: cell
                        required property int index
                        required property string name
                        required property real actualRPM
                        required property real maximumRPM

                        width: gaugeRow.cellWidth
                        implicitHeight: gauge.implicitHeight
                        height: implicitHeight

                        FanGaugeView {
                            id: gauge
                            anchors.horizontalCenter: parent.horizontalCenter
                            title: cell.name
                            rpm: cell.actualRPM
                            maxRPM: cell.maximumRPM
                        }
                        AlertBadge {
                            anchors.top: gauge.top
                            anchors.right: gauge.right
                            message: root.dashboard?.appState?.alerts.fanMessages[cell.index] ?? ""
                        }
                    }
                }
            }
        }
        // A plain item holds each view: a Qt 6.4 layout can keep a destroyed child of a repeater
        // and crash on its next resize.
        Item {
            id: noteHolder
            Layout.fillWidth: true
            implicitHeight: noteRepeater.count > 0 ? noteRepeater.itemAt(0).implicitHeight : 0
            visible: noteRepeater.count > 0
            Repeater {
                id: noteRepeater
                model: root.dashboard?.showsFanNote ? [true] : []
                delegate: noteComponent
                onItemAdded: (index, item) => item.width = Qt.binding(() => noteHolder.width)
            }
        }
    }

    Component {
        id: noteComponent
        RowLayout {
            Layout.fillWidth: true
            spacing: Theme.spacingTight + 2

            SymbolImage {
                Layout.alignment: Qt.AlignTop
                name: "info.circle"
                size: 12
                color: Theme.colors.secondaryText
            }
            Text {
                Layout.fillWidth: true
                wrapMode: Text.WordWrap
                text: qsTrId("dashboard.fans.differentSpeedsNote")
                font.family: Theme.fontFamily
                font.pixelSize: Theme.captionSize
                color: Theme.colors.secondaryText
                Accessible.role: Accessible.StaticText
                Accessible.name: text
            }
        }
    }
}
