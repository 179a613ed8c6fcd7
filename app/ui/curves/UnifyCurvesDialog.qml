import QtQuick
import QtQuick.Controls.Basic
import QtQuick.Templates as T
import Brisvane.UI.Design
import Brisvane.UI.Curves

// Asks before "All fans" makes fans with different curves follow the shown one: open while
// the editor waits for an answer. Escape or Cancel keeps every fan's curve.
Dialog {
    id: dialog

    required property CurveEditor editor

    parent: T.Overlay.overlay
    anchors.centerIn: parent
    width: 360
    modal: true
    focus: true
    title: qsTrId("curves.fanPicker.unifyTitle")
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
        text: qsTrId("curves.fanPicker.unifyMessage")
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

            PressableButton {
                id: cancelButton
                text: qsTrId("presets.dialog.cancel")
                onClicked: dialog.close()
            }
            PressableButton {
                text: qsTrId("curves.fanPicker.unifyConfirm")
                prominent: true
                onClicked: dialog.editor.confirmUnify()
            }
        }
    }

    onOpened: cancelButton.forceActiveFocus()
    onClosed: dialog.editor.cancelUnify()

    Connections {
        target: dialog.editor
        function onUnifyPendingChanged() {
            if (dialog.editor.unifyPending)
                dialog.open();
            else
                dialog.close();
        }
    }
}
