import QtQuick
import QtQuick.Controls
import QtQuick.Layouts
import Brisvane.UI

// One temperature: its caption over the value, on a panel.
Rectangle {
    id: card

    required property string title
    required property string value
    // The value as assistive technology reads it, "45.5 °C".
    required property string spokenValue
    required property ColorSchemePalette colors

    Layout.fillWidth: true
    implicitHeight: 96
    radius: 12
    color: colors.panelColor
    Accessible.role: Accessible.StaticText
    Accessible.name: title + ", " + spokenValue

    Column {
        anchors.left: parent.left
        anchors.verticalCenter: parent.verticalCenter
        anchors.leftMargin: 20
        spacing: 4

        Label {
            text: card.title
            color: card.colors.secondaryTextColor
            font.pixelSize: 13
            font.weight: Font.DemiBold
        }
        Label {
            text: card.value
            color: card.colors.textColor
            font.pixelSize: 32
            font.weight: Font.Bold
        }
    }
}
