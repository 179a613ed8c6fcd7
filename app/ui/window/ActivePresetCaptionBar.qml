import QtQuick
import Brisvane.UI.Design
import Brisvane.UI.Window

// One centred line under the pills: what the fans are doing. A status (its symbol, or a turning
// fan mark while the daemon takes over) in its tint, else what the active preset does.
Item {
    id: root

    required property ActivePresetBar bar
    readonly property color tint: Theme.colors.tint(bar.statusTint)

    implicitHeight: line.implicitHeight + Theme.spacingSmall

    Accessible.role: Accessible.StaticText
    Accessible.name: bar.captionText

    Row {
        id: line
        anchors.centerIn: parent
        spacing: Theme.spacingTight + 2

        SpinningFanMark {
            anchors.verticalCenter: parent.verticalCenter
            visible: root.bar.hasStatus && root.bar.statusInProgress
            diameter: 14
        }
        SymbolImage {
            anchors.verticalCenter: parent.verticalCenter
            visible: root.bar.hasStatus && !root.bar.statusInProgress
            name: root.bar.statusSymbol
            size: Theme.headlineSize
            color: root.tint
        }
        Text {
            anchors.verticalCenter: parent.verticalCenter
            text: root.bar.captionText
            font.family: Theme.fontFamily
            font.pixelSize: Theme.headlineSize
            font.weight: Font.DemiBold
            color: root.tint
            Accessible.ignored: true
        }
    }
}
