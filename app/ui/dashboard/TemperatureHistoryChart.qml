pragma ComponentBehavior: Bound

import QtQuick
import QtQuick.Layouts
import Brisvane.UI.Design
import Brisvane.UI.Dashboard

// The CPU and GPU maxima over the history, each an area under a smoothed line, with its legend
// above. Grid lines mark the times; their labels are on the fan-speed chart below.
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
                spacing: Theme.spacingTight + 1
                Rectangle {
                    anchors.verticalCenter: parent.verticalCenter
                    width: 7
                    height: 7
                    radius: 3.5
                    color: entry.modelData.color
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
        plotHeight: 150
    }
}
