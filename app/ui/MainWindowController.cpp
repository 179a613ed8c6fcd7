#include "app/ui/MainWindowController.h"

#include "app/ui/ActivationPolicy.h"
#include "app/ui/design/WindowDefaults.h"
#include "app/ui/window/MainWindowVisibility.h"

#include "app/core/UserDefaults.h"

#include <QCloseEvent>
#include <QGuiApplication>
#include <QScreen>
#include <QTimer>

#include <algorithm>
#include <limits>

namespace brisvane {
namespace {

// The window with its frame centred on its screen (else the primary one), size unchanged.
void centre(QWindow& window)
{
    const QScreen* screen = window.screen() ? window.screen() : QGuiApplication::primaryScreen();
    if (!screen)
        return;
    const QRect available = screen->availableGeometry();
    const QSize frame = window.frameGeometry().size();
    window.setFramePosition({available.x() + (available.width() - frame.width()) / 2,
                             available.y() + (available.height() - frame.height()) / 2});
}

} // namespace

MainWindowController::MainWindowController(QWindow& window, UserDefaults& defaults,
                                           MainWindowVisibility& visibility)
    : QObject(&window)
    , m_window(&window)
    , m_defaults(defaults)
    , m_visibility(visibility)
{
    window.installEventFilter(this);
    // Only minimising and restoring count: state changes that come with showing and hiding are
    // reported before the window's visibility has changed.
    connect(&window, &QWindow::windowStateChanged, this, [this](Qt::WindowState) {
        const bool minimised = m_window->windowStates() & Qt::WindowMinimized;
        if (minimised != m_wasMinimised) {
            m_wasMinimised = minimised;
            windowOnScreenStateChanged();
        }
    });
}

MainWindowController::~MainWindowController()
{
    if (m_window)
        m_window->removeEventFilter(this);
}

void MainWindowController::show()
{
    setActivationPolicy(ActivationPolicy::regular);
    m_visibility.setIsOnScreen(true);
    if (m_window->windowStates() & Qt::WindowMinimized)
        m_window->setWindowStates(m_window->windowStates() & ~Qt::WindowMinimized);
    m_window->show();
    m_window->raise();
    m_window->requestActivate();
}

bool MainWindowController::windowShouldClose()
{
    m_window->hide();
    m_visibility.setIsOnScreen(false);
    if (m_defaults.boolValue(QLatin1StringView(WindowDefaults::kHideDockIconWhenWindowClosedKey))
            .value_or(true))
        setActivationPolicy(ActivationPolicy::accessory);
    return false;
}

void MainWindowController::windowOnScreenStateChanged()
{
    m_visibility.setIsOnScreen(m_window->isVisible() &&
                               !(m_window->windowStates() & Qt::WindowMinimized));
}

bool MainWindowController::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == m_window && event->type() == QEvent::Close) {
        event->setAccepted(windowShouldClose());
        return true;
    }
    return QObject::eventFilter(watched, event);
}

MainWindowController::ContentShown MainWindowController::contentShown()
{
    ContentShown result;
    QWindow& window = *m_window;
    if (window.width() <= kNarrowWidth) {
        window.resize(kCorrectedWidth, window.height());
        centre(window);
        result.widened = true;
    }

    const std::optional<double> seconds =
        m_defaults.doubleValue(QLatin1StringView(WindowDefaults::kCloseMainWindowAfterSecondsKey));
    if (seconds && *seconds > 0) {
        result.autoCloseAfterSeconds = *seconds;
        // A timer counts in int milliseconds: anything longer waits about 24 days.
        const auto delay = std::chrono::milliseconds(
            static_cast<int>(std::min(*seconds * 1000, double(std::numeric_limits<int>::max()))));
        QTimer::singleShot(delay, this, [this] {
            if (m_window)
                m_window->close();
        });
    }
    return result;
}

} // namespace brisvane
