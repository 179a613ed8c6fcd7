import QtQuick
import Brisvane.UI.Design

// The small capsule over a dragged point or under the pointer: one line of text, centred on
// (centerX, centerY).
Rectangle {
    id: root

    required property string text
    required property real centerX
    required property real centerY

    x: Math.round(centerX - width / 2)
    y: Math.round(centerY - height / 2)
    width: label.implicitWidth + 2 * Theme.spacingMedium
    height: label.implicitHeight + Theme.spacingSmall + 2
    radius: height / 2
    color: Theme.colors.calloutFill
    border.width: 1
    border.color: Theme.cardStrokeColor
    Accessible.role: Accessible.StaticText
    Accessible.name: text

    Text {
        id: label
        anchors.centerIn: parent
        text: root.text
        font.family: Theme.fontFamily
        font.pixelSize: Theme.captionSize + 1
        font.weight: Font.Medium
        color: Theme.textColor
        Accessible.ignored: true
    }
}
