import QtQuick
import QtQuick.Layouts
import Brisvane.UI.Design
import Brisvane.UI.Dashboard

// The CPU and GPU cards side by side: the latest averages, the smoothed hottest cores and the
// session peaks.
RowLayout {
    id: root

    required property DashboardModel dashboard

    spacing: 20

    TemperatureCard {
        Layout.fillWidth: true
        Layout.preferredWidth: 1
        title: qsTrId("dashboard.temperature.cpuTitle")
        accentColor: Theme.colors.cpuSeries
        averageCelsius: root.dashboard.cpuAverage
        hottestCoreCelsius: root.dashboard.cpuHottestCore
        sessionPeakCelsius: root.dashboard.cpuPeak
        alertMessage: root.dashboard?.appState?.alerts.cpuMessage ?? ""
    }
    TemperatureCard {
        Layout.fillWidth: true
        Layout.preferredWidth: 1
        title: qsTrId("dashboard.temperature.gpuTitle")
        accentColor: Theme.colors.gpuSeries
        averageCelsius: root.dashboard.gpuAverage
        hottestCoreCelsius: root.dashboard.gpuHottestCore
        sessionPeakCelsius: root.dashboard.gpuPeak
        alertMessage: root.dashboard?.appState?.alerts.gpuMessage ?? ""
    }
}
