pragma ComponentBehavior: Bound

import QtQuick
import QtQuick.Controls.Basic
import Brisvane.UI.Design
import Brisvane.UI.Curves

// The preset selector: a button with the chosen preset's name that opens a menu of the
// built-in and the user's presets, and "New Preset". Choosing only selects; nothing is activated.
PressableButton {
    id: root

    required property CurveEditor editor

    text: editor.presetName
    symbol: editor.presetSymbol
    Accessible.role: Accessible.ButtonMenu
    Accessible.description: qsTrId("curves.toolbar.presetPickerLabel")
    onClicked: menu.opened ? menu.close() : menu.open()

    contentItem: Row {
        spacing: root.spacing
        SymbolImage {
            anchors.verticalCenter: parent.verticalCenter
            name: root.symbol
            visible: root.symbol !== ""
            color: Theme.colors.accent
        }
        Text {
            anchors.verticalCenter: parent.verticalCenter
            text: root.text
            font: root.font
            color: Theme.textColor
            Accessible.ignored: true
        }
        SymbolImage {
            anchors.verticalCenter: parent.verticalCenter
            name: "chevron.up.chevron.down"
            size: Theme.captionSize
            color: Theme.colors.secondaryText
        }
    }

    component SectionTitle: Text {
        leftPadding: Theme.spacingSmall
        topPadding: Theme.spacingTight
        font.family: Theme.fontFamily
        font.pixelSize: Theme.captionSize
        font.weight: Font.DemiBold
        color: Theme.colors.secondaryText
        Accessible.role: Accessible.Heading
        Accessible.name: text
    }

    component Entry: ItemDelegate {
        id: entry

        property string symbolName
        property bool chosen: false

        implicitHeight: 26
        horizontalPadding: Theme.spacingSmall
        Accessible.role: Accessible.MenuItem
        Accessible.name: text
        Accessible.checkable: true
        Accessible.checked: chosen
        Accessible.onPressAction: if (entry.enabled) entry.clicked()

        contentItem: Row {
            spacing: Theme.spacingSmall
            opacity: entry.enabled ? 1 : 0.45
            Item {
                width: 12
                height: parent.height
                SymbolImage {
                    anchors.centerIn: parent
                    name: "checkmark"
                    size: 12
                    visible: entry.chosen
                    color: entry.hovered ? Theme.colors.onAccent : Theme.textColor
                }
            }
            SymbolImage {
                anchors.verticalCenter: parent.verticalCenter
                name: entry.symbolName
                color: entry.hovered ? Theme.colors.onAccent : Theme.textColor
            }
            Text {
                anchors.verticalCenter: parent.verticalCenter
                text: entry.text
                font.family: Theme.fontFamily
                font.pixelSize: Theme.bodySize
                color: entry.hovered ? Theme.colors.onAccent : Theme.textColor
            }
        }
        background: Rectangle {
            radius: 4
            color: entry.hovered && entry.enabled ? Theme.colors.accent : "transparent"
        }
    }

    Popup {
        id: menu

        y: root.height + 4
        padding: Theme.spacingTight
        width: Math.max(root.width, 220)
        background: Rectangle {
            radius: Theme.controlRadius + 2
            color: Theme.menuColor
            border.width: 1
            border.color: Theme.cardStrokeColor
        }

        // A plain column, not a layout: the entries change while the menu is closed, and a Qt 6.4
        // layout can keep a destroyed child of a repeater and crash when it is resized on opening.
        contentItem: Column {
            spacing: 0
            Accessible.role: Accessible.PopupMenu
            Accessible.name: qsTrId("curves.toolbar.presetPickerLabel")

            SectionTitle {
                text: qsTrId("curves.toolbar.builtInSection")
            }
            Repeater {
                model: root.editor.builtInPresets
                delegate: Entry {
                    required property var modelData
                    width: menu.availableWidth
                    text: modelData.name
                    symbolName: modelData.symbolName
                    chosen: modelData.id === root.editor.selectedID
                    onClicked: {
                        root.editor.select(modelData.id);
                        menu.close();
                    }
                }
            }
            SectionTitle {
                visible: root.editor.userPresets.length > 0
                text: qsTrId("curves.toolbar.yourPresetsSection")
            }
            Repeater {
                model: root.editor.userPresets
                delegate: Entry {
                    required property var modelData
                    width: menu.availableWidth
                    text: modelData.name
                    symbolName: modelData.symbolName
                    chosen: modelData.id === root.editor.selectedID
                    onClicked: {
                        root.editor.select(modelData.id);
                        menu.close();
                    }
                }
            }
            Item {
                width: menu.availableWidth
                height: 1 + 2 * Theme.spacingTight
                Rectangle {
                    y: Theme.spacingTight
                    width: parent.width
                    height: 1
                    color: Theme.separatorColor
                }
            }
            Entry {
                width: menu.availableWidth
                text: qsTrId("curves.toolbar.newPreset")
                symbolName: "plus"
                enabled: root.editor.canAddPreset
                onClicked: {
                    root.editor.createNewPreset();
                    menu.close();
                }
            }
        }
    }
}
