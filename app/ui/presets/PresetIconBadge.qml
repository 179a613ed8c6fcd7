import QtQuick
import Brisvane.UI.Design

// A preset's icon in a 42-point circle: white on the accent colour when active, the accent on a
// light tint of it otherwise.
Rectangle {
    id: root

    required property string symbolName
    required property bool isActive

    implicitWidth: 42
    implicitHeight: 42
    radius: width / 2
    color: isActive ? Theme.colors.accent : Qt.alpha(Theme.colors.accent, Theme.isDark ? 0.22 : 0.13)

    SymbolImage {
        anchors.centerIn: parent
        name: root.symbolName
        size: 22
        color: root.isActive ? Theme.colors.onAccent : Theme.colors.accent
    }
}
