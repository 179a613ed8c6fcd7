import QtQuick
import Brisvane.UI.Design

// The mark beside the active card's icon: a checkmark and "Active" on an accent capsule.
Rectangle {
    id: root

    implicitWidth: row.implicitWidth + 16
    implicitHeight: row.implicitHeight + 6
    radius: height / 2
    color: Qt.alpha(Theme.colors.accent, Theme.isDark ? 0.28 : 0.15)

    Row {
        id: row
        anchors.centerIn: parent
        spacing: 4

        SymbolImage {
            anchors.verticalCenter: parent.verticalCenter
            name: "checkmark"
            size: 12
            color: Theme.colors.accent
        }
        Text {
            anchors.verticalCenter: parent.verticalCenter
            text: qsTrId("presets.card.activeBadge")
            font.family: Theme.fontFamily
            font.pixelSize: Theme.subheadlineSize
            font.weight: Font.DemiBold
            color: Theme.colors.accent
            Accessible.ignored: true
        }
    }
}
