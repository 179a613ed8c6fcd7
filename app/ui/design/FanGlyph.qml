import QtQuick
import Brisvane.UI.Design

// The still fan outline in a square frame of `size`.
Item {
    id: root

    property real size: 16
    property color color: Theme.textColor

    implicitWidth: size
    implicitHeight: size

    FanBladesShape {
        anchors.fill: parent
        color: root.color
    }
}
