#pragma once
// Whether an item can be seen: visible itself, in a window that is shown and not minimised.
// Item.visible alone is not enough to decide whether something may animate: the items of a
// hidden window stay visible, and so does an item a Repeater has let go of but not yet
// destroyed. QML reads it as the attached property `ItemVisibility.isOnScreen`.

#include <QObject>
#include <QPointer>
#include <QQuickItem>
#include <QtQml/qqmlregistration.h>

namespace brisvane {

class ItemVisibilityAttached : public QObject {
    Q_OBJECT
    QML_ANONYMOUS

public:
    explicit ItemVisibilityAttached(QQuickItem* item);

    Q_PROPERTY(bool isOnScreen READ isOnScreen NOTIFY isOnScreenChanged)
    bool isOnScreen() const { return m_isOnScreen; }

signals:
    void isOnScreenChanged();

private:
    void watchWindow(QQuickWindow* window);
    void update();

    QQuickItem* m_item;
    QPointer<QQuickWindow> m_window;
    QMetaObject::Connection m_windowConnection;
    bool m_isOnScreen = false;
};

class ItemVisibility : public QObject {
    Q_OBJECT
    QML_ELEMENT
    QML_UNCREATABLE("an attached property of items")
    // Qualified: the type registrar writes the name as given, and qmllint looks it up so.
    QML_ATTACHED(brisvane::ItemVisibilityAttached)

public:
    static ItemVisibilityAttached* qmlAttachedProperties(QObject* object);
};

} // namespace brisvane
