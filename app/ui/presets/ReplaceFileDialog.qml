import QtQuick
import QtQuick.Controls.Basic
import QtQuick.Templates as T
import Brisvane.UI.Design
import Brisvane.UI.Presets

// Asks before an export replaces a file that exists: open while such an export is pending.
// Escape or Cancel leaves the file as it is.
Dialog {
    id: dialog

    required property PresetsModel presets

    parent: T.Overlay.overlay
    anchors.centerIn: parent
    width: 340
    modal: true
    focus: true
    title: dialog.presets.replaceTitle
    padding: 20
    topPadding: 6

    T.Overlay.modal: Rectangle {
        color: Theme.colors.dialogScrim
    }

    background: Rectangle {
        radius: 12
        color: Theme.windowColor
        border.color: Qt.alpha(Theme.textColor, Theme.isDark ? 0.2 : 0.12)
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
        text: qsTrId("presets.export.replaceMessage")
        wrapMode: Text.Wrap
        font.family: Theme.fontFamily
        font.pixelSize: Theme.bodySize
        color: Theme.colors.secondaryText
        Accessible.role: Accessible.StaticText
        Accessible.name: text
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
                text: qsTrId("presets.export.replace")
                destructive: true
                onClicked: dialog.presets.confirmReplace()
            }
        }
    }

    onOpened: cancelButton.forceActiveFocus()
    onClosed: dialog.presets.cancelReplace()

    Connections {
        target: dialog.presets
        function onReplaceChanged() {
            if (dialog.presets.isConfirmingReplace)
                dialog.open();
            else
                dialog.close();
        }
    }
}
