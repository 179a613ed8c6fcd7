import QtQuick
import QtQuick.Controls.Basic
import QtQuick.Templates as T
import Brisvane.UI.Design
import Brisvane.UI.Presets

// Asks before a user preset is deleted: open while a deletion is pending. Escape or Cancel
// keeps the preset.
Dialog {
    id: dialog

    required property PresetsModel presets

    parent: T.Overlay.overlay
    anchors.centerIn: parent
    width: 340
    modal: true
    focus: true
    title: dialog.presets.deletionTitle
    padding: 20
    topPadding: 6

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
        wrapMode: Text.Wrap
        font.family: Theme.fontFamily
        font.pixelSize: Theme.headlineSize + 1
        font.weight: Font.Bold
        color: Theme.textColor
        Accessible.ignored: true
    }

    contentItem: Text {
        text: qsTrId("presets.delete.message")
        wrapMode: Text.Wrap
        font.family: Theme.fontFamily
        font.pixelSize: Theme.bodySize
        color: Theme.colors.secondaryText
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
                id: cancelButton
                text: qsTrId("presets.dialog.cancel")
                onClicked: dialog.close()
            }
            PresetDialogButton {
                text: qsTrId("presets.delete.confirm")
                destructive: true
                onClicked: dialog.presets.confirmDeletion()
            }
        }
    }

    onOpened: cancelButton.forceActiveFocus()
    onClosed: dialog.presets.cancelDeletion()

    Connections {
        target: dialog.presets
        function onDeletionChanged() {
            if (dialog.presets.isConfirmingDeletion)
                dialog.open();
            else
                dialog.close();
        }
    }
}
