import QtQuick
import QtQuick.Layouts
import Brisvane.UI.Design

// A section's place until the section itself arrives: its symbol and its name.
ColumnLayout {
    id: root

    required property string title
    required property string symbolName

    spacing: Theme.spacingMedium

    RowLayout {
        Layout.topMargin: Theme.spacingExtraLarge + Theme.spacingTight
        Layout.bottomMargin: Theme.spacingExtraLarge + Theme.spacingTight
        Layout.leftMargin: Theme.pagePadding
        spacing: Theme.spacingMedium

        SymbolImage {
            name: root.symbolName
            size: 26
            color: Theme.colors.secondaryText
        }
        Text {
            text: root.title
            font.family: Theme.fontFamily
            font.pixelSize: Theme.largeTitleSize
            font.weight: Font.Bold
            color: Theme.textColor
            Accessible.role: Accessible.Heading
            Accessible.name: text
        }
    }
}
