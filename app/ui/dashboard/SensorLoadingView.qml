import QtQuick
import Brisvane.UI.Design

// Before the first sample: the slowly turning mark over what the app is waiting for.
Item {
    implicitHeight: 320
    Accessible.role: Accessible.StaticText
    Accessible.name: qsTrId("dashboard.loading.title")

    Column {
        anchors.centerIn: parent
        spacing: Theme.spacingSmall

        SpinningFanMark {
            anchors.horizontalCenter: parent.horizontalCenter
            diameter: 44
        }
        Item {
            width: 1
            height: Theme.spacingTight
        }
        Text {
            anchors.horizontalCenter: parent.horizontalCenter
            text: qsTrId("dashboard.loading.title")
            font.family: Theme.fontFamily
            font.pixelSize: Theme.title3Size
            font.weight: Font.DemiBold
            color: Theme.textColor
            Accessible.ignored: true
        }
        Text {
            anchors.horizontalCenter: parent.horizontalCenter
            text: qsTrId("dashboard.loading.subtitle")
            font.family: Theme.fontFamily
            font.pixelSize: Theme.calloutSize
            color: Theme.colors.secondaryText
            Accessible.ignored: true
        }
    }
}
