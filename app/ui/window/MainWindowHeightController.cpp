#include "app/ui/window/MainWindowHeightController.h"

#include <QParallelAnimationGroup>
#include <QPropertyAnimation>
#include <QQuickItem>
#include <QQuickWindow>
#include <QScreen>

#include <algorithm>
#include <cmath>

namespace brisvane {

std::optional<QRectF> MainWindowHeight::fittedFrame(double naturalHeight, const QRectF& frame,
                                                    double contentHeight, const QRectF& visibleArea)
{
    if (!(naturalHeight > 0))
        return std::nullopt;
    const double chrome = frame.height() - contentHeight;
    const double available = visibleArea.height() - chrome - kScreenMargin;
    const double target = std::min(std::max(naturalHeight, kMinimumContentHeight), available);
    if (std::abs(target - contentHeight) < 1)
        return std::nullopt;
    const double height = chrome + target;
    const double top = std::min(frame.top(), visibleArea.bottom() - height);
    return QRectF(frame.left(), top, frame.width(), height);
}

MainWindowHeightController::MainWindowHeightController(QObject* parent)
    : QObject(parent)
{
    m_scheduledResize.setSingleShot(true);
    m_scheduledResize.setInterval(0);
    connect(&m_scheduledResize, &QTimer::timeout, this,
            &MainWindowHeightController::resizeWindowNow);
}

MainWindowHeightController::~MainWindowHeightController() = default;

void MainWindowHeightController::setContentArea(QQuickItem* item)
{
    if (m_contentArea == item)
        return;
    m_contentArea = item;
    emit contentAreaChanged();
}

void MainWindowHeightController::setMainWindowVisibility(MainWindowVisibility* visibility)
{
    if (m_visibility == visibility)
        return;
    m_visibility = visibility;
    emit mainWindowVisibilityChanged();
}

void MainWindowHeightController::fitWindow(double naturalContentHeight)
{
    if (m_visibility && !m_visibility->isOnScreen())
        return;
    if (m_latestNaturalContentHeight != naturalContentHeight) {
        m_latestNaturalContentHeight = naturalContentHeight;
        emit latestNaturalContentHeightChanged();
    }
    m_scheduledResize.start();
}

void MainWindowHeightController::refitWindow()
{
    m_scheduledResize.start();
}

void MainWindowHeightController::resizeWindowNow()
{
    QQuickWindow* window = m_contentArea ? m_contentArea->window() : nullptr;
    if (!window || !window->isVisible())
        return;
    QScreen* screen = window->screen();
    if (!screen)
        return;
    // Mid-animation, or before the first layout, the window's size runs ahead of the scene's,
    // which catches up at its next resize event: the chrome is measured once they agree.
    if (std::abs(window->contentItem()->height() - window->height()) >= 1 &&
        ++m_turnsWaitedForScene <= kMostTurnsToWaitForScene) {
        m_scheduledResize.start();
        return;
    }
    m_turnsWaitedForScene = 0;
    const QMargins margins = window->frameMargins();
    const std::optional<QRectF> frame =
        MainWindowHeight::fittedFrame(m_latestNaturalContentHeight, window->frameGeometry(),
                                      m_contentArea->height(), screen->availableGeometry());
    if (!frame)
        return;

    // QWindow places and sizes the area inside the frame.
    const int y = qRound(frame->top()) + margins.top();
    const int height = qRound(frame->height()) - margins.top() - margins.bottom();
    if (m_animation)
        m_animation->stop();
    auto* group = new QParallelAnimationGroup(this);
    for (auto [property, end] : {std::pair{"y", y}, std::pair{"height", height}}) {
        auto* animation = new QPropertyAnimation(window, property, group);
        animation->setDuration(MainWindowHeight::kAnimationMilliseconds);
        animation->setEasingCurve(QEasingCurve::OutCubic);
        animation->setEndValue(end);
        group->addAnimation(animation);
    }
    m_animation = group;
    group->start(QAbstractAnimation::DeleteWhenStopped);
}

} // namespace brisvane
