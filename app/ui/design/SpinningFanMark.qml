import QtQuick
import Brisvane.UI.Design

// The app's animated mark: the blades in the fan gradient, one turn every 3.6 seconds.
SpinningFanBlades {
    revolutionsPerSecond: 1 / 3.6
    fill: FanMark.Airflow
}
