import QtQuick
import QtQuick.Layouts
import Brisvane.UI.Design

// Shown while the helper is not installed: readings only, no control. It has no action.
Rectangle {
    id: root

    implicitHeight: row.implicitHeight + 2 * Theme.spacingMedium
    radius: 12
    color: Theme.colors.accentBannerFill

    Accessible.role: Accessible.StaticText
    Accessible.name: qsTrId("dashboard.helperBanner.message")

    RowLayout {
        id: row
        x: Theme.spacingLarge
        y: Theme.spacingMedium
        width: root.width - 2 * Theme.spacingLarge
        spacing: Theme.spacingSmall

        SymbolImage {
            Layout.alignment: Qt.AlignTop
            name: "info.circle.fill"
            size: 16
            color: Theme.colors.accent
        }
        Text {
            Layout.fillWidth: true
            wrapMode: Text.WordWrap
            text: qsTrId("dashboard.helperBanner.message")
            font.family: Theme.fontFamily
            font.pixelSize: Theme.bodySize
            color: Theme.textColor
            Accessible.ignored: true
        }
    }
}
