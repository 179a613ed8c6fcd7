pragma ComponentBehavior: Bound

import QtQuick
import QtQuick.Controls.Basic
import QtQuick.Layouts
import Brisvane.UI.Design

// Every element of the design system in every state, for a person to look at.
Window {
    id: gallery

    // "light" or "dark"; anything else follows the platform.
    required property string forcedColorScheme

    title: "Brisvane design system"
    width: 980
    height: page.implicitHeight + 2 * Theme.pagePadding
    color: Theme.windowColor

    Binding {
        target: Theme
        property: "forcedColorScheme"
        value: gallery.forcedColorScheme
    }

    component Heading: Text {
        font.family: Theme.fontFamily
        font.pixelSize: Theme.title3Size
        font.weight: Font.DemiBold
        color: Theme.textColor
    }
    component Caption: Text {
        font.family: Theme.fontFamily
        font.pixelSize: Theme.captionSize
        color: Theme.colors.secondaryText
    }

    ColumnLayout {
        id: page
        x: Theme.pagePadding
        y: Theme.pagePadding
        width: gallery.width - 2 * Theme.pagePadding
        spacing: Theme.spacingLarge

        RowLayout {
            spacing: Theme.spacingMedium
            Image {
                source: "qrc:/brisvane/org.brisvane.Brisvane.svg"
                sourceSize.width: 40
                sourceSize.height: 40
            }
            Text {
                text: gallery.title + (Theme.isDark ? " · dark" : " · light")
                font.family: Theme.fontFamily
                font.pixelSize: Theme.largeTitleSize
                font.weight: Font.Bold
                color: Theme.textColor
            }
        }

        Heading { text: "Temperature colours, 30–100 °C" }
        Card {
            Layout.fillWidth: true
            Flow {
                width: page.width - 2 * Theme.spacingLarge
                spacing: Theme.spacingLarge
                Repeater {
                    model: 15
                    delegate: Column {
                        id: swatch
                        required property int index
                        readonly property real celsius: 30 + 5 * index
                        spacing: Theme.spacingTight
                        Rectangle {
                            width: 46
                            height: 14
                            radius: 4
                            color: Theme.colors.temperatureColor(swatch.celsius)
                        }
                        TemperatureReadout {
                            label: swatch.celsius + " °C"
                            celsius: swatch.celsius
                        }
                    }
                }
            }
        }

        Heading { text: "Readouts" }
        Card {
            Layout.fillWidth: true
            Row {
                spacing: Theme.spacingExtraLarge
                TemperatureReadout { label: "CPU, emphasised"; celsius: 45.5; emphasized: true }
                TemperatureReadout { label: "99.96 °C"; celsius: 99.96; emphasized: true }
                TemperatureReadout { label: "100 °C"; celsius: 100; emphasized: true }
                TemperatureReadout { label: "Plain"; celsius: 67.5 }
                TemperatureReadout { label: "Value colour"; celsius: 58; valueColor: Theme.colors.accent }
                TemperatureReadout { label: "Centred"; celsius: 72; alignment: Qt.AlignHCenter }
            }
        }

        Heading { text: "Fan gauges" }
        Card {
            Layout.fillWidth: true
            Column {
                spacing: Theme.spacingLarge
                Row {
                    spacing: Theme.spacingExtraLarge
                    Repeater {
                        model: [0, 0.3, 0.8, 1]
                        delegate: Column {
                            id: arcs
                            required property real modelData
                            spacing: Theme.spacingTight
                            FanGaugeArcs {
                                diameter: 110
                                fraction: arcs.modelData
                            }
                            Caption { text: "fraction " + arcs.modelData }
                        }
                    }
                }
                Row {
                    spacing: Theme.spacingExtraLarge
                    FanGaugeView { title: "Left fan"; rpm: 0; maxRPM: 6000 }
                    FanGaugeView { title: "Right fan"; rpm: 2220; maxRPM: 6000 }
                    FanGaugeView { title: "Fan 3"; rpm: 7400; maxRPM: 6000 }
                }
                // Readouts of other digits, each outlined: the outlines are as wide.
                Row {
                    spacing: Theme.spacingExtraLarge
                    Repeater {
                        model: [[41.1, 1111], [88.8, 8888]]
                        delegate: Row {
                            id: readouts
                            required property var modelData
                            spacing: Theme.spacingLarge
                            Rectangle {
                                width: temperature.implicitWidth
                                height: temperature.implicitHeight
                                color: "transparent"
                                border.color: Theme.separatorColor
                                TemperatureReadout {
                                    id: temperature
                                    label: "CPU"
                                    celsius: readouts.modelData[0]
                                    emphasized: true
                                }
                            }
                            Rectangle {
                                width: speed.implicitWidth
                                height: speed.implicitHeight
                                color: "transparent"
                                border.color: Theme.separatorColor
                                Text {
                                    id: speed
                                    text: Readouts.fanSpeed(readouts.modelData[1]) + " rpm"
                                    font.family: Theme.fontFamily
                                    font.pixelSize: Theme.readoutSize
                                    font.weight: Font.DemiBold
                                    color: Theme.textColor
                                }
                            }
                        }
                    }
                }
            }
        }

        Heading { text: "Fan blades" }
        Card {
            Layout.fillWidth: true
            Row {
                spacing: Theme.spacingExtraLarge
                Repeater {
                    model: [
                        { caption: "parked", fill: FanMark.Parked, speed: 0 },
                        { caption: "airflow, 1 rps", fill: FanMark.Airflow, speed: 1 },
                        { caption: "accent, 2 rps", fill: FanMark.Accent, speed: 2 }
                    ]
                    delegate: Column {
                        id: bladesSample
                        required property var modelData
                        spacing: Theme.spacingTight
                        SpinningFanBlades {
                            diameter: 64
                            fill: bladesSample.modelData.fill
                            revolutionsPerSecond: bladesSample.modelData.speed
                        }
                        Caption { text: bladesSample.modelData.caption }
                    }
                }
                Column {
                    spacing: Theme.spacingTight
                    SpinningFanIndicator { size: 16; speed: 1 }
                    Caption { text: "indicator 16" }
                }
                Column {
                    spacing: Theme.spacingTight
                    SpinningFanMark { diameter: 32 }
                    Caption { text: "mark 32" }
                }
                Column {
                    spacing: Theme.spacingTight
                    FanGlyph { size: 24 }
                    Caption { text: "glyph 24" }
                }
                Column {
                    spacing: Theme.spacingTight
                    FanBladesShape {
                        width: 64
                        height: 64
                        color: Theme.colors.accent
                    }
                    Caption { text: "outline 64" }
                }
            }
        }

        Heading { text: "Buttons" }
        Card {
            Layout.fillWidth: true
            Row {
                spacing: Theme.spacingMedium
                PressableButton { text: "Open Brisvane"; symbol: "macwindow"; tint: Theme.colors.accent }
                PressableButton { text: "Install"; prominent: true }
                PressableButton { text: "Disabled"; symbol: "trash"; enabled: false }
                PressableButton { symbol: "ellipsis"; ToolTip.text: "More presets" }
            }
        }

        Heading { text: "Symbols" }
        Card {
            Layout.fillWidth: true
            Flow {
                width: page.width - 2 * Theme.spacingLarge
                spacing: Theme.spacingMedium
                Repeater {
                    // The last one is unknown: it shows the fallback.
                    model: [...SymbolCatalog.names, "no.such.symbol"]
                    delegate: Column {
                        id: symbolSample
                        required property string modelData
                        width: 140
                        spacing: Theme.spacingTight
                        SymbolImage {
                            name: symbolSample.modelData
                            size: 20
                        }
                        Caption {
                            width: parent.width
                            text: symbolSample.modelData
                            elide: Text.ElideMiddle
                        }
                    }
                }
            }
        }
    }
}
