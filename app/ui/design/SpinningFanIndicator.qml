import QtQuick
import Brisvane.UI.Design

// Blades of `size` at `speed` revolutions per second, in the accent colour.
SpinningFanBlades {
    property real size: 16
    property real speed: 0

    diameter: size
    revolutionsPerSecond: speed
    fill: FanMark.Accent
}
