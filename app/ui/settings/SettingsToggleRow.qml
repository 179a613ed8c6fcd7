import QtQuick
import QtQuick.Controls.Basic
import Brisvane.UI.Design

// A label with a switch on the right. The whole row is the control: a click anywhere flips it,
// and assistive technology meets one check box named by the title. The switch shows `isOn`;
// the owner decides in changeRequested, which may refuse.
CheckBox {
    id: root

    property string title
    property string subtitle
    property bool isOn

    signal changeRequested(bool on)

    checked: isOn
    // The click asks; the owner's answer is what the row shows.
    nextCheckState: function () {
        root.changeRequested(!root.isOn);
        return root.isOn ? Qt.Checked : Qt.Unchecked;
    }

    leftPadding: 0
    rightPadding: indicator.width + Theme.spacingMedium
    topPadding: 0
    bottomPadding: 0

    Accessible.name: title
    Accessible.description: subtitle
    Accessible.onPressAction: root.changeRequested(!root.isOn)
    Accessible.onToggleAction: root.changeRequested(!root.isOn)

    contentItem: SettingsRowLabel {
        title: root.title
        subtitle: root.subtitle
    }

    indicator: Rectangle {
        x: root.width - width
        y: (root.height - height) / 2
        implicitWidth: 32
        implicitHeight: 18
        radius: height / 2
        color: root.isOn ? Theme.colors.accent : Theme.colors.switchTrackOff
        border.width: root.isOn ? 0 : 1
        border.color: Theme.colors.switchTrackBorder
        opacity: root.down ? 0.8 : 1

        Behavior on color {
            ColorAnimation { duration: 150 }
        }

        Rectangle {
            x: root.isOn ? parent.width - width - 1 : 1
            y: 1
            width: parent.height - 2
            height: width
            radius: width / 2
            color: Theme.colors.knobFill
            border.width: 0.5
            border.color: Theme.colors.switchKnobBorder

            Behavior on x {
                NumberAnimation { duration: 150; easing.type: Easing.OutCubic }
            }
        }
    }
}
