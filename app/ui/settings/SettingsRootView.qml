import QtQuick
import QtQuick.Layouts
import Brisvane.UI.Design
import Brisvane.UI.Settings

// The settings: the helper daemon, the temperature the fans follow, the alerts, launch at login
// and the Dock icon, and the versions. Made when the section comes on screen and dropped when it
// leaves, so an operation's error and the login item's state are fresh each time.
Item {
    id: root

    required property AppState appState

    implicitHeight: column.implicitHeight + 2 * column.y

    HelperSettingsModel {
        id: helperModel
        helper: root.appState.helper
        active: root.visible
    }

    AppSettingsModel {
        id: appModel
        telemetry: root.appState.telemetry
    }

    ColumnLayout {
        id: column
        x: Theme.pagePadding
        y: Theme.spacingExtraLarge
        width: root.width - 2 * x
        spacing: Theme.spacingExtraLarge

        HelperSettingsSection {
            Layout.fillWidth: true
            model: helperModel
        }

        SettingsSection {
            Layout.fillWidth: true
            title: qsTrId("settings.fanBoost.sectionTitle")

            SettingsPickerRow {
                Layout.fillWidth: true
                Layout.topMargin: Theme.spacingSmall + 2
                Layout.bottomMargin: Theme.spacingSmall + 2
                title: qsTrId("settings.fanBoost.temperatureSource.title")
                subtitle: qsTrId("settings.fanBoost.temperatureSource.subtitle")
                options: [
                    { title: qsTrId("settings.fanBoost.temperatureSource.average"), value: "average" },
                    { title: qsTrId("settings.fanBoost.temperatureSource.hottest"), value: "hottestCore" }
                ]
                selection: appModel.temperatureSource
                onSelected: value => appModel.temperatureSource = value
            }
        }

        AlertsSettingsSection {
            Layout.fillWidth: true
            model: appModel
        }

        SettingsSection {
            Layout.fillWidth: true
            title: qsTrId("settings.general.sectionTitle")

            SettingsToggleRow {
                objectName: "launchAtLoginRow"
                Layout.fillWidth: true
                Layout.topMargin: Theme.spacingSmall + 2
                Layout.bottomMargin: Theme.spacingSmall + 2
                title: qsTrId("settings.general.launchAtLogin.title")
                subtitle: qsTrId("settings.general.launchAtLogin.subtitle")
                isOn: appModel.launchAtLoginEnabled
                onChangeRequested: on => appModel.launchAtLoginEnabled = on
            }
            RowLayout {
                visible: appModel.launchAtLoginErrorMessage !== ""
                Layout.fillWidth: true
                Layout.bottomMargin: Theme.spacingSmall + 2
                spacing: Theme.spacingTight + 2
                Accessible.role: Accessible.StaticText
                Accessible.name: appModel.launchAtLoginErrorMessage
                SymbolImage {
                    Layout.alignment: Qt.AlignTop
                    name: "exclamationmark.circle.fill"
                    size: Theme.captionSize + 4
                    color: Theme.colors.tint(StatusTint.Red)
                }
                Text {
                    Layout.fillWidth: true
                    text: appModel.launchAtLoginErrorMessage
                    wrapMode: Text.WordWrap
                    font.family: Theme.fontFamily
                    font.pixelSize: Theme.captionSize + 1
                    color: Theme.colors.tint(StatusTint.Red)
                    Accessible.ignored: true
                }
            }
            SettingsToggleRow {
                Layout.fillWidth: true
                Layout.topMargin: Theme.spacingSmall + 2
                Layout.bottomMargin: Theme.spacingSmall + 2
                title: qsTrId("settings.general.hideDockIcon.title")
                subtitle: qsTrId("settings.general.hideDockIcon.subtitle")
                isOn: appModel.hideDockIconWhenWindowClosed
                onChangeRequested: on => appModel.hideDockIconWhenWindowClosed = on
            }
        }

        SettingsSection {
            Layout.fillWidth: true
            title: qsTrId("settings.about.sectionTitle")

            RowLayout {
                Layout.fillWidth: true
                Layout.topMargin: Theme.spacingMedium
                Layout.bottomMargin: Theme.spacingMedium
                spacing: Theme.spacingMedium

                Item {
                    implicitWidth: 48
                    implicitHeight: 48
                    // A soft shadow under the tile: rounded rings, fading outwards.
                    Repeater {
                        model: 4
                        delegate: Rectangle {
                            required property int index
                            readonly property real grow: index + 0.5
                            x: 1 - grow
                            y: 2 - grow
                            width: 46 + 2 * grow
                            height: width
                            radius: 10.5 + grow
                            color: Theme.colors.tileShadow
                            opacity: 0.2 / (index + 2)
                        }
                    }
                    Image {
                        anchors.fill: parent
                        source: "qrc:/brisvane/org.brisvane.Brisvane.svg"
                        sourceSize.width: 96
                        sourceSize.height: 96
                        smooth: true
                        Accessible.ignored: true
                    }
                }
                ColumnLayout {
                    Layout.fillWidth: true
                    spacing: 2
                    Text {
                        text: qsTrId("settings.about.applicationName")
                        font.family: Theme.fontFamily
                        font.pixelSize: Theme.headlineSize + 1
                        font.weight: Font.DemiBold
                        color: Theme.textColor
                        Accessible.role: Accessible.StaticText
                        Accessible.name: text
                    }
                    Text {
                        text: qsTrId("settings.about.optimisedForCaption")
                        font.family: Theme.fontFamily
                        font.pixelSize: Theme.captionSize + 1
                        color: Theme.colors.secondaryText
                        Accessible.role: Accessible.StaticText
                        Accessible.name: text
                    }
                }
            }
            SettingsValueRow {
                title: qsTrId("settings.about.versionLabel")
                value: appModel.applicationVersion
            }
            SettingsValueRow {
                objectName: "helperVersionRow"
                visible: helperModel.helperVersion !== ""
                title: qsTrId("settings.about.helperVersionLabel")
                value: helperModel.helperVersion
            }
        }
    }

    component SettingsValueRow: RowLayout {
        id: valueRow

        property string title
        property string value

        Layout.fillWidth: true
        Layout.topMargin: Theme.spacingSmall + 2
        Layout.bottomMargin: Theme.spacingSmall + 2
        Accessible.role: Accessible.StaticText
        Accessible.name: title + ", " + value

        Text {
            Layout.fillWidth: true
            text: valueRow.title
            font.family: Theme.fontFamily
            font.pixelSize: Theme.bodySize
            color: Theme.textColor
            Accessible.ignored: true
        }
        Text {
            text: valueRow.value
            font.family: Theme.fontFamily
            font.pixelSize: Theme.bodySize
            color: Theme.colors.secondaryText
            Accessible.ignored: true
        }
    }
}
