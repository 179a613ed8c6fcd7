import QtQuick
import QtQuick.Controls.Basic
import Brisvane.UI.Design

// The base of every pressable control: an optional symbol and a title, skinned by the Theme.
// Assistive technology's "Press" clicks it while enabled (Qt Quick Controls leave that action
// unhandled).
Button {
    id: root

    property string symbol
    property color tint: Theme.textColor
    property bool prominent: false

    font.family: Theme.fontFamily
    font.pixelSize: Theme.bodySize
    horizontalPadding: Theme.spacingMedium
    verticalPadding: Theme.spacingTight + 2
    spacing: Theme.spacingTight + 2

    // Why the control cannot be used while it is disabled, for assistive technology.
    property string disabledReason

    Accessible.name: text !== "" ? text : ToolTip.text
    Accessible.description: enabled ? "" : disabledReason
    Accessible.onPressAction: {
        // A disabled control does nothing, whoever presses it.
        if (!root.enabled)
            return;
        if (root.checkable)
            root.toggle();
        root.clicked();
    }

    contentItem: Row {
        spacing: root.spacing
        opacity: root.enabled ? 1 : 0.45

        SymbolImage {
            anchors.verticalCenter: parent.verticalCenter
            visible: root.symbol !== ""
            name: root.symbol
            size: Math.round(root.font.pixelSize * 1.15)
            color: root.prominent ? Theme.colors.onAccent : root.tint
        }
        Text {
            anchors.verticalCenter: parent.verticalCenter
            visible: root.text !== ""
            text: root.text
            font: root.font
            color: root.prominent ? Theme.colors.onAccent : root.tint
            Accessible.ignored: true
        }
    }

    background: Rectangle {
        implicitHeight: 24
        radius: Theme.controlRadius
        color: root.prominent ? Theme.colors.accent : Theme.cardColor
        border.color: Theme.cardStrokeColor
        opacity: root.enabled ? (root.down ? 0.7 : 1) : 0.45
    }
}
