pragma ComponentBehavior: Bound

import QtQuick
import QtQuick.Layouts
import Brisvane.UI.Design
import Brisvane.UI.Dashboard

// The dashboard: the loading view until the first sample, then the fans, the temperatures and
// their history, or the unsupported view when the machine offers nothing readable. A null
// state (the window is off screen) holds and follows nothing.
Item {
    id: root

    required property AppState appState

    implicitHeight: column.implicitHeight + 2 * column.padding

    DashboardModel {
        id: dashboard
        appState: root.appState
    }

    ColumnLayout {
        id: column

        readonly property real padding: 20

        x: padding
        y: padding
        width: root.width - 2 * padding
        spacing: 20

        SensorLoadingView {
            Layout.fillWidth: true
            visible: dashboard.isLoading
        }
        UnsupportedHardwareView {
            Layout.fillWidth: true
            visible: dashboard.isUnsupported
        }
        HelperMissingBanner {
            Layout.fillWidth: true
            visible: dashboard.showsContent && dashboard.showsHelperBanner
        }
        FanHeroCard {
            Layout.fillWidth: true
            visible: dashboard.showsContent
            dashboard: dashboard
        }
        TemperatureOverviewRow {
            Layout.fillWidth: true
            visible: dashboard.showsContent
            dashboard: dashboard
        }
        HistoryCard {
            Layout.fillWidth: true
            visible: dashboard.showsContent
            appState: dashboard.showsContent ? root.appState : null
        }
    }
}
