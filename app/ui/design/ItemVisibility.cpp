#include "app/ui/design/ItemVisibility.h"

#include <QQuickWindow>

namespace brisvane {

ItemVisibilityAttached::ItemVisibilityAttached(QQuickItem* item)
    : QObject(item)
    , m_item(item)
{
    connect(item, &QQuickItem::visibleChanged, this, &ItemVisibilityAttached::update);
    connect(item, &QQuickItem::windowChanged, this, &ItemVisibilityAttached::watchWindow);
    watchWindow(item->window());
}

void ItemVisibilityAttached::watchWindow(QQuickWindow* window)
{
    disconnect(m_windowConnection);
    m_window = window;
    if (window)
        m_windowConnection =
            connect(window, &QWindow::visibilityChanged, this, &ItemVisibilityAttached::update);
    update();
}

void ItemVisibilityAttached::update()
{
    const QWindow::Visibility visibility = m_window ? m_window->visibility() : QWindow::Hidden;
    const bool onScreen =
        m_item->isVisible() && visibility != QWindow::Hidden && visibility != QWindow::Minimized;
    if (onScreen == m_isOnScreen)
        return;
    m_isOnScreen = onScreen;
    emit isOnScreenChanged();
}

ItemVisibilityAttached* ItemVisibility::qmlAttachedProperties(QObject* object)
{
    auto* item = qobject_cast<QQuickItem*>(object);
    return item ? new ItemVisibilityAttached(item) : nullptr;
}

} // namespace brisvane
