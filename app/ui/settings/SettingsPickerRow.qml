pragma ComponentBehavior: Bound

import QtQuick
import QtQuick.Controls.Basic
import QtQuick.Layouts
import Brisvane.UI.Design

// A label with a pop-up menu on the right, named by the title for assistive technology.
// `options` are {title, value}; choosing one reports its value in selected().
RowLayout {
    id: root

    property string title
    property string subtitle
    property string selection
    property var options: []

    signal selected(string value)

    readonly property int selectedIndex: {
        for (let i = 0; i < options.length; ++i) {
            if (options[i].value === selection)
                return i;
        }
        return -1;
    }

    spacing: Theme.spacingMedium

    SettingsRowLabel {
        Layout.fillWidth: true
        title: root.title
        subtitle: root.subtitle
    }

    ComboBox {
        id: picker

        Layout.alignment: Qt.AlignVCenter
        model: root.options
        textRole: "title"
        currentIndex: root.selectedIndex
        font.family: Theme.fontFamily
        font.pixelSize: Theme.bodySize
        implicitWidth: Math.max(120, implicitContentWidth + leftPadding + rightPadding)
        leftPadding: Theme.spacingSmall + 2
        rightPadding: indicator.width + Theme.spacingSmall + 4
        topPadding: 3
        bottomPadding: 3

        onActivated: index => root.selected(root.options[index].value)

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
            text: modelData.title
            highlighted: picker.highlightedIndex === index
            font: picker.font
            padding: Theme.spacingTight + 2
            leftPadding: Theme.spacingSmall + 2

            Accessible.name: text
            Accessible.onPressAction: {
                root.selected(option.modelData.value);
                picker.popup.close();
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
