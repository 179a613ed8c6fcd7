import QtQuick
import QtQuick.Shapes
import Brisvane.UI.Design

// The automatic card's thumbnail: no curve of ours, a dashed line low in the plot.
ThumbnailPlotChrome {
    id: root

    Shape {
        anchors.fill: parent

        ShapePath {
            strokeColor: Theme.colors.secondaryText
            strokeWidth: 1.5
            strokeStyle: ShapePath.DashLine
            dashPattern: [3, 3]
            fillColor: "transparent"
            startX: 10
            startY: Math.round(root.height * 0.72) + 0.5
            PathLine {
                x: root.width - 10
                y: Math.round(root.height * 0.72) + 0.5
            }
        }
    }
}
