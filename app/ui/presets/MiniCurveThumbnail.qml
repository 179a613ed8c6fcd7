import QtQuick
import QtQuick.Shapes
import Brisvane.UI.Design

// A preset's first curve in miniature: the points PresetsModel samples for a 1 × 1 plot, scaled
// to this item, with a gradient under the line.
ThumbnailPlotChrome {
    id: root

    // PresetsModel's thumbnail role.
    required property var points
    property bool emphasised: false

    Shape {
        id: shape
        anchors.fill: parent
        layer.enabled: GraphicsInfo.api !== GraphicsInfo.Software
        layer.samples: 4
        layer.smooth: true

        ShapePath {
            scale: Qt.size(shape.width, shape.height)
            strokeColor: "transparent"
            fillGradient: LinearGradient {
                x1: 0
                y1: 0
                x2: 0
                y2: shape.height * 0.84
                GradientStop {
                    position: 0
                    color: Qt.alpha(Theme.colors.accent, root.emphasised ? 0.34 : 0.22)
                }
                GradientStop {
                    position: 0.84
                    color: Qt.alpha(Theme.colors.accent, 0.02)
                }
            }
            PathPolyline {
                path: root.points
            }
            PathLine {
                x: 1
                y: 0.84
            }
            PathLine {
                x: 0
                y: 0.84
            }
        }
        ShapePath {
            scale: Qt.size(shape.width, shape.height)
            strokeColor: Theme.colors.accent
            strokeWidth: 2
            fillColor: "transparent"
            joinStyle: ShapePath.RoundJoin
            capStyle: ShapePath.RoundCap
            PathPolyline {
                path: root.points
            }
        }
    }
}
