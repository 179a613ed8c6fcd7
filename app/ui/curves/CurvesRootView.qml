pragma ComponentBehavior: Bound

import QtQuick
import QtQuick.Controls.Basic
import QtQuick.Layouts
import Brisvane.UI.Design
import Brisvane.UI.Curves

// The curves section: the preset selector, the built-in note, the chart card with the fields
// for exact entry, and the hints; or the empty state when there is no preset at all. Choosing a
// preset here selects it for editing; it does not activate it.
Item {
    id: root

    required property AppState appState
    readonly property alias editor: editor
    readonly property alias chart: chart

    implicitHeight: column.implicitHeight + 2 * column.padding

    CurveEditor {
        id: editor
        presets: root.appState.presets
        engine: root.appState.engine
    }

    // On appearing the shown preset becomes the chosen one.
    onVisibleChanged: {
        if (visible)
            editor.adoptInitialSelection();
    }
    Component.onCompleted: {
        if (visible)
            editor.adoptInitialSelection();
    }

    UnifyCurvesDialog {
        editor: editor
    }

    component Hint: RowLayout {
        id: hint
        required property string symbolName
        required property string text
        spacing: Theme.spacingSmall
        SymbolImage {
            Layout.alignment: Qt.AlignTop
            Layout.topMargin: 1
            name: hint.symbolName
            color: Theme.colors.secondaryText
        }
        Text {
            Layout.fillWidth: true
            text: hint.text
            wrapMode: Text.WordWrap
            font.family: Theme.fontFamily
            font.pixelSize: Theme.subheadlineSize
            color: Theme.colors.secondaryText
            Accessible.role: Accessible.StaticText
            Accessible.name: text
        }
    }

    ColumnLayout {
        id: column

        readonly property real padding: Theme.pagePadding

        x: padding
        y: padding
        width: root.width - 2 * padding
        spacing: Theme.spacingLarge

        CurvesEmptyState {
            Layout.fillWidth: true
            visible: !editor.hasPreset
            canCreate: editor.canAddPreset
            onCreatePreset: editor.createNewPreset()
        }

        RowLayout {
            visible: editor.hasPreset
            spacing: Theme.spacingMedium
            Text {
                text: qsTrId("curves.selector.editing")
                font.family: Theme.fontFamily
                font.pixelSize: Theme.bodySize
                color: Theme.colors.secondaryText
                Accessible.ignored: true
            }
            PresetSelectorMenu {
                editor: editor
            }
            CurvesPicker {
                Layout.leftMargin: Theme.spacingMedium
                visible: editor.showsFanPicker
                title: qsTrId("curves.fanPicker.title")
                options: editor.fanChoices
                value: editor.fanChoice
                onChosen: choice => editor.chooseFan(choice)
            }
            CurvesPicker {
                Layout.leftMargin: Theme.spacingMedium
                enabled: editor.isEditable
                title: qsTrId("curves.sourcePicker.title")
                options: editor.sourceChoices
                value: editor.sourceChoice
                onChosen: choice => editor.chooseSource(choice)
            }
        }

        // Built-in presets are read-only: say so, and offer an editable copy.
        Rectangle {
            Layout.fillWidth: true
            visible: editor.hasPreset && editor.isBuiltIn
            implicitHeight: note.implicitHeight + 2 * Theme.spacingMedium
            radius: Theme.controlRadius + 2
            color: Theme.colors.accentNoteFill
            border.width: 1
            border.color: Theme.colors.accentNoteBorder

            RowLayout {
                id: note
                anchors.fill: parent
                anchors.margins: Theme.spacingMedium
                spacing: Theme.spacingMedium
                SymbolImage {
                    name: "info.circle.fill"
                    size: 16
                    color: Theme.colors.accent
                }
                Text {
                    Layout.fillWidth: true
                    text: qsTrId("curves.builtInNote").arg(editor.presetName)
                    wrapMode: Text.WordWrap
                    font.family: Theme.fontFamily
                    font.pixelSize: Theme.bodySize
                    color: Theme.textColor
                    Accessible.role: Accessible.StaticText
                    Accessible.name: text
                }
                // A disabled button takes no hover: the tooltip hangs on this holder.
                Item {
                    implicitWidth: customize.implicitWidth
                    implicitHeight: customize.implicitHeight
                    HoverHandler {
                        id: customizeHover
                    }
                    PressableButton {
                        id: customize
                        text: qsTrId("curves.customizeButton")
                        enabled: editor.canAddPreset
                        Accessible.description: editor.customizeToolTip
                        ToolTip.text: editor.customizeToolTip
                        ToolTip.visible: customizeHover.hovered && editor.customizeToolTip !== ""
                        ToolTip.delay: 500
                        onClicked: editor.customize()
                    }
                }
            }
        }

        Card {
            id: card
            Layout.fillWidth: true
            visible: editor.hasPreset
            padding: 20
            implicitHeight: Math.max(300, Math.min(440, Math.round(width * 0.5)))
            Accessible.role: Accessible.Pane
            Accessible.name: editor.isEditable ? qsTrId("curves.chart.editableHelp") : qsTrId("curves.chart.readOnlyHelp")

            HoverHandler {
                id: cardHover
            }
            ToolTip.text: editor.isEditable ? qsTrId("curves.chart.editableHelp") : qsTrId("curves.chart.readOnlyHelp")
            ToolTip.visible: cardHover.hovered && chart.draggedPointIndex < 0
            ToolTip.delay: 1500

            FanCurveChart {
                id: chart
                anchors.fill: parent
                editor: editor
                telemetry: root.appState ? root.appState.telemetry : null
                onMovePoint: (index, tempC, percent, isFinal) => editor.movePoint(index, tempC, percent, isFinal)
                onAddPoint: (tempC, percent) => editor.addPoint(tempC, percent)
                onDeletePoint: index => editor.deletePoint(index)
            }
        }

        CurvePointFields {
            Layout.fillWidth: true
            visible: editor.hasPreset && editor.isEditable
            editor: editor
            pointIndex: chart.focusedPointIndex
            entry: chart.focusedEntry
        }

        Hint {
            Layout.fillWidth: true
            visible: editor.hasPreset && editor.isEditable
            symbolName: "hand.draw"
            text: qsTrId("curves.hint.howToEdit")
        }
        Hint {
            Layout.fillWidth: true
            visible: editor.hasPreset
            symbolName: "info.circle"
            text: qsTrId("curves.caption.safety")
        }
    }
}
