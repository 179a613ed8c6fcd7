pragma ComponentBehavior: Bound

import QtQuick
import QtQuick.Layouts
import Brisvane.UI.Design

// The alerts while they last, one warning line each: "Right fan is not spinning",
// "CPU at 91 °C". Takes no room while there are none.
ColumnLayout {
    id: root

    required property Alerts alerts

    visible: root.alerts.hasAlerts
    spacing: 6

    Repeater {
        model: root.alerts.messages
        delegate: Item {
            id: line

            required property string modelData

            objectName: "alertRow"
            Layout.fillWidth: true
            implicitHeight: Math.max(lineText.implicitHeight, 16)
            Accessible.role: Accessible.AlertMessage
            Accessible.name: line.modelData

            SymbolImage {
                x: (20 - width) / 2
                anchors.verticalCenter: parent.verticalCenter
                name: "exclamationmark.triangle.fill"
                size: 13
                color: Theme.colors.temperatureColor(100)
            }
            Text {
                id: lineText
                x: 20
                width: parent.width - x
                anchors.verticalCenter: parent.verticalCenter
                text: line.modelData
                wrapMode: Text.WordWrap
                font.family: Theme.fontFamily
                font.pixelSize: Theme.subheadlineSize
                font.weight: Font.DemiBold
                color: Theme.colors.temperatureColor(100)
                Accessible.ignored: true
            }
        }
    }
}
