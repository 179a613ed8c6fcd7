pragma ComponentBehavior: Bound

import QtQuick
import QtQuick.Layouts
import Brisvane.UI.Design

// One group of the settings form: a heading, then its rows in a rounded box, a hairline
// between each two rows shown.
ColumnLayout {
    id: root

    property string title
    default property alias rows: rowColumn.data

    spacing: Theme.spacingSmall

    Text {
        Layout.leftMargin: Theme.spacingTight
        text: root.title
        font.family: Theme.fontFamily
        font.pixelSize: Theme.headlineSize
        font.weight: Font.DemiBold
        color: Theme.textColor
        Accessible.role: Accessible.Heading
        Accessible.name: text
    }

    Rectangle {
        Layout.fillWidth: true
        implicitHeight: rowColumn.implicitHeight + 2 * rowColumn.y
        radius: 10
        color: Theme.cardColor
        border.width: 1
        border.color: Theme.cardStrokeColor

        ColumnLayout {
            id: rowColumn
            x: Theme.spacingMedium
            y: Theme.spacingTight
            width: parent.width - 2 * x
            spacing: 0
        }

        // Above every shown row but the first.
        Repeater {
            model: {
                const tops = [];
                let first = true;
                for (let i = 0; i < rowColumn.children.length; ++i) {
                    const row = rowColumn.children[i];
                    if (!row.visible || row.height <= 0)
                        continue;
                    if (!first)
                        tops.push(rowColumn.y + row.y - row.Layout.topMargin);
                    first = false;
                }
                return tops;
            }
            delegate: Rectangle {
                required property real modelData
                x: rowColumn.x
                y: modelData
                width: rowColumn.width
                height: 1
                color: Theme.separatorColor
            }
        }
    }
}
