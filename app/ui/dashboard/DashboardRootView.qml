pragma ComponentBehavior: Bound

import QtQuick
import QtQuick.Layouts
import Brisvane.UI.Design
import Brisvane.UI.Dashboard

// The dashboard: the loading view until the first sample, then the fans, the temperatures and
// their history, or the unsupported view when the machine offers nothing readable. Only the
// views shown exist, so assistive technology finds only what is on screen. A null state (the
// window is off screen) holds and follows nothing.
Item {
    id: root

    required property AppState appState

    implicitHeight: column.implicitHeight + 2 * column.padding

    DashboardModel {
        id: dashboard
        appState: root.appState
    }

    // A plain column, not a layout: a Qt 6.4 layout can keep a destroyed child of a repeater
    // and crash on its next resize.
    Column {
        id: column

        readonly property real padding: 20

        x: padding
        y: padding
        width: root.width - 2 * padding
        spacing: 20

        // Repeaters of one or no view: only the views shown exist.
        Repeater {
            model: dashboard.isLoading ? [true] : []
            delegate: loadingComponent
        }
        Repeater {
            model: dashboard.isUnsupported ? [true] : []
            delegate: unsupportedComponent
        }
        Repeater {
            model: dashboard.showsContent && dashboard.showsHelperBanner ? [true] : []
            delegate: bannerComponent
        }
        Repeater {
            model: dashboard.showsContent ? [true] : []
            delegate: contentComponent
        }
    }

    Component {
        id: loadingComponent
        SensorLoadingView {
            width: column.width
        }
    }
    Component {
        id: unsupportedComponent
        UnsupportedHardwareView {
            width: column.width
        }
    }
    Component {
        id: bannerComponent
        HelperMissingBanner {
            width: column.width
        }
    }
    Component {
        id: contentComponent
        ColumnLayout {
            width: column.width
            spacing: 20
            FanHeroCard {
                Layout.fillWidth: true
                dashboard: dashboard
            }
            TemperatureOverviewRow {
                Layout.fillWidth: true
                dashboard: dashboard
            }
            HistoryCard {
                Layout.fillWidth: true
                appState: root.appState
            }
        }
    }
}
