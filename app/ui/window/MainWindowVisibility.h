#pragma once
// Whether the main window is on screen (shown, not hidden by a close, not minimised). The window
// height logic and the sections read it so that nothing is measured, resized or rendered while
// the window cannot be seen. One per application, which hands it to the window's controller and
// to the window's QML. Main thread only.

#include <QObject>
#include <QtQml/qqmlregistration.h>

namespace brisvane {

class MainWindowVisibility : public QObject {
    Q_OBJECT
    QML_ELEMENT
    QML_UNCREATABLE("one per application, handed to the main window")

public:
    using QObject::QObject;

    // True until the main window is first closed or minimised.
    Q_PROPERTY(bool isOnScreen READ isOnScreen WRITE setIsOnScreen NOTIFY isOnScreenChanged)
    bool isOnScreen() const { return m_isOnScreen; }
    void setIsOnScreen(bool onScreen);

signals:
    void isOnScreenChanged();

private:
    bool m_isOnScreen = true;
};

} // namespace brisvane
