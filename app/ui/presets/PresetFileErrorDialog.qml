import QtQuick
import QtQuick.Controls.Basic
import QtQuick.Templates as T
import Brisvane.UI.Design
import Brisvane.UI.Presets

// Says why an export or import failed: open while the model holds a file error.
Dialog {
    id: dialog

    required property PresetsModel presets

    parent: T.Overlay.overlay
    anchors.centerIn: parent
    width: 360
    modal: true
    focus: true
    title: dialog.presets.fileErrorTitle
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
        text: dialog.presets.fileErrorMessage
        wrapMode: Text.Wrap
        font.family: Theme.fontFamily
        font.pixelSize: Theme.bodySize
        color: Theme.colors.secondaryText
        // The fault is the news here: a screen reader reads it, not only the title.
        Accessible.role: Accessible.StaticText
        Accessible.name: text
    }

    footer: Item {
        implicitHeight: okButton.implicitHeight + 20

        PresetDialogButton {
            id: okButton
            anchors.right: parent.right
            anchors.rightMargin: 20
            text: qsTrId("presets.fileError.ok")
            onClicked: dialog.close()
        }
    }

    onOpened: okButton.forceActiveFocus()
    onClosed: dialog.presets.dismissFileError()

    Connections {
        target: dialog.presets
        function onFileErrorChanged() {
            if (dialog.presets.hasFileError)
                dialog.open();
            else
                dialog.close();
        }
    }
}
