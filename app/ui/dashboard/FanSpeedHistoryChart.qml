pragma ComponentBehavior: Bound

import QtQuick
import QtQuick.Layouts
import QtQuick.Shapes
import Brisvane.UI.Design
import Brisvane.UI.Dashboard

// One smoothed line per fan, the first solid and the others dashed, with a legend of line
// samples above and the time labels below.
ColumnLayout {
    id: root

    required property HistoryChartModel model

    spacing: Theme.spacingSmall
    Accessible.role: Accessible.Chart
    Accessible.name: model ? model.summary : ""

    // Positioners rather than layouts: the entries are replaced when the legend changes.
    Row {
        spacing: 14
        Repeater {
            model: root.model ? root.model.legend : []
            delegate: Row {
                id: entry
                required property var modelData
                spacing: Theme.spacingTight + 2
                Shape {
                    anchors.verticalCenter: parent.verticalCenter
                    width: 18
                    height: 2
                    ShapePath {
                        strokeColor: entry.modelData.color
                        strokeWidth: 2
                        fillColor: "transparent"
                        strokeStyle: entry.modelData.dashed ? ShapePath.DashLine
                                                            : ShapePath.SolidLine
                        dashPattern: [2.5, 2]
                        capStyle: ShapePath.FlatCap
                        startX: 0
                        startY: 1
                        PathLine {
                            x: 18
                            y: 1
                        }
                    }
                }
                Text {
                    anchors.verticalCenter: parent.verticalCenter
                    text: entry.modelData.name
                    font.family: Theme.fontFamily
                    font.pixelSize: Theme.captionSize + 1
                    color: Theme.colors.secondaryText
                    Accessible.ignored: true
                }
            }
        }
    }

    HistoryChartPlot {
        Layout.fillWidth: true
        model: root.model
        plotHeight: 90
        showsTimeLabels: true
    }
}
