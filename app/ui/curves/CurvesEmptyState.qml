import QtQuick
import QtQuick.Layouts
import Brisvane.UI.Design

// Shown when there is no preset to edit: a title, a line of explanation, and a button that
// creates a preset.
ColumnLayout {
    id: root

    property bool canCreate: true
    signal createPreset

    spacing: Theme.spacingMedium

    SymbolImage {
        Layout.alignment: Qt.AlignHCenter
        Layout.topMargin: 60
        name: "fanblades"
        size: 40
        color: Theme.colors.secondaryText
    }
    Text {
        Layout.alignment: Qt.AlignHCenter
        text: qsTrId("curves.emptyState.title")
        font.family: Theme.fontFamily
        font.pixelSize: Theme.title3Size
        font.weight: Font.DemiBold
        color: Theme.textColor
        Accessible.role: Accessible.Heading
        Accessible.name: text
    }
    Text {
        Layout.alignment: Qt.AlignHCenter
        text: qsTrId("curves.emptyState.description")
        font.family: Theme.fontFamily
        font.pixelSize: Theme.bodySize
        color: Theme.colors.secondaryText
        Accessible.role: Accessible.StaticText
        Accessible.name: text
    }
    PressableButton {
        Layout.alignment: Qt.AlignHCenter
        Layout.topMargin: Theme.spacingSmall
        Layout.bottomMargin: 60
        text: qsTrId("curves.emptyState.createPreset")
        symbol: "plus"
        prominent: true
        enabled: root.canCreate
        onClicked: root.createPreset()
    }
}
