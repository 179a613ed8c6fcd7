import QtQuick
import QtQuick.Controls.Basic
import Brisvane.UI.Design

// One preset slot as a capsule: symbol and title. The active one stands out by weight and tint;
// hover feedback only while enabled.
PressableButton {
    id: root

    required property string symbolName
    required property string title
    required property string fullTitle
    required property bool isActive

    readonly property bool lifted: enabled && hovered

    symbol: symbolName
    text: title
    font.pixelSize: Theme.calloutSize
    font.weight: isActive ? Font.DemiBold : Font.Normal
    tint: isActive || lifted ? Theme.textColor : Theme.colors.secondaryText
    horizontalPadding: 16
    verticalPadding: 6
    hoverEnabled: true
    scale: lifted ? 1.06 : 1
    z: lifted ? 1 : 0

    Accessible.name: fullTitle
    Accessible.checkable: true
    Accessible.checked: isActive
    ToolTip.visible: hovered && fullTitle !== ""
    ToolTip.text: fullTitle
    ToolTip.delay: 600

    Behavior on scale {
        NumberAnimation { duration: 180; easing.type: Easing.OutCubic }
    }

    background: Rectangle {
        implicitHeight: 26
        radius: height / 2
        color: root.isActive ? Qt.alpha(Theme.colors.accent, 0.28)
                             : Qt.alpha(Theme.textColor, root.lifted ? 0.10 : 0.05)
        border.color: Qt.alpha(Theme.textColor, root.lifted ? 0.16 : 0.08)
        opacity: root.enabled ? (root.down ? 0.7 : 1) : 0.45

        // The lifted pill's shadow: a soft dark capsule 2 points below it.
        Rectangle {
            z: -1
            anchors.fill: parent
            anchors.topMargin: 2
            anchors.bottomMargin: -2
            radius: parent.radius
            color: Theme.colors.pillShadow
            visible: root.lifted
        }
    }
}
