#include "tools/screenshot/SceneDriver.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QImage>
#include <QMouseEvent>
#include <QPointingDevice>
#include <QQuickWindow>

#include <cstdio>

namespace brisvane::screenshot {

bool runUntil(const std::function<bool()>& done, std::chrono::milliseconds limit)
{
    QElapsedTimer timer;
    timer.start();
    while (!done()) {
        if (timer.elapsed() > limit.count())
            return false;
        QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
    }
    return true;
}

void settle(std::chrono::milliseconds duration)
{
    runUntil([] { return false; }, duration);
}

int save(QQuickWindow& window, const QString& file, int width, const std::function<void()>& prepare,
         std::chrono::milliseconds afterPrepare)
{
    if (width > 0)
        window.setWidth(width);
    window.show();
    settle(2500ms);
    if (prepare) {
        prepare();
        settle(afterPrepare);
    }
    return saveImage(window.grabWindow(), file);
}

int saveImage(const QImage& image, const QString& file)
{
    if (image.isNull() || !image.save(file)) {
        std::fprintf(stderr, "brisvane-screenshot: could not write %s\n", qUtf8Printable(file));
        return 1;
    }
    std::printf("%s\n", qUtf8Printable(file));
    return 0;
}

void sendMouse(QQuickWindow& window, QEvent::Type type, QPointF at, Qt::MouseButton button,
               Qt::MouseButtons buttons)
{
    QMouseEvent event(type, at, at, window.mapToGlobal(at), button, buttons, Qt::NoModifier,
                      QPointingDevice::primaryPointingDevice());
    QCoreApplication::sendEvent(&window, &event);
    QCoreApplication::processEvents();
}

namespace {

QAccessibleInterface* largestUnder(QAccessibleInterface* root, QAccessible::Role role,
                                   const QString& name, const QString& description)
{
    QAccessibleInterface* largest = nullptr;
    const auto area = [](QAccessibleInterface* object) {
        return object ? object->rect().width() * object->rect().height() : -1;
    };
    for (int i = 0; root && i < root->childCount(); ++i) {
        QAccessibleInterface* child = root->child(i);
        if (child && child->role() == role && child->text(QAccessible::Name) == name &&
            (description.isEmpty() || child->text(QAccessible::Description) == description) &&
            area(child) > area(largest))
            largest = child;
        if (QAccessibleInterface* found = largestUnder(child, role, name, description);
            area(found) > area(largest))
            largest = found;
    }
    return largest;
}

} // namespace

QAccessibleInterface* findAccessible(QQuickWindow& window, QAccessible::Role role,
                                     const QString& name, const char* what,
                                     const QString& description)
{
    QAccessibleInterface* found =
        largestUnder(QAccessible::queryAccessibleInterface(&window), role, name, description);
    if (!found && what)
        std::fprintf(stderr, "brisvane-screenshot: no %s %s\n", what, qUtf8Printable(name));
    return found;
}

QPointF centreOf(QQuickWindow& window, QAccessibleInterface* object)
{
    return window.mapFromGlobal(object->rect().center());
}

bool press(QAccessibleInterface* object)
{
    QAccessibleActionInterface* actions = object ? object->actionInterface() : nullptr;
    if (!actions)
        return false;
    actions->doAction(QAccessibleActionInterface::pressAction());
    return true;
}

} // namespace brisvane::screenshot
