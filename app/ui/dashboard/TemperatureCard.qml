import QtQuick
import QtQuick.Layouts
import Brisvane.UI.Design
import Brisvane.UI.Dashboard

// One die: its accent dot and title, the average as a readout, the hottest core and the peak
// of this session below it; the alert's badge in the corner while one about the die lasts.
Card {
    id: root

    required property string title
    // Absent (undefined): no dot.
    property var accentColor
    required property real averageCelsius
    required property real hottestCoreCelsius
    required property real sessionPeakCelsius
    // "CPU at 91 °C" while the temperature alert is about this die, else empty.
    property string alertMessage

    cached: true
    padding: 24
    cornerRadius: 16
    Accessible.role: Accessible.StaticText
    Accessible.name: TemperatureCardText.accessibleName(
                         title, averageCelsius, hottestCoreCelsius, sessionPeakCelsius)

    ColumnLayout {
        width: parent.width
        spacing: Theme.spacingSmall

        RowLayout {
            spacing: Theme.spacingSmall
            Rectangle {
                visible: root.accentColor !== undefined
                width: 8
                height: 8
                radius: 4
                color: root.accentColor !== undefined ? root.accentColor : "transparent"
            }
            Text {
                text: root.title
                font.family: Theme.fontFamily
                font.pixelSize: Theme.headlineSize
                font.weight: Font.DemiBold
                color: Theme.textColor
                Accessible.ignored: true
            }
        }
        TemperatureReadout {
            label: qsTrId("dashboard.temperature.averageLabel")
            celsius: root.averageCelsius
            emphasized: true
            Accessible.ignored: true
        }
        Column {
            spacing: 2
            Text {
                text: TemperatureCardText.hottestCoreCaption(root.hottestCoreCelsius)
                font.family: Theme.fontFamily
                font.pixelSize: Theme.captionSize + 1
                color: Theme.colors.secondaryText
                Accessible.ignored: true
            }
            Text {
                text: TemperatureCardText.sessionPeakCaption(root.sessionPeakCelsius)
                font.family: Theme.fontFamily
                font.pixelSize: Theme.captionSize + 1
                color: Theme.colors.secondaryText
                Accessible.ignored: true
            }
        }
    }

    // On the card itself, outside the content whose size makes the card's: placed by the
    // card's width, inside the content it would make a binding loop.
    AlertBadge {
        parent: root
        x: root.width - width - 12
        y: 12
        message: root.alertMessage
    }
}
