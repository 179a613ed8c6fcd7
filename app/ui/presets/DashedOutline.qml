import QtQuick
import QtQuick.Shapes
import Brisvane.UI.Design

// A dashed rounded rectangle: the new-preset card's edge and the place a dragged card left.
Shape {
    id: root

    property real radius: 14
    property color color: Qt.alpha(Theme.textColor, 0.25)
    property color fill: "transparent"

    readonly property real inset: 0.75

    ShapePath {
        strokeColor: root.color
        strokeWidth: 1.5
        strokeStyle: ShapePath.DashLine
        dashPattern: [4, 3]
        fillColor: root.fill
        PathSvg {
            // A rounded rectangle, drawn on the half pixel inside the edge.
            readonly property real l: root.inset
            readonly property real t: root.inset
            readonly property real r: root.width - root.inset
            readonly property real b: root.height - root.inset
            readonly property real c: Math.min(root.radius, (r - l) / 2, (b - t) / 2)
            path: `M ${l + c} ${t} L ${r - c} ${t} A ${c} ${c} 0 0 1 ${r} ${t + c} `
                  + `L ${r} ${b - c} A ${c} ${c} 0 0 1 ${r - c} ${b} L ${l + c} ${b} `
                  + `A ${c} ${c} 0 0 1 ${l} ${b - c} L ${l} ${t + c} A ${c} ${c} 0 0 1 ${l + c} ${t} Z`
        }
    }
}
