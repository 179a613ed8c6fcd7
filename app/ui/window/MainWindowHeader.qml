import QtQuick
import QtQuick.Layouts
import Brisvane.UI.Design
import Brisvane.UI.Window

// Above the sections, in this order: the section picker, the preset pills, the caption.
Rectangle {
    id: root

    required property AppState appState
    required property MainWindowVisibility mainWindowVisibility
    property alias currentSection: picker.currentIndex

    implicitHeight: column.implicitHeight + column.anchors.topMargin + Theme.spacingSmall
    color: Theme.windowColor

    // Off screen the pills and the caption follow nothing; showing the window fills them.
    ActivePresetBar {
        id: presetBar
        appState: root.mainWindowVisibility.isOnScreen ? root.appState : null
    }

    ColumnLayout {
        id: column
        anchors.left: parent.left
        anchors.right: parent.right
        anchors.top: parent.top
        anchors.topMargin: Theme.spacingMedium
        anchors.leftMargin: Theme.pagePadding
        anchors.rightMargin: Theme.pagePadding
        spacing: Theme.spacingSmall

        SectionPicker {
            id: picker
            Layout.alignment: Qt.AlignHCenter
        }
        ActivePresetPillsBar {
            objectName: "activePresetPills"
            Layout.fillWidth: true
            bar: presetBar
        }
        ActivePresetCaptionBar {
            objectName: "activePresetCaption"
            Layout.fillWidth: true
            bar: presetBar
        }
    }

    Rectangle {
        anchors.bottom: parent.bottom
        width: parent.width
        height: 1
        color: Theme.separatorColor
    }
}
