pragma ComponentBehavior: Bound

import QtQuick
import QtQuick.Shapes
import Brisvane.UI.Design
import Brisvane.UI.Curves

// The curve over 20–110 °C and 0–100 %, drawn from what CurveChartModel computes: grid and
// axes, the area and the line, the live operating point, the ghost add handle, the point
// handles, the hover readout and the drag callout. Edits leave as signals for the screen.
Item {
    id: root

    objectName: "fanCurveChart"

    required property CurveEditor editor
    property TelemetryStore telemetry
    readonly property bool isEditable: editor.isEditable

    // The point being dragged, -1 for none; the point the fields below the chart show.
    property int draggedPointIndex: -1
    property int focusedPointIndex: -1
    readonly property alias pointCount: chart.pointCount
    readonly property var focusedEntry: focusedPointIndex >= 0 && focusedPointIndex < chart.handles.length ? chart.handles[focusedPointIndex] : null

    signal movePoint(int index, real tempC, real percent, bool isFinal)
    signal addPoint(real tempC, real percent)
    signal deletePoint(int index)

    // Room for the percent labels on the left, the live label above, the degree labels below.
    readonly property real insetLeft: 40
    readonly property real insetTop: 26
    readonly property real insetRight: 10
    readonly property real insetBottom: 22
    readonly property color gridColor: Theme.gridLineColor
    // Read-only curves in an opaque grey: the line must not show through the handles.
    readonly property color curveColor: isEditable ? Theme.colors.accent : Theme.colors.readOnlyCurve

    function focusPoint(index: int) {
        const handle = handles.itemAt(index);
        if (handle)
            handle.forceActiveFocus();
    }

    CurveChartModel {
        id: chart
        editor: root.editor
        telemetry: root.telemetry
        plotWidth: plot.width
        plotHeight: plot.height
        // A new count comes from an add or delete: the focus no longer names the same point.
        onPointCountChanged: root.focusedPointIndex = -1
    }

    // Another preset: no point of the old one stays focused or dragged. (The store's own
    // changes, such as an edit being saved, keep the focus.)
    readonly property string shownPresetID: editor.selectedID
    onShownPresetIDChanged: {
        focusedPointIndex = -1;
        draggedPointIndex = -1;
    }

    // Axis labels.
    Repeater {
        model: chart.temperatureLines
        delegate: Text {
            required property var modelData
            x: root.insetLeft + modelData.position - width / 2
            y: root.insetTop + plot.height + 4
            text: modelData.label
            font.family: Theme.fontFamily
            font.pixelSize: Theme.captionSize - 1
            color: Theme.colors.secondaryText
            Accessible.ignored: true
        }
    }
    Repeater {
        model: chart.percentLines
        delegate: Text {
            required property var modelData
            x: root.insetLeft - width - 6
            y: root.insetTop + modelData.position - height / 2
            text: modelData.label
            font.family: Theme.fontFamily
            font.pixelSize: Theme.captionSize - 1
            color: Theme.colors.secondaryText
            Accessible.ignored: true
        }
    }

    Item {
        id: plot

        objectName: "curvePlot"
        x: root.insetLeft
        y: root.insetTop
        width: Math.max(0, root.width - root.insetLeft - root.insetRight)
        height: Math.max(0, root.height - root.insetTop - root.insetBottom)

        Repeater {
            model: chart.temperatureLines
            delegate: Rectangle {
                required property var modelData
                x: Math.min(plot.width - 1, Math.round(modelData.position))
                width: 1
                height: plot.height
                color: root.gridColor
            }
        }
        Repeater {
            model: chart.percentLines
            delegate: Rectangle {
                required property var modelData
                y: Math.min(plot.height - 1, Math.round(modelData.position))
                width: plot.width
                height: 1
                color: root.gridColor
            }
        }

        // The other fans' curves, faint behind the one being edited.
        Repeater {
            model: chart.otherLinePaths
            delegate: Shape {
                id: otherLine
                required property var modelData
                anchors.fill: parent
                opacity: 0.3
                ShapePath {
                    strokeColor: Theme.colors.secondaryText
                    strokeWidth: 1.5
                    fillColor: "transparent"
                    joinStyle: ShapePath.RoundJoin
                    PathPolyline {
                        path: otherLine.modelData
                    }
                }
            }
        }

        Shape {
            anchors.fill: parent

            ShapePath {
                strokeColor: "transparent"
                fillGradient: LinearGradient {
                    x1: 0
                    y1: 0
                    x2: 0
                    y2: plot.height
                    GradientStop {
                        position: 0
                        color: Theme.colors.curveAreaTop(root.curveColor)
                    }
                    GradientStop {
                        position: 1
                        color: Theme.colors.curveAreaBottom(root.curveColor)
                    }
                }
                PathPolyline {
                    path: chart.areaPath
                }
            }
            ShapePath {
                strokeColor: root.curveColor
                strokeWidth: 2.5
                fillColor: "transparent"
                joinStyle: ShapePath.RoundJoin
                capStyle: ShapePath.RoundCap
                PathPolyline {
                    path: chart.linePath
                }
            }
        }

        // The live temperature: dashed line, label at the top, the operating point on the curve.
        Item {
            id: live
            anchors.fill: parent
            visible: chart.hasLive
            readonly property color tint: Theme.colors.temperatureColor(chart.liveTemperature)

            Shape {
                anchors.fill: parent
                opacity: 0.45
                ShapePath {
                    strokeColor: live.tint
                    strokeWidth: 1.5
                    strokeStyle: ShapePath.DashLine
                    dashPattern: [3, 3]
                    fillColor: "transparent"
                    startX: chart.liveLineX
                    startY: 0
                    PathLine {
                        x: chart.liveLineX
                        y: plot.height
                    }
                }
            }
            Rectangle {
                x: Math.round(chart.liveLabelX - width / 2)
                y: -root.insetTop + 3
                width: liveLabel.implicitWidth + 10
                height: liveLabel.implicitHeight + 3
                radius: height / 2
                color: live.tint
                Text {
                    id: liveLabel
                    anchors.centerIn: parent
                    text: chart.liveLabel
                    font.family: Theme.fontFamily
                    font.pixelSize: Theme.captionSize - 1
                    font.weight: Font.DemiBold
                    // Dark text on the light tints of the dark appearance.
                    color: Theme.colors.textOn(live.tint)
                    Accessible.ignored: true
                }
            }
            Rectangle {
                x: chart.operatingPoint.x - 4
                y: chart.operatingPoint.y - 4
                width: 8
                height: 8
                radius: 4
                color: live.tint
                border.width: 1.5
                border.color: Theme.cardColor
            }
        }

        // A click where no point is adds one there.
        MouseArea {
            anchors.fill: parent
            enabled: root.isEditable
            cursorShape: ghost.visible ? Qt.CrossCursor : Qt.ArrowCursor
            onClicked: event => {
                if (root.draggedPointIndex >= 0)
                    return;
                const candidate = chart.tapCandidate(Qt.point(event.x, event.y));
                if (candidate)
                    root.addPoint(candidate.tempC, candidate.percent);
            }
        }

        HoverHandler {
            id: hover
        }

        // The ghost handle: where a click would add a point.
        Rectangle {
            id: ghost

            readonly property var candidate: {
                if (!root.isEditable || !hover.hovered || root.draggedPointIndex >= 0 || chart.handles.length < 0)
                    return null;
                return chart.tapCandidate(hover.point.position);
            }

            visible: candidate !== null && candidate !== undefined
            x: visible ? candidate.x - width / 2 : 0
            y: visible ? candidate.y - height / 2 : 0
            width: 15
            height: 15
            radius: width / 2
            color: Theme.colors.accentGhostFill
            border.width: 1.5
            border.color: Theme.colors.accentGhostRing
            SymbolImage {
                anchors.centerIn: parent
                name: "plus"
                size: 11
                color: Theme.colors.accent
            }
        }

        Repeater {
            id: handles
            model: chart.pointCount
            delegate: CurvePointHandle {
                id: handle
                entry: index < chart.handles.length ? chart.handles[index] : null
                editable: root.isEditable
                canDelete: chart.pointCount >= 2
                isDragged: root.draggedPointIndex === index
                plot: plot
                onActiveFocusChanged: {
                    if (activeFocus)
                        root.focusedPointIndex = index;
                }
                onDragged: (location, isFinal) => {
                    const value = chart.dragValue(location);
                    root.draggedPointIndex = isFinal ? -1 : handle.index;
                    root.movePoint(handle.index, value.x, value.y, isFinal);
                }
                onNudged: (dt, dp, large) => root.editor.nudgePoint(handle.index, dt, dp, large)
                onDeleteRequested: root.deletePoint(handle.index)
            }
        }

        // The values under the pointer while hovering an editable chart, not while dragging.
        DragCalloutView {
            readonly property point value: chart.valueAt(hover.point.position)
            visible: root.isEditable && hover.hovered && root.draggedPointIndex < 0
            text: visible ? chart.calloutText(value.x, value.y) : ""
            centerX: chart.calloutCenter(hover.point.position).x
            centerY: chart.calloutCenter(hover.point.position).y
            Accessible.ignored: true
        }

        DragCalloutView {
            readonly property var entry: root.draggedPointIndex >= 0 ? chart.handles[root.draggedPointIndex] : null
            readonly property point center: entry ? chart.calloutCenter(Qt.point(entry.x, entry.y)) : Qt.point(0, 0)
            visible: entry !== null
            text: entry ? chart.calloutText(entry.tempC, entry.percent) : ""
            centerX: center.x
            centerY: center.y
            z: 3
        }
    }
}
