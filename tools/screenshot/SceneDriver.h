#pragma once
// Driving a scene for its picture: waiting on the event loop, pointer events as the platform
// delivers them, the accessibility tree as assistive technology reads it, and saving the window
// once it has settled.

#include <QAccessible>
#include <QEvent>
#include <QPointF>
#include <QString>

#include <chrono>
#include <functional>

class QImage;
class QQuickWindow;

namespace brisvane::screenshot {

using namespace std::chrono_literals;

// Keeps the event loop running until `done` or `limit` has passed; false on the limit.
bool runUntil(const std::function<bool()>& done, std::chrono::milliseconds limit);
// Keeps the event loop running for `duration`.
void settle(std::chrono::milliseconds duration);

// Lets animations settle (the gauges take 1.8 s), then saves the window, `width` wide when
// above 0; `prepare` runs on the settled window first, and its effects settle for
// `afterPrepare`. 0 once written, 1 on failure.
int save(QQuickWindow& window, const QString& file, int width = 0,
         const std::function<void()>& prepare = {},
         std::chrono::milliseconds afterPrepare = 1000ms);
// Writes `image` to `file` and names it on stdout; 0 once written, 1 on failure.
int saveImage(const QImage& image, const QString& file);

// A mouse event at `at` (window coordinates) from the primary pointing device, as the platform
// would deliver it, handled before this returns.
void sendMouse(QQuickWindow& window, QEvent::Type type, QPointF at, Qt::MouseButton button,
               Qt::MouseButtons buttons);

// The largest object in the window with this role and name, and this description unless that
// is empty, as assistive technology finds it (a card rather than the header's pill of the same
// name); null, with a message naming `what` unless that is null, when there is none.
QAccessibleInterface* findAccessible(QQuickWindow& window, QAccessible::Role role,
                                     const QString& name, const char* what,
                                     const QString& description = {});
// The centre of `object` in window coordinates.
QPointF centreOf(QQuickWindow& window, QAccessibleInterface* object);
// Presses `object` as assistive technology does; false when it offers no press.
bool press(QAccessibleInterface* object);

} // namespace brisvane::screenshot
