import QtQuick
import QtQuick.Shapes
import Brisvane.UI.Design

// The gauge ring: a track over the whole sweep and a fill to `fraction`, both in gradients, and
// over both the ticks at a quarter, half and three quarters. Drawn in a box `lineWidth` larger on
// every side, so round caps are never clipped. A new fraction animates from the fill's position on
// screen.
Item {
    id: root

    property real diameter: 110
    property real lineWidth: 9
    property real gapDegrees: 72
    property real fraction: 0
    property real animationDuration: 1.8
    // The fill end on screen.
    readonly property alias displayedFraction: animation.displayedFraction

    implicitWidth: diameter
    implicitHeight: diameter

    // Off screen nothing animates: the fill jumps to where it belongs.
    onFractionChanged: {
        if (ItemVisibility.isOnScreen)
            animation.setFraction(fraction, animationDuration);
        else
            animation.reset(fraction);
    }
    ItemVisibility.onIsOnScreenChanged: {
        if (!ItemVisibility.isOnScreen)
            animation.reset(fraction);
    }
    Component.onCompleted: animation.reset(fraction)

    FanGaugeAnimation {
        id: animation
    }

    FanGaugeGeometry {
        id: geometry
        diameter: root.diameter
        lineWidth: root.lineWidth
        gapDegrees: root.gapDegrees
    }

    Shape {
        id: shape
        x: (root.width - geometry.boxSize) / 2
        y: (root.height - geometry.boxSize) / 2
        width: geometry.boxSize
        height: geometry.boxSize
        // Smooth edges where the scene graph draws with a GPU (the software renderer's painter
        // antialiases by itself, and its layers lose the shape at scales above 1).
        layer.enabled: GraphicsInfo.api !== GraphicsInfo.Software
        layer.samples: 4
        layer.smooth: true

        ShapePath {
            strokeColor: "transparent"
            fillGradient: LinearGradient {
                x1: 0
                y1: shape.height
                x2: 0
                y2: 0
                GradientStop {
                    position: 0
                    color: Theme.gaugeTrackStart
                }
                GradientStop {
                    position: 1
                    color: Theme.gaugeTrackEnd
                }
            }
            PathSvg {
                path: geometry.trackPath
            }
        }
    }

    // The fill apart from the ring that never moves, so that an animation re-renders and
    // re-tessellates only the fill, and tessellates it off the GUI thread.
    Shape {
        id: fillShape
        x: shape.x
        y: shape.y
        width: shape.width
        height: shape.height
        asynchronous: true
        layer.enabled: shape.layer.enabled
        layer.samples: 4
        layer.smooth: true

        ShapePath {
            strokeColor: "transparent"
            fillGradient: LinearGradient {
                x1: fillShape.width
                y1: fillShape.height
                x2: 0
                y2: 0
                GradientStop {
                    position: 0
                    color: Theme.colors.fanGradientStart
                }
                GradientStop {
                    position: 1
                    color: Theme.colors.fanGradientEnd
                }
            }
            PathSvg {
                path: geometry.arcPath(animation.displayedFraction)
            }
        }
        // The ticks after the fill, so a filled quarter still shows its mark. In the fill's shape
        // they add no layer; a change of the fill re-tessellates only the fill's path.
        ShapePath {
            fillColor: "transparent"
            strokeColor: Theme.gaugeTickColor
            strokeWidth: geometry.tickWidth
            capStyle: ShapePath.FlatCap
            PathSvg {
                path: geometry.tickPath
            }
        }
    }
}
