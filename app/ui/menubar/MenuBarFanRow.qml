import QtQuick
import Brisvane.UI.Design
import Brisvane.UI.MenuBar

// One fan: the still glyph, its name, its speed (or "Stopped") and the speed bar.
Item {
    id: root

    required property string name
    required property real actualRPM
    required property real maximumRPM
    required property string speedText
    required property string accessibleText

    implicitWidth: 268
    implicitHeight: column.implicitHeight

    Accessible.role: Accessible.StaticText
    Accessible.name: accessibleText

    FanGlyph {
        x: (20 - width) / 2
        y: 1
        size: 14
        color: Theme.colors.secondaryText
    }

    Column {
        id: column
        x: 20
        width: root.width - 20
        spacing: 5

        Item {
            width: parent.width
            implicitHeight: nameText.implicitHeight

            Text {
                id: nameText
                text: root.name
                font.family: Theme.fontFamily
                font.pixelSize: Theme.subheadlineSize
                font.weight: Font.Medium
                color: Theme.textColor
                Accessible.ignored: true
            }
            Row {
                anchors.right: parent.right
                anchors.verticalCenter: nameText.verticalCenter
                spacing: 3
                visible: root.actualRPM > 0

                Text {
                    text: root.speedText
                    font.family: Theme.fontFamily
                    font.pixelSize: Theme.subheadlineSize
                    font.weight: Font.Bold
                    color: Theme.textColor
                    Accessible.ignored: true
                }
                Text {
                    anchors.baseline: parent.children[0].baseline
                    text: qsTrId("menuBar.fan.rpmUnit")
                    font.family: Theme.fontFamily
                    font.pixelSize: Theme.captionSize
                    color: Theme.colors.secondaryText
                    Accessible.ignored: true
                }
            }
            Text {
                anchors.right: parent.right
                anchors.verticalCenter: nameText.verticalCenter
                visible: root.actualRPM <= 0
                text: qsTrId("menuBar.fan.parked")
                font.family: Theme.fontFamily
                font.pixelSize: Theme.captionSize
                color: Theme.colors.secondaryText
                Accessible.ignored: true
            }
        }

        Rectangle {
            id: track
            width: parent.width
            height: 6
            radius: height / 2
            color: Theme.colors.meterTrack

            // The faint inner shadow along the top edge.
            Rectangle {
                width: parent.width
                height: 1
                radius: 0.5
                color: Theme.colors.meterTrackShadow
                x: 0
                y: 0.5
                opacity: 0.6
            }
            Rectangle {
                visible: root.actualRPM > 0
                height: parent.height
                radius: height / 2
                width: MenuBarRows.fanFillWidth(root.actualRPM, root.maximumRPM, track.width)
                gradient: Gradient {
                    orientation: Gradient.Horizontal
                    GradientStop { position: 0; color: Theme.colors.fanGradientStart }
                    GradientStop { position: 1; color: Theme.colors.fanGradientEnd }
                }
            }
        }
    }
}
