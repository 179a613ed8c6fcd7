import QtQuick
import Brisvane.UI.Presets

// A built-in or user preset: its icon, name, caption and a miniature of its first curve.
PresetCardButton {
    id: root

    contentItem: PresetCardLayout {
        iconSymbolName: root.symbolName
        name: root.name
        caption: root.caption
        isActive: root.isActive

        MiniCurveThumbnail {
            anchors.fill: parent
            points: root.thumbnail
            emphasised: root.isActive
        }
    }
}
