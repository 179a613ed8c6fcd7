import QtQuick
import Brisvane.UI.Design

// A preset chip: symbol and title on a capsule, outlined in the accent colour when active.
PressableButton {
    id: root

    property bool isActive: false

    font.pixelSize: Theme.subheadlineSize
    font.weight: root.isActive ? Font.DemiBold : Font.Normal
    horizontalPadding: 10
    verticalPadding: 5
    tint: root.isActive ? Theme.colors.accent : Theme.textColor
    checkable: false
    Accessible.checkable: true
    Accessible.checked: root.isActive

    background: Rectangle {
        implicitHeight: 24
        radius: height / 2
        color: root.isActive ? Theme.colors.accentChipFill : Theme.cardColor
        border.width: 1
        border.color: root.isActive ? Theme.colors.accent : Theme.separatorColor
        opacity: root.down ? 0.7 : 1
    }
}
