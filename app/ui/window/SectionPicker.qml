pragma ComponentBehavior: Bound

import QtQuick
import Brisvane.UI.Design
import Brisvane.UI.Window

// The segmented section picker: one segment per section, icon and title, the chosen one filled.
Item {
    id: root

    property int currentIndex: 0

    implicitWidth: segments.implicitWidth + 4
    implicitHeight: segments.implicitHeight + 4

    Accessible.role: Accessible.PageTabList
    Accessible.name: qsTrId("mainWindow.sectionPicker.label")

    Rectangle {
        anchors.fill: parent
        radius: Theme.controlRadius + 2
        color: Qt.alpha(Theme.textColor, 0.06)
        border.color: Theme.cardStrokeColor
    }

    Row {
        id: segments
        anchors.centerIn: parent
        spacing: 2

        Repeater {
            model: MainSectionModel {}
            delegate: PressableButton {
                id: segment
                required property int index
                required property string title
                required property string symbolName
                readonly property bool chosen: index === root.currentIndex

                text: title
                symbol: symbolName
                font.pixelSize: Theme.calloutSize
                font.weight: chosen ? Font.DemiBold : Font.Normal
                tint: chosen ? Theme.textColor : Theme.colors.secondaryText
                horizontalPadding: Theme.spacingMedium + 2
                verticalPadding: Theme.spacingTight + 1
                Accessible.role: Accessible.PageTab
                Accessible.name: title
                Accessible.checkable: true
                Accessible.checked: chosen
                Accessible.selectable: true
                Accessible.selected: chosen
                onClicked: root.currentIndex = index

                background: Rectangle {
                    implicitHeight: 26
                    radius: Theme.controlRadius
                    color: segment.chosen ? Theme.cardColor : "transparent"
                    border.color: segment.chosen ? Theme.cardStrokeColor : "transparent"
                    opacity: segment.enabled ? (segment.down ? 0.7 : 1) : 0.45
                }
            }
        }
    }
}
