import QtQuick
import QtQuick.Layouts
import Brisvane.UI.Design
import Brisvane.UI.Dashboard

// The CPU and GPU cards side by side: the latest averages, the smoothed hottest cores and the
// session peaks.
RowLayout {
    id: root

    // Null for a moment while the dashboard is destroyed, before this row is.
    required property DashboardModel dashboard

    spacing: 20

    TemperatureCard {
        Layout.fillWidth: true
        Layout.preferredWidth: 1
        title: qsTrId("dashboard.temperature.cpuTitle")
        accentColor: Theme.colors.cpuSeries
        averageCelsius: root.dashboard?.cpuAverage ?? NaN
        hottestCoreCelsius: root.dashboard?.cpuHottestCore ?? NaN
        sessionPeakCelsius: root.dashboard?.cpuPeak ?? NaN
        alertMessage: root.dashboard?.appState?.alerts.cpuMessage ?? ""
    }
    TemperatureCard {
        Layout.fillWidth: true
        Layout.preferredWidth: 1
        title: qsTrId("dashboard.temperature.gpuTitle")
        accentColor: Theme.colors.gpuSeries
        averageCelsius: root.dashboard?.gpuAverage ?? NaN
        hottestCoreCelsius: root.dashboard?.gpuHottestCore ?? NaN
        sessionPeakCelsius: root.dashboard?.gpuPeak ?? NaN
        alertMessage: root.dashboard?.appState?.alerts.gpuMessage ?? ""
    }
}
