pragma ComponentBehavior: Bound

import QtQuick
import QtQuick.Controls.Basic
import QtQuick.Layouts
import Brisvane.UI.Design

// A caption and a pop-up menu of `options` ({choice, name}), named by the caption for assistive
// technology. The menu shows the entry whose choice is `value`; a click is only reported through
// chosen(), so the editor may still ask before it takes it.
RowLayout {
    id: root

    property string title
    property var options: []
    property int value

    signal chosen(int choice)

    readonly property int valueIndex: {
        for (let i = 0; i < options.length; ++i) {
            if (options[i].choice === value)
                return i;
        }
        return -1;
    }

    spacing: Theme.spacingSmall

    function choose(index: int) {
        root.chosen(root.options[index].choice);
        // The menu shows the editor's choice, not the one just clicked.
        picker.currentIndex = Qt.binding(() => root.valueIndex);
    }

    Text {
        text: root.title
        font.family: Theme.fontFamily
        font.pixelSize: Theme.bodySize
        color: Theme.colors.secondaryText
        Accessible.ignored: true
    }

    ComboBox {
        id: picker

        model: root.options
        textRole: "name"
        currentIndex: root.valueIndex
        font.family: Theme.fontFamily
        font.pixelSize: Theme.bodySize
        implicitWidth: Math.max(110, implicitContentWidth + leftPadding + rightPadding)
        leftPadding: Theme.spacingSmall + 2
        rightPadding: indicator.width + Theme.spacingSmall + 4
        topPadding: 3
        bottomPadding: 3

        onActivated: index => root.choose(index)

        Accessible.name: root.title
        Accessible.description: displayText
        Accessible.onPressAction: picker.popup.open()

        contentItem: Text {
            text: picker.displayText
            font: picker.font
            color: Theme.textColor
            verticalAlignment: Text.AlignVCenter
            elide: Text.ElideRight
            Accessible.ignored: true
        }

        indicator: SymbolImage {
            x: picker.width - width - Theme.spacingSmall + 2
            y: (picker.height - height) / 2
            name: "chevron.up.chevron.down"
            size: 12
            color: Theme.colors.secondaryText
        }

        background: Rectangle {
            implicitHeight: 24
            radius: Theme.controlRadius - 1
            color: Theme.colors.controlFill
            border.color: Theme.cardStrokeColor
            opacity: picker.down ? 0.8 : 1
        }

        delegate: ItemDelegate {
            id: option

            required property int index
            required property var modelData

            width: picker.popup.availableWidth
            text: modelData.name
            highlighted: picker.highlightedIndex === index
            font: picker.font
            padding: Theme.spacingTight + 2
            leftPadding: Theme.spacingSmall + 2

            Accessible.name: text
            Accessible.onPressAction: {
                picker.popup.close();
                root.choose(option.index);
            }

            contentItem: Text {
                text: option.text
                font: option.font
                color: option.highlighted ? Theme.colors.onAccent : Theme.textColor
                Accessible.ignored: true
            }
            background: Rectangle {
                radius: 4
                color: option.highlighted ? Theme.colors.accent : "transparent"
            }
        }

        popup: Popup {
            y: picker.height + 2
            width: Math.max(picker.width, implicitContentWidth + leftPadding + rightPadding)
            padding: 4
            contentItem: ListView {
                implicitHeight: contentHeight
                implicitWidth: 160
                model: picker.popup.visible ? picker.delegateModel : null
                currentIndex: picker.highlightedIndex
                interactive: false
            }
            background: Rectangle {
                radius: Theme.controlRadius
                color: Theme.cardColor
                border.color: Theme.cardStrokeColor
            }
        }
    }
}
