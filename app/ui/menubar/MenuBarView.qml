pragma ComponentBehavior: Bound

import QtQuick
import QtQuick.Controls.Basic
import QtQuick.Layouts
import Brisvane.UI.Design
import Brisvane.UI.MenuBar

// The panel's content, 300 points wide: the readings (or the waiting row), the controls (or the
// hint to install the helper), and the footer. It holds no state of its own.
Item {
    id: root

    // Null while the panel is closed: it then follows nothing.
    required property AppState appState
    readonly property real boostPercent: appState ? appState.engine.quickBoostPercent : 0

    // The panel closes, then the main window comes up.
    signal openMainWindowRequested()
    signal openSettingsRequested()
    signal quitRequested()

    implicitWidth: 300
    implicitHeight: column.implicitHeight + 2 * 18

    MenuBarModel {
        id: menuModel
        appState: root.appState
    }

    component SectionCaption: Text {
        font.family: Theme.fontFamily
        font.pixelSize: Theme.captionSize
        font.weight: Font.DemiBold
        font.capitalization: Font.AllUppercase
        font.letterSpacing: 0.5
        color: Theme.colors.secondaryText
    }

    component Divider: Rectangle {
        Layout.fillWidth: true
        implicitHeight: 1
        color: Theme.separatorColor
    }

    component FooterButton: PressableButton {
        id: footerButton
        Layout.fillWidth: true
        font.pixelSize: Theme.subheadlineSize
        font.weight: Font.Medium
        horizontalPadding: 4
        background: Rectangle {
            radius: Theme.controlRadius
            color: footerButton.hovered || footerButton.down ? Theme.cardColor : "transparent"
        }
    }

    ColumnLayout {
        id: column
        x: 16
        y: 18
        width: root.width - 32
        spacing: 12

        MenuBarAlertRow {
            Layout.fillWidth: true
            alerts: root.appState ? root.appState.alerts : null
        }

        // Readings.
        ColumnLayout {
            Layout.fillWidth: true
            spacing: 10
            visible: menuModel.hasSample

            Repeater {
                model: menuModel
                delegate: MenuBarFanRow {
                    Layout.fillWidth: true
                }
            }
            MenuBarTemperatureRow {
                Layout.fillWidth: true
                label: qsTrId("menuBar.temperature.cpu")
                iconSystemName: "cpu"
                celsius: menuModel.cpuCelsius
            }
            MenuBarTemperatureRow {
                Layout.fillWidth: true
                label: qsTrId("menuBar.temperature.gpu")
                iconSystemName: "cpu.fill"
                celsius: menuModel.gpuCelsius
            }
        }
        RowLayout {
            objectName: "waitingRow"
            Layout.fillWidth: true
            Layout.topMargin: 8
            Layout.bottomMargin: 8
            visible: !menuModel.hasSample
            spacing: 8

            SpinningFanIndicator {
                size: 14
                speed: 1
            }
            Text {
                text: qsTrId("menuBar.waitingForSensors")
                font.family: Theme.fontFamily
                font.pixelSize: Theme.subheadlineSize
                color: Theme.colors.secondaryText
            }
        }

        Divider {}

        // Controls, or the hint while the helper is missing.
        // Loaded only when shown, so that assistive technology finds only what is on screen.
        // A plain item holds each view: a Qt 6.4 layout can keep a destroyed child of a repeater
        // and crash on its next resize.
        Item {
            id: controlsHolder
            Layout.fillWidth: true
            implicitHeight: controlsRepeater.count > 0 ? controlsRepeater.itemAt(0).implicitHeight : 0
            visible: controlsRepeater.count > 0
            Repeater {
                id: controlsRepeater
                model: menuModel.helperInstalled ? [true] : []
                delegate: controlsComponent
                onItemAdded: (index, item) => item.width = Qt.binding(() => controlsHolder.width)
            }
        }
        Item {
            id: hintHolder
            Layout.fillWidth: true
            implicitHeight: hintRepeater.count > 0 ? hintRepeater.itemAt(0).implicitHeight : 0
            visible: hintRepeater.count > 0
            Repeater {
                id: hintRepeater
                model: menuModel.helperInstalled ? [] : [true]
                delegate: hintComponent
                onItemAdded: (index, item) => item.width = Qt.binding(() => hintHolder.width)
            }
        }

        ColumnLayout {
            Layout.fillWidth: true
            spacing: 2

            Divider {}
            FooterButton {
                text: qsTrId("menuBar.openApplicationButton")
                symbol: "macwindow"
                tint: Theme.colors.accent
                onClicked: root.openMainWindowRequested()
            }
            FooterButton {
                text: qsTrId("menuBar.quitButton")
                symbol: "power"
                tint: Theme.colors.secondaryText
                ToolTip.text: qsTrId("menuBar.quitButton.help")
                ToolTip.visible: hovered
                ToolTip.delay: 800
                onClicked: root.quitRequested()
            }
        }
    }

    Component {
        id: controlsComponent

        Item {
            Layout.fillWidth: true
            implicitHeight: controls.implicitHeight

            ColumnLayout {
                id: controls
                width: parent.width
                spacing: 16
                opacity: menuModel.isTakingControl ? 0 : 1
                enabled: !menuModel.isTakingControl

                ColumnLayout {
                    Layout.fillWidth: true
                    spacing: 8

                    RowLayout {
                        Layout.fillWidth: true
                        SectionCaption { text: qsTrId("menuBar.preset.caption") }
                        Item { Layout.fillWidth: true }
                        // Created only when shown: assistive technology finds it only then.
                        // A plain item holds it, as above.
                        Item {
                            implicitWidth: unavailableRepeater.count > 0
                                           ? unavailableRepeater.itemAt(0).implicitWidth : 0
                            implicitHeight: unavailableRepeater.count > 0
                                            ? unavailableRepeater.itemAt(0).implicitHeight : 0
                            visible: unavailableRepeater.count > 0
                            Repeater {
                                id: unavailableRepeater
                                model: menuModel.controlUnavailable ? [true] : []
                                delegate: Row {
                                    objectName: "controlUnavailable"
                                    spacing: 3
                                    Accessible.role: Accessible.StaticText
                                    Accessible.name: unavailableText.text

                                    SymbolImage {
                                        anchors.verticalCenter: parent.verticalCenter
                                        name: "exclamationmark.triangle.fill"
                                        size: Theme.captionSize
                                        color: Theme.colors.panelWarning
                                    }
                                    Text {
                                        id: unavailableText
                                        text: qsTrId("shared.mode.controlUnavailable")
                                        font.family: Theme.fontFamily
                                        font.pixelSize: Theme.captionSize
                                        font.weight: Font.Medium
                                        color: Theme.colors.panelWarning
                                        Accessible.ignored: true
                                    }
                                }
                            }
                        }
                    }
                    FlowLayout {
                        Layout.fillWidth: true
                        spacing: 6
                        rowSpacing: 6

                        Repeater {
                            model: menuModel.chips
                            delegate: MenuBarPresetChip {
                                required property var modelData
                                text: modelData.title
                                symbol: modelData.symbol
                                isActive: modelData.active
                                onClicked: menuModel.choosePreset(modelData.id)
                            }
                        }
                    }
                }

                ColumnLayout {
                    Layout.fillWidth: true
                    spacing: 6

                    RowLayout {
                        Layout.fillWidth: true
                        SectionCaption { text: qsTrId("menuBar.boost.caption") }
                        Item { Layout.fillWidth: true }
                        Text {
                            objectName: "boostPercent"
                            text: qsTrId("menuBar.boost.percent")
                                  .arg(Math.trunc(root.boostPercent))
                            font.family: Theme.fontFamily
                            font.pixelSize: Theme.captionSize
                            font.weight: Font.DemiBold
                            color: root.boostPercent > 0
                                   ? Theme.colors.accent : Theme.colors.secondaryText
                        }
                    }
                    // The symbol centred in the rows' 20-point symbol column, the track
                    // starting where the fans' bars do.
                    RowLayout {
                        Layout.fillWidth: true
                        spacing: 4

                        SymbolImage {
                            Layout.leftMargin: 4
                            name: "wind"
                            size: 12
                            color: Theme.colors.secondaryText
                        }
                        Slider {
                            id: boost
                            objectName: "boostSlider"
                            Layout.fillWidth: true
                            from: 0
                            to: 100
                            stepSize: 5
                            snapMode: Slider.SnapAlways
                            value: root.boostPercent
                            // Qt 6.4's accessibility bridge reads a slider's range from these
                            // two names, not from `from` and `to`.
                            readonly property real minimumValue: from
                            readonly property real maximumValue: to
                            Accessible.name: qsTrId("menuBar.boost.caption")
                            implicitHeight: 18
                            // The track ends where the rows above end, under the percent.
                            padding: 0

                            background: Rectangle {
                                x: boost.leftPadding
                                y: boost.topPadding + (boost.availableHeight - height) / 2
                                width: boost.availableWidth
                                height: 4
                                radius: 2
                                color: Theme.colors.sliderTrack

                                Rectangle {
                                    width: boost.visualPosition * parent.width
                                    height: parent.height
                                    radius: 2
                                    color: Theme.colors.accent
                                }
                            }
                            handle: Rectangle {
                                x: boost.leftPadding + boost.visualPosition * (boost.availableWidth - width)
                                y: boost.topPadding + (boost.availableHeight - height) / 2
                                width: 14
                                height: 14
                                radius: 7
                                color: Theme.colors.knobFill
                                border.width: 0.5
                                border.color: Theme.colors.sliderKnobBorder
                            }
                            // Pointer, keys and assistive technology alike; every assignment
                            // schedules a push in the engine.
                            onValueChanged: {
                                if (root.appState && value !== root.boostPercent)
                                    root.appState.engine.quickBoostPercent = value;
                            }
                        }
                    }
                }
            }

            Column {
                objectName: "startingOverlay"
                anchors.centerIn: parent
                visible: menuModel.isTakingControl
                spacing: 8

                SpinningFanIndicator {
                    anchors.horizontalCenter: parent.horizontalCenter
                    size: 22
                    speed: visible ? 1 : 0
                }
                Text {
                    text: qsTrId("shared.mode.startingBoost")
                    font.family: Theme.fontFamily
                    font.pixelSize: Theme.subheadlineSize
                    color: Theme.colors.secondaryText
                }
            }
        }
    }

    Component {
        id: hintComponent

        Card {
            objectName: "helperMissingHint"
            Layout.fillWidth: true
            padding: 12
            cornerRadius: 10
            border.color: Theme.hintBorderColor

            ColumnLayout {
                width: parent.width
                spacing: 6

                RowLayout {
                    spacing: 6
                    SymbolImage {
                        name: "wrench.and.screwdriver"
                        size: Theme.subheadlineSize + 2
                        color: Theme.textColor
                    }
                    Text {
                        Accessible.role: Accessible.StaticText
                        Accessible.name: text
                        text: qsTrId("menuBar.helperMissing.title")
                        font.family: Theme.fontFamily
                        font.pixelSize: Theme.subheadlineSize
                        font.weight: Font.DemiBold
                        color: Theme.textColor
                    }
                }
                Text {
                    Layout.fillWidth: true
                    text: qsTrId("menuBar.helperMissing.body")
                    wrapMode: Text.WordWrap
                    font.family: Theme.fontFamily
                    font.pixelSize: Theme.captionSize
                    color: Theme.colors.secondaryText
                }
                PressableButton {
                    text: qsTrId("menuBar.openSettingsButton")
                    font.pixelSize: Theme.subheadlineSize
                    verticalPadding: 3
                    onClicked: root.openSettingsRequested()
                }
            }
        }
    }
}
