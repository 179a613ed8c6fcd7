pragma ComponentBehavior: Bound

import QtQuick
import QtQuick.Shapes
import Brisvane.UI.Design
import Brisvane.UI.Dashboard

// A history chart's plot: grid lines at the model's ticks, one smoothed line per series (with
// its gradient area where the series has one), the value labels at the trailing edge and, if
// asked, the time labels below. The lines stay in data space: ShapePath.scale maps them to
// points and the Shape's position shifts them, so a new sample only appends to each line.
Item {
    id: root

    required property HistoryChartModel model
    required property real plotHeight
    property bool showsTimeLabels: false

    readonly property real valueLabelWidth: 40
    // Room above and below the plot for the halves of the outermost value labels.
    readonly property real labelOverhang: Math.ceil(timeLabelHeight.height / 2)
    readonly property color gridColor: Theme.gridLineColor

    // The model's figures, safe while the chart is torn down after its model.
    readonly property real xLower: model ? model.xLower : 0
    readonly property real xUpper: model ? model.xUpper : 1
    readonly property real yLower: model ? model.yLower : 0
    readonly property real yUpper: model ? model.yUpper : 1
    readonly property real newestX: model ? model.newestX : 0
    readonly property var timeTicks: model ? model.timeTicks : []
    readonly property var valueTicks: model ? model.valueTicks : []

    implicitHeight: plotHeight + 2 * labelOverhang + (showsTimeLabels ? timeLabelHeight.height + 4 : 0)

    Text {
        id: timeLabelHeight
        visible: false
        text: "0"
        font.family: Theme.fontFamily
        font.pixelSize: Theme.captionSize
    }

    Item {
        id: plot

        readonly property real xScale: width / Math.max(root.xUpper - root.xLower, 1e-9)
        readonly property real yScale: height / Math.max(root.yUpper - root.yLower, 1e-9)

        function xAt(value: real): real {
            return (value - root.xLower) * xScale;
        }
        function yAt(value: real): real {
            return (root.yUpper - value) * yScale;
        }

        y: root.labelOverhang
        width: root.width - root.valueLabelWidth
        height: root.plotHeight
        clip: true

        Repeater {
            model: root.valueTicks
            delegate: Rectangle {
                required property var modelData
                x: 0
                y: Math.min(plot.height - 1, Math.round(plot.yAt(modelData.y)))
                width: plot.width
                height: 1
                color: root.gridColor
            }
        }
        Repeater {
            model: root.timeTicks
            delegate: Rectangle {
                required property var modelData
                x: Math.min(plot.width - 1,
                            Math.round(plot.xAt(root.newestX + 60 * modelData.minutes)))
                y: 0
                width: 1
                height: plot.height
                color: root.gridColor
            }
        }

        Repeater {
            model: root.model
            delegate: Shape {
                id: series

                required property var polyline
                required property color seriesColor
                required property bool dashed
                required property var dashPattern
                required property real firstX
                required property real lastX
                required property bool showsArea
                required property color areaTopColor
                required property color areaBottomColor

                // Data-space origin placed where the domains put it.
                x: -root.xLower * plot.xScale
                y: root.yUpper * plot.yScale
                width: 1
                height: 1
                asynchronous: true

                ShapePath {
                    scale: Qt.size(plot.xScale, -plot.yScale)
                    strokeColor: "transparent"
                    fillColor: "transparent"
                    fillGradient: series.showsArea ? areaGradient : null

                    PathPolyline {
                        path: series.showsArea ? series.polyline : []
                    }
                    PathLine {
                        x: series.lastX
                        y: root.yLower
                    }
                    PathLine {
                        x: series.firstX
                        y: root.yLower
                    }
                }
                LinearGradient {
                    id: areaGradient
                    x1: 0
                    y1: -series.y
                    x2: 0
                    y2: plot.height - series.y
                    GradientStop {
                        position: 0
                        color: series.areaTopColor
                    }
                    GradientStop {
                        position: 1
                        color: series.areaBottomColor
                    }
                }
                ShapePath {
                    scale: Qt.size(plot.xScale, -plot.yScale)
                    strokeColor: series.seriesColor
                    strokeWidth: 2
                    fillColor: "transparent"
                    capStyle: ShapePath.RoundCap
                    joinStyle: ShapePath.RoundJoin
                    strokeStyle: series.dashed ? ShapePath.DashLine : ShapePath.SolidLine
                    dashPattern: series.dashPattern

                    PathPolyline {
                        path: series.polyline
                    }
                }
            }
        }
    }

    Repeater {
        model: root.valueTicks
        delegate: Text {
            required property var modelData
            x: plot.width + 6
            y: plot.y + plot.yAt(modelData.y) - height / 2
            text: modelData.label
            font.family: Theme.fontFamily
            font.pixelSize: Theme.captionSize
            color: Theme.colors.secondaryText
            Accessible.ignored: true
        }
    }
    Repeater {
        model: root.showsTimeLabels ? root.timeTicks : []
        delegate: Text {
            required property var modelData
            x: Math.max(0, Math.min(plot.width - width,
                                    plot.xAt(root.newestX + 60 * modelData.minutes)
                                    - width / 2))
            y: plot.y + plot.height + root.labelOverhang + 4
            text: modelData.label
            font.family: Theme.fontFamily
            font.pixelSize: Theme.captionSize
            color: Theme.colors.secondaryText
            Accessible.ignored: true
        }
    }
}
