import QtQuick
import QtQuick.Layouts
import Brisvane.UI.Design
import Brisvane.UI.Settings

// The alerts: the temperature that raises one, and whether a fan that stops is told.
SettingsSection {
    id: root

    required property AppSettingsModel model

    title: qsTrId("settings.alerts.sectionTitle")

    SettingsPickerRow {
        objectName: "temperatureAlertRow"
        Layout.fillWidth: true
        Layout.topMargin: Theme.spacingSmall + 2
        Layout.bottomMargin: Theme.spacingSmall + 2
        title: qsTrId("settings.alerts.temperature.title")
        subtitle: qsTrId("settings.alerts.temperature.subtitle")
        options: root.model.temperatureAlertOptions
        selection: String(root.model.temperatureAlertCelsius)
        onSelected: value => root.model.temperatureAlertCelsius = Number(value)
    }
    SettingsToggleRow {
        objectName: "fanAlertsRow"
        Layout.fillWidth: true
        Layout.topMargin: Theme.spacingSmall + 2
        Layout.bottomMargin: Theme.spacingSmall + 2
        title: qsTrId("settings.alerts.fans.title")
        subtitle: qsTrId("settings.alerts.fans.subtitle")
        isOn: root.model.fanAlertsEnabled
        onChangeRequested: on => root.model.fanAlertsEnabled = on
    }
}
