import QtQuick
import Brisvane.UI.Design

// A system symbol, `size` pixels square, tinted; rendered at the screen's pixel density.
Image {
    id: root

    required property string name
    property int size: Theme.bodySize
    property color color: Theme.textColor

    width: size
    height: size
    sourceSize.width: size
    sourceSize.height: size
    fillMode: Image.PreserveAspectFit
    // The colour goes into the URL without its '#', which would start a fragment.
    source: name === "" ? "" : "image://symbol/" + name + "?color=" + root.color.toString().substring(1)
    Accessible.ignored: true
}
