import QtQuick
import Brisvane.UI.Design

// One fan: its name and a spinning glyph beside a 110-point gauge with the speed in its centre.
// The glyph turns at 2.2 × the gauge's fraction revolutions per second, and stands still in the
// parked grey while the fan is stopped.
Row {
    id: root

    required property string title
    required property real rpm
    required property real maxRPM

    readonly property real fraction: Readouts.gaugeFraction(rpm, maxRPM)

    spacing: Theme.spacingLarge

    Accessible.role: Accessible.StaticText
    Accessible.name: Readouts.fanAccessibleName(title, rpm)

    Item {
        width: 110
        height: 110

        FanGaugeArcs {
            anchors.fill: parent
            diameter: 110
            lineWidth: 9
            gapDegrees: 72
            animationDuration: 1.8
            fraction: root.fraction
        }
        Column {
            anchors.centerIn: parent
            Text {
                anchors.horizontalCenter: parent.horizontalCenter
                text: Readouts.fanSpeed(root.rpm)
                font.family: Theme.fontFamily
                font.pixelSize: Theme.readoutSize
                font.weight: Font.DemiBold
                color: Theme.textColor
                Accessible.ignored: true
            }
            Text {
                anchors.horizontalCenter: parent.horizontalCenter
                text: qsTrId("menuBar.fan.rpmUnit")
                font.family: Theme.fontFamily
                font.pixelSize: Theme.captionSize
                color: Theme.colors.secondaryText
                Accessible.ignored: true
            }
        }
    }

    Row {
        anchors.verticalCenter: parent.verticalCenter
        spacing: Theme.spacingSmall

        SpinningFanBlades {
            anchors.verticalCenter: parent.verticalCenter
            diameter: 16
            revolutionsPerSecond: Readouts.fanSpinRevolutionsPerSecond(root.rpm, root.maxRPM)
            fill: root.rpm > 0 ? FanMark.Airflow : FanMark.Parked
        }
        Text {
            anchors.verticalCenter: parent.verticalCenter
            text: root.title
            font.family: Theme.fontFamily
            font.pixelSize: Theme.headlineSize
            font.weight: Font.DemiBold
            color: Theme.textColor
            Accessible.ignored: true
        }
    }
}
