pragma ComponentBehavior: Bound

import QtQuick
import QtQuick.Controls.Basic
import QtQuick.Layouts
import Brisvane.UI.Design
import Brisvane.UI.Curves

// Exact entry for the focused point: its temperature and percent, typed. A typed value goes
// through the same limits as a drag; the field then shows what was stored.
RowLayout {
    id: root

    required property CurveEditor editor
    required property int pointIndex
    // {tempC, percent, name} of the focused point, or null.
    required property var entry

    readonly property bool active: entry !== null && entry !== undefined && editor.isEditable

    spacing: Theme.spacingMedium

    component ValueField: TextField {
        id: field

        required property string label
        required property real value
        signal committed(real typed)

        function showStored() {
            text = Qt.binding(() => root.active ? String(Math.round(field.value)) : "");
        }

        Layout.preferredWidth: 64
        enabled: root.active
        horizontalAlignment: TextInput.AlignRight
        font.family: Theme.fontFamily
        font.pixelSize: Theme.bodySize
        color: Theme.textColor
        selectByMouse: true
        validator: IntValidator {
            bottom: -999
            top: 999
        }
        text: root.active ? String(Math.round(value)) : ""
        Accessible.name: label
        background: Rectangle {
            implicitHeight: 24
            radius: Theme.controlRadius
            color: Theme.cardColor
            border.width: field.activeFocus ? 2 : 1
            border.color: field.activeFocus ? Theme.colors.accent : Theme.cardStrokeColor
            opacity: field.enabled ? 1 : 0.5
        }
        onEditingFinished: {
            if (root.active && acceptableInput)
                committed(Number(text));
            showStored();
        }
        onActiveFocusChanged: {
            if (!activeFocus)
                showStored();
        }
    }

    component FieldLabel: Text {
        font.family: Theme.fontFamily
        font.pixelSize: Theme.subheadlineSize
        color: root.active ? Theme.textColor : Theme.colors.secondaryText
        Accessible.ignored: true
    }

    FieldLabel {
        visible: root.active
        text: root.active ? root.entry.name : ""
        font.weight: Font.DemiBold
        Layout.rightMargin: Theme.spacingSmall
    }
    FieldLabel {
        text: qsTrId("curves.field.temperature")
    }
    ValueField {
        label: qsTrId("curves.field.temperature")
        value: root.active ? root.entry.tempC : 0
        onCommitted: typed => root.editor.setPointTemperature(root.pointIndex, typed)
    }
    Item {
        Layout.preferredWidth: Theme.spacingMedium
    }
    FieldLabel {
        text: qsTrId("curves.field.percent")
    }
    ValueField {
        label: qsTrId("curves.field.percent")
        value: root.active ? root.entry.percent : 0
        onCommitted: typed => root.editor.setPointPercent(root.pointIndex, typed)
    }
    Item {
        Layout.fillWidth: true
    }
}
