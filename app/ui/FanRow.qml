import QtQuick
import QtQuick.Controls
import Brisvane.UI

// One fan: its name and speed over a bar filled to its share of the maximum speed.
Rectangle {
    id: row

    required property string fanName
    required property string speed
    // The speed as assistive technology reads it, "2,400 rpm".
    required property string spokenSpeed
    required property real speedFraction
    required property ColorSchemePalette colors

    implicitHeight: 64
    radius: 12
    color: colors.panelColor
    Accessible.role: Accessible.StaticText
    Accessible.name: fanName + ", " + spokenSpeed

    Label {
        anchors.left: parent.left
        anchors.top: parent.top
        anchors.margins: 14
        text: row.fanName
        color: row.colors.textColor
        font.pixelSize: 14
        font.weight: Font.Medium
    }
    Label {
        anchors.right: parent.right
        anchors.top: parent.top
        anchors.margins: 14
        text: row.speed
        color: row.colors.textColor
        font.pixelSize: 14
        font.weight: Font.Bold
    }
    Rectangle {
        id: track
        anchors.left: parent.left
        anchors.right: parent.right
        anchors.bottom: parent.bottom
        anchors.margins: 14
        height: 6
        radius: 3
        color: Qt.rgba(0.5, 0.5, 0.5, 0.25)

        Rectangle {
            height: parent.height
            radius: parent.radius
            width: Math.max(8, track.width * row.speedFraction)
            visible: row.speedFraction > 0
            color: row.colors.accentColor
        }
    }
}
