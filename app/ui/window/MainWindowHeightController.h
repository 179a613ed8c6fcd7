#pragma once
// The main window's height follows the natural height of the section it shows, within the
// screen; the user keeps the width. Main thread only.

#include "app/ui/window/MainWindowVisibility.h"

#include <QObject>
#include <QPointer>
#include <QQuickItem>
#include <QRectF>
#include <QTimer>
#include <QtQml/qqmlregistration.h>

#include <memory>
#include <optional>

class QParallelAnimationGroup;
class QWindow;

namespace brisvane {

struct MainWindowHeight {
    static constexpr double kMinimumContentHeight = 420;
    static constexpr double kScreenMargin = 24;
    static constexpr int kAnimationMilliseconds = 300;

    // The window frame (title bar and all, y downwards) that gives content of `naturalHeight`
    // room: at least 420, at most what the screen's visible area leaves after the chrome and a
    // margin of 24. The top edge stays unless the bottom would leave the visible area. Nothing
    // when there is no height yet or the content area would change by less than 1.
    static std::optional<QRectF> fittedFrame(double naturalHeight, const QRectF& frame,
                                             double contentHeight, const QRectF& visibleArea);
};

class MainWindowHeightController : public QObject {
    Q_OBJECT
    QML_ELEMENT

public:
    explicit MainWindowHeightController(QObject* parent = nullptr);
    ~MainWindowHeightController() override;

    // The area the sections are laid out in; the window around it is the chrome.
    Q_PROPERTY(
        QQuickItem* contentArea READ contentArea WRITE setContentArea NOTIFY contentAreaChanged)
    QQuickItem* contentArea() const { return m_contentArea; }
    void setContentArea(QQuickItem* item);

    // Whether the window is on screen; none counts as on screen.
    Q_PROPERTY(brisvane::MainWindowVisibility* mainWindowVisibility READ mainWindowVisibility WRITE
                   setMainWindowVisibility NOTIFY mainWindowVisibilityChanged)
    MainWindowVisibility* mainWindowVisibility() const { return m_visibility; }
    void setMainWindowVisibility(MainWindowVisibility* visibility);

    // The last height reported while the window was on screen.
    double latestNaturalContentHeight() const { return m_latestNaturalContentHeight; }

    // A report of the content's natural height; dropped while the window is off screen.
    Q_INVOKABLE void fitWindow(double naturalContentHeight);
    // Fits again to the stored height (the section changed).
    Q_INVOKABLE void refitWindow();

signals:
    void contentAreaChanged();
    void mainWindowVisibilityChanged();
    void latestNaturalContentHeightChanged();

private:
    void resizeWindowNow();

    QPointer<QQuickItem> m_contentArea;
    QPointer<MainWindowVisibility> m_visibility;
    double m_latestNaturalContentHeight = 0;
    // Fires once the current event-loop turn is over, so that its reports make one resize.
    QTimer m_scheduledResize;
    // A scene that never catches up must not keep the event loop spinning.
    static constexpr int kMostTurnsToWaitForScene = 50;
    int m_turnsWaitedForScene = 0;
    QPointer<QParallelAnimationGroup> m_animation;
};

} // namespace brisvane
