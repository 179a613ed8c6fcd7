import QtQuick
import QtQuick.Controls.Basic
import QtQuick.Templates as T
import Brisvane.UI.Design
import Brisvane.UI.Presets

// Renames a user preset: open while the model renames one; Return or the button stores the
// trimmed name, Escape or Cancel leaves it.
Dialog {
    id: dialog

    required property PresetsModel presets

    parent: T.Overlay.overlay
    anchors.centerIn: parent
    width: 380
    modal: true
    focus: true
    title: qsTrId("presets.rename.title")
    padding: 20
    topPadding: 8

    T.Overlay.modal: Rectangle {
        color: Theme.colors.dialogScrim
    }

    background: Rectangle {
        radius: 12
        color: Theme.windowColor
        border.color: Qt.alpha(Theme.textColor, Theme.isDark ? 0.2 : 0.12)

        Rectangle {
            z: -1
            anchors.fill: parent
            anchors.margins: -1
            anchors.topMargin: 4
            anchors.bottomMargin: -8
            radius: 14
            color: Theme.colors.dialogShadow
        }
    }

    header: Text {
        topPadding: 20
        leftPadding: 20
        rightPadding: 20
        text: dialog.title
        font.family: Theme.fontFamily
        font.pixelSize: Theme.headlineSize + 1
        font.weight: Font.Bold
        color: Theme.textColor
        Accessible.ignored: true
    }

    Row {
        width: dialog.availableWidth
        spacing: 10

        Text {
            id: label
            anchors.verticalCenter: parent.verticalCenter
            text: qsTrId("presets.rename.fieldLabel")
            font.family: Theme.fontFamily
            font.pixelSize: Theme.bodySize
            color: Theme.textColor
            Accessible.ignored: true
        }
        TextField {
            id: field
            width: parent.width - label.width - parent.spacing
            font.family: Theme.fontFamily
            font.pixelSize: Theme.bodySize
            color: Theme.textColor
            selectionColor: Theme.colors.accent
            selectedTextColor: Theme.colors.onAccent
            Accessible.name: qsTrId("presets.rename.fieldLabel")
            onTextChanged: dialog.presets.renameDraftName = text
            onAccepted: dialog.presets.commitRename()

            background: Rectangle {
                implicitHeight: 28
                radius: Theme.controlRadius
                color: Theme.cardColor
                border.width: field.activeFocus ? 2 : 1
                border.color: field.activeFocus ? Qt.alpha(Theme.colors.accent, 0.8)
                                                : Qt.alpha(Theme.textColor, 0.2)
            }
        }
    }

    footer: Item {
        implicitHeight: buttons.implicitHeight + 20

        Row {
            id: buttons
            anchors.right: parent.right
            anchors.rightMargin: 20
            anchors.top: parent.top
            spacing: 10

            PresetDialogButton {
                text: qsTrId("presets.dialog.cancel")
                onClicked: dialog.close()
            }
            PresetDialogButton {
                text: qsTrId("presets.rename.confirm")
                prominent: true
                onClicked: dialog.presets.commitRename()
            }
        }
    }

    onOpened: {
        field.text = dialog.presets.renameDraftName;
        field.selectAll();
        field.forceActiveFocus();
    }
    // However it closes, nobody is being renamed any more.
    onClosed: dialog.presets.cancelRename()

    Connections {
        target: dialog.presets
        function onRenamingChanged() {
            if (dialog.presets.isRenaming)
                dialog.open();
            else
                dialog.close();
        }
    }
}
