import QtQuick
import Brisvane.UI.Design

// A card's rounded background: a light stroke at rest, a lifted look with a stronger stroke on
// hover, an accent outline when active, and an accent tint while a dragged card hovers over it.
Item {
    id: root

    property bool isActive: false
    property bool isHovered: false
    property bool isDropTarget: false
    property bool hasFocusRing: false

    readonly property real radius: 14

    // A soft shadow: two dark layers under the card, offset downwards.
    Rectangle {
        anchors.fill: parent
        anchors.topMargin: 3
        anchors.bottomMargin: -3
        radius: root.radius
        color: Theme.colors.cardShadow
        visible: root.isHovered || root.isActive
    }
    Rectangle {
        anchors.fill: parent
        anchors.topMargin: 1
        anchors.bottomMargin: -1
        radius: root.radius
        color: Theme.colors.cardShadowSoft
    }

    Rectangle {
        anchors.fill: parent
        radius: root.radius
        color: root.isDropTarget ? Qt.tint(Theme.cardColor, Qt.alpha(Theme.colors.accent, 0.12))
                                 : root.isActive ? Qt.tint(Theme.cardColor,
                                                           Qt.alpha(Theme.colors.accent, 0.05))
                                                 : Theme.cardColor
        border.width: root.isActive || root.isDropTarget || root.hasFocusRing ? 2 : 1
        border.color: root.isActive || root.isDropTarget || root.hasFocusRing
                      ? Theme.colors.accent
                      : root.isHovered ? Qt.alpha(Theme.textColor, 0.22) : Theme.cardStrokeColor
    }
}
