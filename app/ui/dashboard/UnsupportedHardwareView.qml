import QtQuick
import Brisvane.UI.Design

// A machine without readable fans: the empty-content presentation with the struck-out fan.
Item {
    implicitHeight: 360
    Accessible.role: Accessible.StaticText
    Accessible.name: qsTrId("dashboard.unsupported.title") + ". "
                     + qsTrId("dashboard.unsupported.message")

    Column {
        anchors.centerIn: parent
        width: Math.min(parent.width - 2 * Theme.pagePadding, 420)
        spacing: Theme.spacingSmall

        SymbolImage {
            anchors.horizontalCenter: parent.horizontalCenter
            name: "fanblades.slash"
            size: 48
            color: Theme.colors.tertiaryText
        }
        Item {
            width: 1
            height: Theme.spacingTight
        }
        Text {
            width: parent.width
            horizontalAlignment: Text.AlignHCenter
            text: qsTrId("dashboard.unsupported.title")
            font.family: Theme.fontFamily
            font.pixelSize: Theme.titleSize
            font.weight: Font.Bold
            color: Theme.textColor
            Accessible.ignored: true
        }
        Text {
            width: parent.width
            horizontalAlignment: Text.AlignHCenter
            wrapMode: Text.WordWrap
            text: qsTrId("dashboard.unsupported.message")
            font.family: Theme.fontFamily
            font.pixelSize: Theme.bodySize
            color: Theme.colors.secondaryText
            Accessible.ignored: true
        }
    }
}
