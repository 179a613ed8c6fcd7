pragma ComponentBehavior: Bound

import QtQuick
import Brisvane.UI.Design

// The small indeterminate spinner of a running operation: twelve spokes, fading round.
Item {
    id: root

    property real size: 16
    property color color: Theme.colors.secondaryText

    implicitWidth: size
    implicitHeight: size
    Accessible.role: Accessible.Animation

    Item {
        id: spokes
        anchors.fill: parent

        Repeater {
            model: 12
            delegate: Rectangle {
                id: spoke
                required property int index
                x: (root.size - spoke.width) / 2
                y: 0
                width: Math.max(1.5, root.size / 9)
                height: root.size * 0.28
                radius: width / 2
                color: root.color
                opacity: 1 - spoke.index / 12 * 0.85
                transform: Rotation {
                    origin.x: spoke.width / 2
                    origin.y: root.size / 2
                    angle: -spoke.index * 30
                }
            }
        }

        RotationAnimator on rotation {
            from: 0
            to: 360
            duration: 1000
            loops: Animation.Infinite
            running: root.visible
        }
    }
}
