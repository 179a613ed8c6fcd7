import QtQuick
import QtQuick.Controls.Basic
import Brisvane.UI.Design
import Brisvane.UI.Presets

// A card of the presets grid: a button named by its slot that activates the slot, starts a drag
// carrying the slot's id, takes drops of such ids and asks for its context menu (right click,
// the Menu key or Shift-F10). The grid draws the dragged copy and the card's empty place.
PressableButton {
    id: root

    required property PresetsModel presets
    required property string slotID
    required property bool isActive
    required property string name
    required property string symbolName
    required property string caption
    // PresetsModel's thumbnail role; empty for the automatic slot.
    property var thumbnail: []
    property string cardToolTip
    // Set by the grid while this card is the one being dragged.
    property bool isDragged: false
    readonly property bool isDropTarget: dropArea.containsDrag && !isDragged

    // Where the pointer holds the card, in scene coordinates.
    signal dragStarted(point scenePosition)
    signal dragMoved(point scenePosition)
    signal dragEnded()
    // `position` in the card's coordinates.
    signal contextMenuRequested(point position)

    text: name
    hoverEnabled: true
    padding: 0
    // While dragged the grid shows a copy under the pointer and this card's place is empty.
    opacity: isDragged ? 0 : 1
    Accessible.description: caption
    Accessible.checkable: true
    Accessible.checked: isActive
    ToolTip.visible: hovered && !isDragged && !dropArea.containsDrag && cardToolTip !== ""
    ToolTip.text: cardToolTip
    ToolTip.delay: 800

    onClicked: presets.activate(slotID)

    background: PresetCardChrome {
        isActive: root.isActive
        isHovered: root.hovered && !root.isDragged
        isDropTarget: root.isDropTarget
        hasFocusRing: root.visualFocus
    }

    DragHandler {
        target: null
        onActiveChanged: {
            if (active)
                root.dragStarted(centroid.scenePosition);
            else
                root.dragEnded();
        }
        onCentroidChanged: {
            if (active)
                root.dragMoved(centroid.scenePosition);
        }
    }

    // Text from any source; only a slot's id is taken, and it moves that slot here.
    DropArea {
        id: dropArea
        anchors.fill: parent
        keys: ["text/plain"]
        onDropped: drop => {
            const text = drop.hasText ? drop.text : (drop.source && drop.source.dragText) || "";
            drop.accepted = root.presets.dropText(text, root.slotID);
        }
    }

    TapHandler {
        acceptedButtons: Qt.RightButton
        onTapped: eventPoint => root.contextMenuRequested(eventPoint.position)
    }

    Keys.onPressed: event => {
        if (event.key === Qt.Key_Menu
                || (event.key === Qt.Key_F10 && (event.modifiers & Qt.ShiftModifier))) {
            root.contextMenuRequested(Qt.point(root.width / 2, root.height / 2));
            event.accepted = true;
        }
    }
}
