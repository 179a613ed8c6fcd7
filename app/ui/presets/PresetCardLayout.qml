import QtQuick
import Brisvane.UI.Design

// What every preset card shows, top to bottom: the icon (with the active badge beside it), the
// name, the caption and the thumbnail.
Item {
    id: root

    required property string iconSymbolName
    required property string name
    required property string caption
    required property bool isActive
    // The thumbnail fills the bottom of the card.
    default property alias thumbnail: thumbnailArea.data

    readonly property real padding: 14

    Row {
        id: iconRow
        x: root.padding
        y: root.padding
        spacing: 10

        PresetIconBadge {
            symbolName: root.iconSymbolName
            isActive: root.isActive
        }
        ActivePresetBadge {
            anchors.verticalCenter: parent.verticalCenter
            visible: root.isActive
        }
    }

    Text {
        id: nameText
        x: root.padding
        y: iconRow.y + iconRow.height + 10
        width: root.width - 2 * root.padding
        text: root.name
        elide: Text.ElideRight
        font.family: Theme.fontFamily
        font.pixelSize: Theme.title3Size
        font.weight: Font.DemiBold
        color: Theme.textColor
        Accessible.ignored: true
    }

    Text {
        id: captionText
        x: root.padding
        y: nameText.y + nameText.height + 2
        width: root.width - 2 * root.padding
        text: root.caption
        wrapMode: Text.WordWrap
        maximumLineCount: 2
        elide: Text.ElideRight
        font.family: Theme.fontFamily
        font.pixelSize: Theme.calloutSize
        color: Theme.colors.secondaryText
        Accessible.ignored: true

        FontMetrics {
            id: fontMetrics
            font: captionText.font
        }
    }

    Item {
        id: thumbnailArea
        x: root.padding
        // Two lines are kept for every caption, so that the thumbnails line up.
        y: captionText.y + Math.ceil(2 * fontMetrics.lineSpacing) + 10
        width: root.width - 2 * root.padding
        height: root.height - y - root.padding
    }
}
