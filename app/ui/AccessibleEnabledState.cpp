#include "app/ui/AccessibleEnabledState.h"

#include <QAccessible>
#include <QQuickItem>
#include <QtQuick/private/qaccessiblequickitem_p.h>
#include <QtQuick/private/qquickitem_p.h>

namespace brisvane {
namespace {

#if QT_CONFIG(accessibility)
// Qt Quick's own item interface with the item's effective enabled flag added to its state.
class EnabledAwareQuickItem : public QAccessibleQuickItem {
public:
    using QAccessibleQuickItem::QAccessibleQuickItem;

    QAccessible::State state() const override
    {
        QAccessible::State state = QAccessibleQuickItem::state();
        if (item() && !item()->isEnabled()) {
            state.disabled = true;
            state.focusable = false;
        }
        return state;
    }
};

// Consulted before Qt Quick's factory (the latest installed comes first) and at the same class,
// so every item Qt Quick would describe is described the same way, plus the enabled flag.
QAccessibleInterface* enabledAwareFactory(const QString& className, QObject* object)
{
    if (className != QLatin1StringView("QQuickItem"))
        return nullptr;
    auto* item = qobject_cast<QQuickItem*>(object);
    if (!item || !QQuickItemPrivate::get(item)->isAccessible)
        return nullptr;
    // The interface lives as long as the item (the accessibility cache owns it): tell the
    // assistive technology whenever the flag flips, through the item's parents as well.
    QObject::connect(item, &QQuickItem::enabledChanged, item, [item] {
        QAccessible::State changed;
        changed.disabled = true;
        QAccessibleStateChangeEvent event(item, changed);
        QAccessible::updateAccessibility(&event);
    });
    return new EnabledAwareQuickItem(item);
}
#endif

} // namespace

void installAccessibleEnabledState()
{
#if QT_CONFIG(accessibility)
    QAccessible::installFactory(&enabledAwareFactory);
#endif
}

} // namespace brisvane
