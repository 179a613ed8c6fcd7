pragma ComponentBehavior: Bound

import QtQuick
import Brisvane.UI.Design

// The plot behind a card's thumbnail: a faint rounded field with hairlines where the fans run
// at 0 % and at full speed.
Rectangle {
    id: root

    radius: 8
    color: Qt.alpha(Theme.textColor, Theme.isDark ? 0.06 : 0.035)

    Repeater {
        model: [0.16, 0.84]
        delegate: Rectangle {
            required property real modelData
            x: 6
            width: root.width - 12
            y: Math.round(root.height * modelData)
            height: 1
            color: Qt.alpha(Theme.textColor, 0.07)
        }
    }
}
