pragma ComponentBehavior: Bound

import QtQuick
import QtQuick.Controls.Basic
import Brisvane.UI.Design
import Brisvane.UI.Window

// One pill per preset slot in the user's order: as many as fit of 8, 6, 4, 2 or 1, then a menu
// with the rest. Disabled unless presets can be switched.
Item {
    id: root

    required property ActivePresetBar bar
    readonly property int shownPills: bar.pillCount(measured.widths, overflowMeasure.implicitWidth,
                                                    row.spacing, width)

    implicitHeight: measured.implicitHeight + 8
    enabled: bar.pillsEnabled

    // Every pill laid out unseen, to learn the widths the row chooser needs.
    Row {
        id: measured
        readonly property var widths: {
            const result = [];
            for (let i = 0; i < measuring.count; ++i) {
                const pill = measuring.itemAt(i);
                result.push(pill ? pill.implicitWidth : 0);
            }
            return result;
        }
        visible: false
        Repeater {
            id: measuring
            model: root.bar
            delegate: PresetPill {
                required property int index
                Accessible.ignored: true
            }
        }
        PressableButton {
            id: overflowMeasure
            symbol: "ellipsis"
            font.pixelSize: Theme.calloutSize
            background: Item { implicitHeight: 26; implicitWidth: 26 }
            Accessible.ignored: true
        }
    }

    Row {
        id: row
        anchors.horizontalCenter: parent.horizontalCenter
        anchors.verticalCenter: parent.verticalCenter
        spacing: Theme.spacingSmall
        // A new slot order slides the pills to their places; the model moves them, so the
        // same pills travel.
        move: Transition {
            NumberAnimation {
                properties: "x"
                duration: 280
                easing.type: Easing.OutCubic
            }
        }

        Repeater {
            model: root.bar
            delegate: PresetPill {
                required property int index
                visible: index < root.shownPills
                disabledReason: root.bar.captionText
                onClicked: root.bar.activate(index)
            }
        }

        PressableButton {
            id: overflowButton
            readonly property string label: qsTrId("mainWindow.presetBar.morePresets")
            visible: root.shownPills < root.bar.rowCount()
            symbol: "ellipsis"
            font.pixelSize: Theme.calloutSize
            tint: Theme.colors.secondaryText
            flat: true
            hoverEnabled: true
            ToolTip.visible: hovered
            ToolTip.text: label
            Accessible.name: label
            disabledReason: root.bar.captionText
            background: Item { implicitHeight: 26; implicitWidth: 26 }
            onClicked: overflowMenu.popup(overflowButton, 0, overflowButton.height)

            Menu {
                id: overflowMenu
                Repeater {
                    model: root.bar
                    delegate: MenuItem {
                        required property int index
                        required property string fullTitle
                        required property string symbolName
                        visible: index >= root.shownPills
                        height: visible ? implicitHeight : 0
                        text: fullTitle
                        icon.source: "image://symbol/" + symbolName
                        Accessible.name: fullTitle
                        Accessible.onPressAction: if (enabled) triggered()
                        onTriggered: root.bar.activate(index)
                    }
                }
            }
        }
    }
}
