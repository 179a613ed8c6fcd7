import QtQuick
import Brisvane.UI.Design

// A caption over a temperature. The number is written by the user's locale (one decimal below
// 100 °C) and coloured by the temperature unless `valueColor` says otherwise.
Column {
    id: root

    required property string label
    required property real celsius
    property bool emphasized: false
    // Absent (undefined): the temperature's own colour.
    property var valueColor
    property int alignment: Qt.AlignLeft

    readonly property string formattedCelsius: Readouts.formattedCelsius(celsius)

    spacing: Theme.spacingTight / 2

    Accessible.role: Accessible.StaticText
    Accessible.name: Readouts.temperatureAccessibleName(label, celsius)

    Text {
        anchors.left: root.alignment === Qt.AlignLeft ? parent.left : undefined
        anchors.right: root.alignment === Qt.AlignRight ? parent.right : undefined
        anchors.horizontalCenter: root.alignment === Qt.AlignHCenter ? parent.horizontalCenter
                                                                      : undefined
        text: root.label
        font.family: Theme.fontFamily
        font.pixelSize: Theme.subheadlineSize
        font.weight: Font.Medium
        color: Theme.colors.secondaryText
        Accessible.ignored: true
    }
    Row {
        anchors.left: root.alignment === Qt.AlignLeft ? parent.left : undefined
        anchors.right: root.alignment === Qt.AlignRight ? parent.right : undefined
        anchors.horizontalCenter: root.alignment === Qt.AlignHCenter ? parent.horizontalCenter
                                                                      : undefined
        Text {
            id: number
            text: root.formattedCelsius
            font.family: Theme.fontFamily
            font.pixelSize: root.emphasized ? Theme.readoutLargeSize : Theme.readoutSize
            font.weight: Font.DemiBold
            color: root.valueColor !== undefined ? root.valueColor
                                                 : Theme.colors.temperatureColor(root.celsius)
            Accessible.ignored: true
        }
        Text {
            anchors.baseline: number.baseline
            text: "°"
            font: number.font
            color: number.color
            Accessible.ignored: true
        }
    }
}
