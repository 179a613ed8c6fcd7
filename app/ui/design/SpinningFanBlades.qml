import QtQuick
import Brisvane.UI.Design

// The fan blades turning clockwise at `revolutionsPerSecond`, on the render thread. A new speed
// continues from the angle on screen; 0 stops the blades where they stand, and so does taking
// them off screen (hidden, in a hidden or minimised window, or let go of by a Repeater).
Item {
    id: root

    property real diameter: 16
    property real revolutionsPerSecond: 0
    property int fill: FanMark.Airflow

    // The speed the animator runs at; the view, for tests that look at its rendering.
    readonly property real appliedSpeed: internal.appliedSpeed
    readonly property alias view: blades
    readonly property alias spinning: spin.running

    implicitWidth: diameter
    implicitHeight: diameter

    onRevolutionsPerSecondChanged: internal.applySpeed()
    ItemVisibility.onIsOnScreenChanged: internal.applySpeed()
    Component.onCompleted: internal.applySpeed()

    SpinningFanBladesView {
        id: blades
        anchors.centerIn: parent
        width: root.diameter
        height: root.diameter
        diameter: root.diameter
        fill: root.fill
        isDark: Theme.isDark
        accentColor: Theme.colors.accent
    }

    RotationAnimator {
        id: spin
        target: blades
        loops: Animation.Infinite
    }

    QtObject {
        id: internal

        property real appliedSpeed: 0

        function applySpeed() {
            const onScreen = root.ItemVisibility.isOnScreen;
            const speed = onScreen ? Math.max(0, root.revolutionsPerSecond) : 0;
            if (speed === appliedSpeed && (speed === 0) !== spin.running)
                return;
            // Stopping writes the angle on screen back to the item: the next turn starts there.
            spin.stop();
            appliedSpeed = speed;
            if (speed > 0) {
                spin.from = blades.rotation;
                spin.to = blades.rotation + 360;
                spin.duration = 1000 / speed;
                spin.start();
            }
        }
    }
}
