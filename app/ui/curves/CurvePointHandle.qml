import QtQuick
import QtQuick.Controls.Basic
import Brisvane.UI.Design

// One point of the curve: a round handle (13 points, 15 hovered, 18 dragged) in a 30-point hit
// area. It is dragged with the mouse, deleted by double click or its context menu, focused by a
// click, Tab or assistive technology, and moved with the arrow keys while focused.
Item {
    id: root

    required property int index
    // {x, y, tempC, percent, name, value} from the chart model.
    required property var entry
    required property bool editable
    required property bool canDelete
    required property bool isDragged
    // The plot the pointer positions are measured in.
    required property Item plot

    signal dragged(point location, bool isFinal)
    signal nudged(int temperatureSteps, int percentSteps, bool large)
    signal deleteRequested

    readonly property bool hovered: mouse.containsMouse
    readonly property real diameter: isDragged ? 18 : (hovered || activeFocus ? 15 : 13)

    x: (entry ? entry.x : 0) - width / 2
    y: (entry ? entry.y : 0) - height / 2
    width: 30
    height: 30
    activeFocusOnTab: true
    z: isDragged ? 2 : 1

    Accessible.role: Accessible.Button
    Accessible.name: entry ? entry.name : ""
    Accessible.description: entry ? entry.value : ""
    Accessible.focusable: true
    Accessible.focused: activeFocus
    Accessible.onPressAction: root.forceActiveFocus()

    Keys.onPressed: event => {
        let dt = 0;
        let dp = 0;
        switch (event.key) {
        case Qt.Key_Left:
            dt = -1;
            break;
        case Qt.Key_Right:
            dt = 1;
            break;
        case Qt.Key_Down:
            dp = -1;
            break;
        case Qt.Key_Up:
            dp = 1;
            break;
        case Qt.Key_Delete:
        case Qt.Key_Backspace:
            if (root.editable && root.canDelete)
                root.deleteRequested();
            event.accepted = true;
            return;
        default:
            return;
        }
        event.accepted = true;
        if (root.editable)
            root.nudged(dt, dp, (event.modifiers & Qt.ShiftModifier) !== 0);
    }

    // The focus ring, outside the handle.
    Rectangle {
        anchors.centerIn: parent
        width: root.diameter + 8
        height: width
        radius: width / 2
        color: "transparent"
        border.width: 2
        border.color: Theme.colors.accentFocusRing
        visible: root.activeFocus
    }

    Rectangle {
        id: dot
        anchors.centerIn: parent
        width: root.diameter
        height: width
        radius: width / 2
        color: root.editable ? Theme.colors.accent : Theme.colors.readOnlyCurve
        border.width: 2
        border.color: Theme.cardColor

        // Qt has no spring of a given response: an ease of the same 0.2 s, without the
        // overshoot a damping of 0.85 barely shows.
        Behavior on width {
            NumberAnimation {
                duration: 200
                easing.type: Easing.OutCubic
            }
        }
    }

    MouseArea {
        id: mouse

        property bool moved: false

        anchors.fill: parent
        hoverEnabled: true
        preventStealing: true
        acceptedButtons: Qt.LeftButton | Qt.RightButton
        cursorShape: root.editable ? Qt.PointingHandCursor : Qt.ArrowCursor

        onPressed: event => {
            root.forceActiveFocus();
            moved = false;
            if (event.button === Qt.RightButton && root.editable)
                contextMenu.popup();
        }
        onPositionChanged: event => {
            if (!root.editable || !(pressedButtons & Qt.LeftButton))
                return;
            moved = true;
            root.dragged(mapToItem(root.plot, event.x, event.y), false);
        }
        // Only a drag commits: a click merely focuses the point.
        onReleased: event => {
            if (event.button !== Qt.LeftButton || !moved)
                return;
            moved = false;
            root.dragged(mapToItem(root.plot, event.x, event.y), true);
        }
        onDoubleClicked: event => {
            if (event.button === Qt.LeftButton && root.editable && root.canDelete)
                root.deleteRequested();
        }
    }

    Menu {
        id: contextMenu
        MenuItem {
            id: deleteItem
            text: qsTrId("curves.chart.deletePoint")
            icon.source: "image://symbol/trash?color=" + Theme.textColor.toString().substring(1)
            enabled: root.canDelete
            onTriggered: root.deleteRequested()
            Accessible.onPressAction: deleteItem.triggered()
        }
    }
}
