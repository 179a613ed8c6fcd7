import QtQuick
import QtQuick.Layouts
import Brisvane.UI.Design

// A row's title, and under it a wrapping subtitle in caption size and the secondary colour.
ColumnLayout {
    id: root

    property string title
    property string subtitle

    spacing: 2

    Text {
        Layout.fillWidth: true
        text: root.title
        wrapMode: Text.WordWrap
        font.family: Theme.fontFamily
        font.pixelSize: Theme.bodySize
        color: Theme.textColor
        Accessible.ignored: true
    }
    Text {
        Layout.fillWidth: true
        visible: root.subtitle !== ""
        text: root.subtitle
        wrapMode: Text.WordWrap
        font.family: Theme.fontFamily
        font.pixelSize: Theme.captionSize + 1
        color: Theme.colors.secondaryText
        Accessible.ignored: true
    }
}
