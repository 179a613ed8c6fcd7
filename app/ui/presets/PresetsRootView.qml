pragma ComponentBehavior: Bound

import QtQuick
import QtQuick.Controls.Basic
import QtQuick.Dialogs
import Brisvane.UI.Design
import Brisvane.UI.Presets

// The presets section: the explainer, then a card per preset slot in the user's order and the
// new-preset card, in as many columns as fit. Cards are activated by a click, reordered by
// dragging one onto another, and offer duplicate, rename and delete in their context menus.
Item {
    id: root

    required property AppState appState

    readonly property real padding: 20
    readonly property real cardHeight: 204
    // The card being dragged, and where the pointer holds it.
    property PresetCardButton draggedCard: null
    property point dragGrabOffset

    implicitHeight: column.implicitHeight + 2 * padding

    PresetsModel {
        id: presets
        presets: root.appState.presets
        engine: root.appState.engine
    }

    Column {
        id: column

        x: root.padding
        y: root.padding
        width: root.width - 2 * root.padding
        spacing: 18

        Text {
            width: parent.width
            text: qsTrId("presets.explainer")
            wrapMode: Text.WordWrap
            font.family: Theme.fontFamily
            font.pixelSize: Theme.bodySize
            color: Theme.colors.secondaryText
        }

        Grid {
            id: grid

            readonly property var layout: presets.gridColumns(column.width)

            x: (column.width - layout.rowWidth) / 2
            columns: layout.count
            columnSpacing: 18
            rowSpacing: 18

            // A reorder slides the cards to their new places.
            move: Transition {
                NumberAnimation {
                    properties: "x,y"
                    duration: 280
                    easing.type: Easing.OutCubic
                }
            }

            Repeater {
                model: presets
                delegate: Item {
                    id: cell

                    required property string slotID
                    required property bool isAutomatic
                    required property string name
                    required property string symbolName
                    required property string caption
                    required property string toolTip
                    required property bool isActive
                    required property var thumbnail
                    required property var menuEntries

                    width: grid.layout.cardWidth
                    height: root.cardHeight

                    // The place the dragged card left.
                    DashedOutline {
                        anchors.fill: parent
                        visible: root.draggedCard !== null && root.draggedCard.slotID === cell.slotID
                        color: Qt.alpha(Theme.textColor, 0.3)
                        fill: Qt.alpha(Theme.textColor, 0.03)
                    }

                    // One of the two kinds of card.
                    Repeater {
                        model: cell.isAutomatic ? 1 : 0
                        delegate: AutomaticPresetCard {
                            id: automatic
                            anchors.fill: parent
                            presets: presets
                            slotID: cell.slotID
                            isActive: cell.isActive
                            name: cell.name
                            symbolName: cell.symbolName
                            caption: cell.caption
                            cardToolTip: cell.toolTip
                            isDragged: root.draggedCard === automatic
                            onDragStarted: scenePosition => root.beginDrag(automatic, scenePosition)
                            onDragMoved: scenePosition => root.moveDrag(scenePosition)
                            onDragEnded: root.endDrag()
                        }
                    }
                    Repeater {
                        model: cell.isAutomatic ? 0 : 1
                        delegate: PresetCard {
                            id: preset
                            anchors.fill: parent
                            presets: presets
                            slotID: cell.slotID
                            isActive: cell.isActive
                            name: cell.name
                            symbolName: cell.symbolName
                            caption: cell.caption
                            cardToolTip: cell.toolTip
                            thumbnail: cell.thumbnail
                            isDragged: root.draggedCard === preset
                            onDragStarted: scenePosition => root.beginDrag(preset, scenePosition)
                            onDragMoved: scenePosition => root.moveDrag(scenePosition)
                            onDragEnded: root.endDrag()
                            onContextMenuRequested: position => root.openMenu(preset,
                                                                              cell.menuEntries,
                                                                              position)
                        }
                    }
                }
            }

            NewPresetCard {
                width: grid.layout.cardWidth
                height: root.cardHeight
                presets: presets
                onImportRequested: {
                    importDialog.currentFolder = presets.fileFolder;
                    importDialog.open();
                }
            }
        }
    }

    // A preset file dropped anywhere on the screen is imported; the cards' own drop areas take
    // the slot ids of a reorder first.
    DropArea {
        anchors.fill: column
        keys: ["text/uri-list"]
        onDropped: drop => {
            drop.accepted = drop.hasUrls && presets.dropUrls(drop.urls);
        }
    }

    FileDialog {
        id: exportDialog

        property string slotID

        title: qsTrId("presets.export.dialogTitle")
        fileMode: FileDialog.SaveFile
        defaultSuffix: "json"
        nameFilters: [qsTrId("presets.file.nameFilter")]
        onAccepted: presets.requestExport(slotID, selectedFile)
    }
    FileDialog {
        id: importDialog

        title: qsTrId("presets.import.dialogTitle")
        fileMode: FileDialog.OpenFile
        nameFilters: [qsTrId("presets.file.nameFilter")]
        onAccepted: presets.importFiles([selectedFile])
    }

    // The dragged card follows the pointer above the grid while its place stays empty; the drag
    // carries the slot's id as text to the card it is dropped on.
    Item {
        id: dragPreview

        readonly property string dragText: root.draggedCard ? root.draggedCard.slotID : ""

        z: 10
        visible: root.draggedCard !== null
        width: root.draggedCard ? root.draggedCard.width : 0
        height: root.draggedCard ? root.draggedCard.height : 0
        scale: 1.03

        Drag.active: visible
        Drag.dragType: Drag.Internal
        Drag.keys: ["text/plain"]
        Drag.supportedActions: Qt.MoveAction
        Drag.hotSpot: root.dragGrabOffset

        Rectangle {
            anchors.fill: parent
            anchors.topMargin: 8
            anchors.bottomMargin: -8
            anchors.leftMargin: 2
            anchors.rightMargin: 2
            radius: 16
            color: Theme.colors.liftedCardShadow
        }
        // The card's fill is translucent: the copy must hide the cards it passes over.
        Rectangle {
            anchors.fill: parent
            radius: 14
            color: Theme.windowColor
        }
        PresetCardChrome {
            anchors.fill: parent
            isActive: root.draggedCard !== null && root.draggedCard.isActive
            isHovered: true
        }
        // A copy of the card's face: layers of the card itself are lost by the software
        // renderer at scales above 1.
        PresetCardLayout {
            anchors.fill: parent
            iconSymbolName: root.draggedCard ? root.draggedCard.symbolName : ""
            name: root.draggedCard ? root.draggedCard.name : ""
            caption: root.draggedCard ? root.draggedCard.caption : ""
            isActive: root.draggedCard !== null && root.draggedCard.isActive

            AutomaticBaselineThumbnail {
                anchors.fill: parent
                visible: root.draggedCard !== null && root.draggedCard.slotID === "automatic"
            }
            MiniCurveThumbnail {
                anchors.fill: parent
                visible: root.draggedCard !== null && root.draggedCard.slotID !== "automatic"
                points: root.draggedCard ? root.draggedCard.thumbnail : []
            }
        }
    }

    function beginDrag(card: PresetCardButton, scenePosition: point) {
        const origin = card.mapToItem(root, 0, 0);
        dragPreview.x = origin.x;
        dragPreview.y = origin.y;
        dragGrabOffset = card.mapFromItem(null, scenePosition.x, scenePosition.y);
        draggedCard = card;
    }
    function moveDrag(scenePosition: point) {
        const position = root.mapFromItem(null, scenePosition.x, scenePosition.y);
        dragPreview.x = position.x - dragGrabOffset.x;
        dragPreview.y = position.y - dragGrabOffset.y;
    }
    function endDrag() {
        if (draggedCard !== null)
            dragPreview.Drag.drop();
        draggedCard = null;
    }

    function beginExport(slotID: string) {
        exportDialog.slotID = slotID;
        exportDialog.currentFolder = presets.fileFolder;
        exportDialog.selectedFile = presets.exportFileURL(slotID);
        exportDialog.open();
    }

    // The context menu of a preset card, built from the model's entries for it.
    function openMenu(card: PresetCardButton, entries: var, position: point) {
        while (cardMenu.count > 0)
            cardMenu.removeItem(cardMenu.itemAt(0));
        cardMenu.slotID = card.slotID;
        for (const action of entries) {
            cardMenu.addItem(action === PresetsModel.Separator
                             ? menuSeparator.createObject(null)
                             : menuItem.createObject(null, {menuAction: action}));
        }
        cardMenu.popup(card, position.x, position.y);
    }

    Connections {
        target: presets
        function onExportRequested(slotID: string) {
            root.beginExport(slotID);
        }
    }

    Menu {
        id: cardMenu

        property string slotID

        topPadding: 5
        bottomPadding: 5
        background: Rectangle {
            implicitWidth: 190
            radius: 8
            color: Theme.menuColor
            border.color: Qt.alpha(Theme.textColor, Theme.isDark ? 0.22 : 0.14)
        }
    }

    Component {
        id: menuSeparator
        MenuSeparator {
            topPadding: 4
            bottomPadding: 4
            contentItem: Rectangle {
                implicitHeight: 1
                color: Qt.alpha(Theme.textColor, 0.12)
            }
        }
    }
    Component {
        id: menuItem
        MenuItem {
            id: item

            required property int menuAction

            text: {
                switch (menuAction) {
                case PresetsModel.Activate:
                    return qsTrId("presets.contextMenu.activate");
                case PresetsModel.Duplicate:
                    return qsTrId("presets.contextMenu.duplicate");
                case PresetsModel.Rename:
                    return qsTrId("presets.contextMenu.rename");
                case PresetsModel.Export:
                    return qsTrId("presets.contextMenu.export");
                case PresetsModel.Delete:
                    return qsTrId("presets.contextMenu.delete");
                }
                return "";
            }
            enabled: menuAction !== PresetsModel.Duplicate || presets.canAddPreset
            implicitHeight: 24
            leftPadding: 12
            rightPadding: 12
            contentItem: Text {
                text: item.text
                verticalAlignment: Text.AlignVCenter
                font.family: Theme.fontFamily
                font.pixelSize: Theme.bodySize
                color: !item.enabled ? Theme.colors.tertiaryText
                                     : item.highlighted ? Theme.colors.onAccent
                                                        : item.menuAction === PresetsModel.Delete
                                                          ? Theme.colors.destructive
                                                          : Theme.textColor
                Accessible.ignored: true
            }
            background: Rectangle {
                x: 5
                width: item.width - 10
                radius: 4
                color: item.highlighted && item.enabled ? Theme.colors.accent : "transparent"
            }
            Accessible.name: text
            Accessible.onPressAction: {
                item.triggered();
                cardMenu.close();
            }
            onTriggered: presets.perform(menuAction, cardMenu.slotID)
        }
    }

    RenamePresetDialog {
        presets: presets
    }
    DeletePresetDialog {
        presets: presets
    }
    PresetFileErrorDialog {
        presets: presets
    }
    ReplaceFileDialog {
        presets: presets
    }
}
