import QtQuick
import Brisvane.UI.Design

// The rounded, lightly stroked card that groups content on every screen.
Rectangle {
    id: root

    property real cornerRadius: Theme.cardRadius
    property real padding: Theme.spacingLarge
    default property alias content: body.data
    // Kept as a texture between changes of its content, so that a frame drawn for something
    // moving elsewhere composes the card instead of rasterizing every text and path of it
    // again. Only for cards with nothing that moves on every frame. The software renderer
    // repaints only what changed and needs no such cache.
    property bool cached: false

    implicitWidth: body.childrenRect.width + 2 * padding
    implicitHeight: body.childrenRect.height + 2 * padding
    radius: cornerRadius
    color: Theme.cardColor
    border.width: 1
    border.color: Theme.cardStrokeColor
    layer.enabled: cached && GraphicsInfo.api !== GraphicsInfo.Software

    Item {
        id: body
        anchors.fill: parent
        anchors.margins: root.padding
    }
}
