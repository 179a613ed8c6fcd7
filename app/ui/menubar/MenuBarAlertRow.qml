pragma ComponentBehavior: Bound

import QtQuick
import Brisvane.UI.Design

// The alerts while they last, one warning line each: "Right fan is not spinning",
// "CPU at 91 °C". Takes no room while there are none, and follows nothing while `alerts` is
// null (the panel closed). A column, not a layout, holds the lines: they come and go with the
// alerts, and a Qt 6.4 layout can keep a destroyed child of a repeater.
Column {
    id: root

    required property Alerts alerts

    visible: root.alerts !== null && root.alerts.hasAlerts
    spacing: 6

    Repeater {
        model: root.alerts ? root.alerts.messages : []
        delegate: Item {
            id: line

            required property string modelData

            objectName: "alertRow"
            width: root.width
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
