import QtQuick
import QtQuick.Shapes
import Brisvane.UI.Design

// The fan's vector outline, scaled from its 100-unit design space to fit, about the centre.
Shape {
    id: root

    property color color: Theme.textColor

    // Smooth edges where the scene graph draws with a GPU (the software renderer's painter
    // antialiases by itself, and its layers lose the shape at scales above 1).
    layer.enabled: GraphicsInfo.api !== GraphicsInfo.Software
    layer.samples: 4
    layer.smooth: true

    ShapePath {
        fillColor: root.color
        strokeColor: "transparent"
        fillRule: ShapePath.WindingFill
        scale: Qt.size(Math.min(root.width, root.height) / 100, Math.min(root.width, root.height) / 100)
        startX: 0
        startY: 0
        PathSvg {
            path: FanBladesOutline.svgPath
        }
    }
}
