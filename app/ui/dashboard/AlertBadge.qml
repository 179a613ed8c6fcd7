import QtQuick
import Brisvane.UI.Design

// A warning mark in a card's corner while an alert about what the card shows lasts; `message`
// ("Right fan is not spinning") is its accessible name and tooltip, and empty hides it.
Rectangle {
    id: root

    property string message

    objectName: "alertBadge"
    visible: message !== ""
    implicitWidth: 22
    implicitHeight: 22
    width: implicitWidth
    height: implicitHeight
    radius: width / 2
    color: Theme.colors.temperatureColor(100)
    Accessible.role: Accessible.AlertMessage
    Accessible.name: root.message

    SymbolImage {
        anchors.centerIn: parent
        name: "exclamationmark.triangle.fill"
        size: 13
        color: Theme.colors.onAlert
    }

    HoverHandler {
        id: hover
    }
    Rectangle {
        visible: hover.hovered
        anchors.top: parent.bottom
        anchors.topMargin: 4
        anchors.right: parent.right
        width: tipText.implicitWidth + 12
        height: tipText.implicitHeight + 8
        radius: 4
        color: Theme.cardColor
        border.width: 1
        border.color: Theme.cardStrokeColor
        z: 10
        Text {
            id: tipText
            anchors.centerIn: parent
            text: root.message
            font.family: Theme.fontFamily
            font.pixelSize: Theme.captionSize + 1
            color: Theme.textColor
        }
    }
}
