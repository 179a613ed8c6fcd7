pragma ComponentBehavior: Bound

import QtQuick
import QtQuick.Layouts
import Brisvane.UI.Design
import Brisvane.UI.Settings

// The helper daemon: the outdated notice, its state with the actions that state offers, the
// daemon's failure, the takeover in progress, the last operation's error, and what the helper
// does to keep the Mac safe. The status is fetched every 2 s while this is shown.
SettingsSection {
    id: root

    required property HelperSettingsModel model

    title: qsTrId("settings.helper.sectionTitle")

    component CaptionRow: RowLayout {
        id: captionRow

        property string symbol
        property string text
        property color tint

        Layout.fillWidth: true
        Layout.topMargin: Theme.spacingSmall
        Layout.bottomMargin: Theme.spacingSmall
        spacing: Theme.spacingTight + 2
        Accessible.role: Accessible.StaticText
        Accessible.name: text

        SymbolImage {
            Layout.alignment: Qt.AlignTop
            name: captionRow.symbol
            size: Theme.captionSize + 4
            color: captionRow.tint
        }
        Text {
            Layout.fillWidth: true
            text: captionRow.text
            wrapMode: Text.WordWrap
            font.family: Theme.fontFamily
            font.pixelSize: Theme.captionSize + 1
            color: captionRow.tint
            Accessible.ignored: true
        }
    }

    component SafetyPoint: RowLayout {
        id: point

        property string symbol
        property string text

        Layout.fillWidth: true
        spacing: Theme.spacingSmall
        Accessible.role: Accessible.StaticText
        Accessible.name: text

        Item {
            Layout.alignment: Qt.AlignTop
            implicitWidth: 20
            implicitHeight: 16
            SymbolImage {
                anchors.horizontalCenter: parent.horizontalCenter
                name: point.symbol
                size: 14
                color: Theme.colors.secondaryText
            }
        }
        Text {
            Layout.fillWidth: true
            text: point.text
            wrapMode: Text.WordWrap
            font.family: Theme.fontFamily
            font.pixelSize: Theme.captionSize + 1
            color: Theme.colors.secondaryText
            Accessible.ignored: true
        }
    }

    CaptionRow {
        visible: root.model.showsOutdatedNotice
        symbol: "arrow.triangle.2.circlepath"
        text: qsTrId("settings.helper.outdatedNotice")
        tint: Theme.colors.tint(StatusTint.Orange)
    }

    // Anchored rather than laid out: a row layout keeps the height its wrapped texts had at a
    // narrower width and then centres the icon and buttons too low.
    Item {
        id: statusRow
        objectName: "helperStatusRow"
        Layout.fillWidth: true
        Layout.topMargin: Theme.spacingMedium
        Layout.bottomMargin: Theme.spacingMedium
        implicitHeight: Math.max(statusIcon.height, statusTexts.implicitHeight,
                                 trailing.implicitHeight)

        SymbolImage {
            id: statusIcon
            anchors.left: parent.left
            anchors.verticalCenter: parent.verticalCenter
            name: root.model.statusSymbol
            size: 28
            color: Theme.colors.tint(root.model.statusTint)
        }
        ColumnLayout {
            id: statusTexts
            anchors.left: statusIcon.right
            anchors.leftMargin: Theme.spacingMedium
            anchors.right: trailing.left
            anchors.rightMargin: Theme.spacingMedium
            anchors.verticalCenter: parent.verticalCenter
            spacing: 2
            Text {
                Layout.fillWidth: true
                text: root.model.statusTitle
                wrapMode: Text.WordWrap
                font.family: Theme.fontFamily
                font.pixelSize: Theme.bodySize
                font.weight: Font.DemiBold
                color: Theme.textColor
                Accessible.role: Accessible.StaticText
                Accessible.name: text
            }
            Text {
                Layout.fillWidth: true
                text: root.model.statusDescription
                wrapMode: Text.WordWrap
                font.family: Theme.fontFamily
                font.pixelSize: Theme.captionSize + 1
                color: Theme.colors.secondaryText
                Accessible.role: Accessible.StaticText
                Accessible.name: text
            }
        }
        // While an operation runs the spinner takes the buttons' place.
        Item {
            id: trailing
            anchors.right: parent.right
            anchors.verticalCenter: parent.verticalCenter
            implicitWidth: root.model.isWorking ? spinner.width + Theme.spacingSmall
                                                : buttons.implicitWidth
            implicitHeight: root.model.isWorking ? spinner.height : buttons.implicitHeight
            width: implicitWidth
            height: implicitHeight

            SettingsSpinner {
                id: spinner
                anchors.left: parent.left
                anchors.verticalCenter: parent.verticalCenter
                visible: root.model.isWorking
            }
            Row {
                id: buttons
                anchors.right: parent.right
                anchors.verticalCenter: parent.verticalCenter
                visible: !root.model.isWorking
                spacing: Theme.spacingSmall
                Repeater {
                    model: root.model.isWorking ? [] : root.model.buttons
                    delegate: PressableButton {
                        required property var modelData
                        text: modelData.title
                        prominent: modelData.prominent
                        onClicked: root.model.runHelperOperation(modelData.action)
                    }
                }
            }
        }
    }

    CaptionRow {
        visible: root.model.failureText !== ""
        symbol: "exclamationmark.circle.fill"
        text: root.model.failureText
        tint: Theme.colors.tint(StatusTint.Orange)
    }

    RowLayout {
        visible: root.model.showsUnlockingRow
        Layout.fillWidth: true
        Layout.topMargin: Theme.spacingSmall
        Layout.bottomMargin: Theme.spacingSmall
        spacing: Theme.spacingSmall
        SettingsSpinner {
            size: 12
        }
        Text {
            Layout.fillWidth: true
            text: qsTrId("settings.helper.unlockingCaption")
            font.family: Theme.fontFamily
            font.pixelSize: Theme.captionSize + 1
            color: Theme.textColor
            Accessible.role: Accessible.StaticText
            Accessible.name: text
        }
    }

    CaptionRow {
        objectName: "helperOperationError"
        visible: root.model.errorMessage !== ""
        symbol: "exclamationmark.circle.fill"
        text: root.model.errorMessage
        tint: Theme.colors.tint(StatusTint.Red)
    }

    ColumnLayout {
        Layout.fillWidth: true
        Layout.topMargin: Theme.spacingMedium
        Layout.bottomMargin: Theme.spacingMedium
        spacing: Theme.spacingSmall

        RowLayout {
            spacing: Theme.spacingTight + 2
            Accessible.role: Accessible.StaticText
            Accessible.name: qsTrId("settings.helper.safety.title")
            SymbolImage {
                name: "checkmark.shield.fill"
                size: 15
                color: Theme.colors.tint(StatusTint.Green)
            }
            Text {
                text: qsTrId("settings.helper.safety.title")
                font.family: Theme.fontFamily
                font.pixelSize: Theme.bodySize
                font.weight: Font.Medium
                color: Theme.textColor
                Accessible.ignored: true
            }
        }
        SafetyPoint {
            symbol: "arrow.up.to.line"
            text: qsTrId("settings.helper.safety.boostOnly")
        }
        SafetyPoint {
            symbol: "arrow.uturn.backward.circle"
            text: qsTrId("settings.helper.safety.automaticRelease")
        }
        SafetyPoint {
            symbol: "cpu"
            text: qsTrId("settings.helper.safety.macOSProtection")
        }
    }
}
