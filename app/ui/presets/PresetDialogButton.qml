import QtQuick
import Brisvane.UI.Design

// A dialog's button: plain, prominent (the accent, for the confirming action) or destructive
// (red text, for an action that cannot be undone).
PressableButton {
    id: root

    property bool destructive: false

    implicitWidth: Math.max(84, implicitContentWidth + leftPadding + rightPadding)
    tint: destructive ? Theme.colors.destructive : Theme.textColor
    font.weight: prominent || destructive ? Font.DemiBold : Font.Normal
}
