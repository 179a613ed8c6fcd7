import QtQuick
import Brisvane.UI.Presets

// The automatic slot: macOS runs the fans. Its thumbnail is a dashed baseline, not a curve.
PresetCardButton {
    id: root

    contentItem: PresetCardLayout {
        iconSymbolName: root.symbolName
        name: root.name
        caption: root.caption
        isActive: root.isActive

        AutomaticBaselineThumbnail {
            anchors.fill: parent
        }
    }
}
