import QtQuick
import Brisvane.UI.Design

// The rounded, lightly stroked card that groups content on every screen.
Rectangle {
    id: root

    property real cornerRadius: Theme.cardRadius
    property real padding: Theme.spacingLarge
    default property alias content: body.data

    implicitWidth: body.childrenRect.width + 2 * padding
    implicitHeight: body.childrenRect.height + 2 * padding
    radius: cornerRadius
    color: Theme.cardColor
    border.width: 1
    border.color: Theme.cardStrokeColor

    Item {
        id: body
        anchors.fill: parent
        anchors.margins: root.padding
    }
}
