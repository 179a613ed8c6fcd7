import QtQuick
import QtQuick.Controls.Basic
import Brisvane.UI.Design
import Brisvane.UI.Presets

// The last cell of the grid: creates a preset, or, at the limit, says so (disabled, with a
// tooltip). Neither draggable nor a drop target. Its context menu imports preset files.
Item {
    id: root

    required property PresetsModel presets
    readonly property bool canCreate: presets.canAddPreset

    signal importRequested()

    // On the disabled limit card too: the import then explains the limit.
    TapHandler {
        acceptedButtons: Qt.RightButton
        onTapped: eventPoint => menu.popup(root, eventPoint.position.x, eventPoint.position.y)
    }
    Keys.onPressed: event => {
        if (event.key === Qt.Key_Menu
                || (event.key === Qt.Key_F10 && (event.modifiers & Qt.ShiftModifier))) {
            menu.popup(root, root.width / 2, root.height / 2);
            event.accepted = true;
        }
    }

    Menu {
        id: menu

        MenuItem {
            id: importItem
            text: qsTrId("presets.contextMenu.import")
            Accessible.name: text
            Accessible.onPressAction: {
                importItem.triggered();
                menu.close();
            }
            onTriggered: root.importRequested()
        }
    }

    HoverHandler {
        id: hover
    }

    PressableButton {
        id: button
        anchors.fill: parent
        enabled: root.canCreate
        hoverEnabled: true
        padding: 0
        text: root.presets.newPresetTitle
        Accessible.description: root.presets.newPresetToolTip
        onClicked: root.presets.createPreset()

        background: DashedOutline {
            color: root.canCreate && hover.hovered ? Theme.colors.accent
                                                   : Qt.alpha(Theme.textColor, 0.25)
            fill: root.canCreate && hover.hovered ? Qt.alpha(Theme.colors.accent, 0.06)
                                                  : "transparent"
        }

        contentItem: Item {
            opacity: root.canCreate ? 1 : 0.55

            Column {
                anchors.centerIn: parent
                spacing: 8

                SymbolImage {
                    anchors.horizontalCenter: parent.horizontalCenter
                    name: root.presets.newPresetSymbolName
                    size: 30
                    color: root.canCreate ? Theme.colors.accent : Theme.colors.secondaryText
                }
                Text {
                    anchors.horizontalCenter: parent.horizontalCenter
                    text: root.presets.newPresetTitle
                    font.family: Theme.fontFamily
                    font.pixelSize: Theme.bodySize
                    font.weight: Font.DemiBold
                    color: root.canCreate ? Theme.colors.accent : Theme.colors.secondaryText
                    Accessible.ignored: true
                }
            }
        }
    }

    // Over the disabled card too, which takes no hover of its own.
    ToolTip {
        parent: root
        visible: hover.hovered && text !== ""
        text: root.presets.newPresetToolTip
        delay: 500
    }
}
