import QtQuick
import Brisvane.UI.Design
import Brisvane.UI.MenuBar

// A die temperature: symbol, label and the rounded degrees in the temperature's colour.
Item {
    id: root

    required property string label
    required property string iconSystemName
    required property real celsius

    implicitWidth: 268
    implicitHeight: Math.max(labelText.implicitHeight, 16)

    Accessible.role: Accessible.StaticText
    Accessible.name: Readouts.temperatureAccessibleName(label, celsius)

    SymbolImage {
        x: (20 - width) / 2
        anchors.verticalCenter: parent.verticalCenter
        name: root.iconSystemName
        size: 13
        color: Theme.colors.secondaryText
    }
    Text {
        id: labelText
        x: 20
        anchors.verticalCenter: parent.verticalCenter
        text: root.label
        font.family: Theme.fontFamily
        font.pixelSize: Theme.subheadlineSize
        color: Theme.textColor
        Accessible.ignored: true
    }
    Text {
        anchors.right: parent.right
        anchors.verticalCenter: parent.verticalCenter
        text: MenuBarRows.degreesText(root.celsius)
        font.family: Theme.fontFamily
        font.pixelSize: Theme.subheadlineSize
        font.weight: Font.DemiBold
        color: Theme.colors.temperatureColor(root.celsius)
        Accessible.ignored: true
    }
}
