#include "app/ui/BrisvaneApp.h"

#include "app/ui/AccessibleEnabledState.h"
#include "app/ui/MenuBarItem.h"
#include "app/ui/RenderStats.h"
#include "app/ui/design/SymbolImageProvider.h"
#include "app/ui/design/WindowDefaults.h"
#include "app/ui/menubar/MenuBarPanelPlacement.h"
#include "app/ui/menubar/PanelChrome.h"
#include "app/ui/window/MainSection.h"

#include "app/core/AppDelegate.h"
#include "app/core/AppState.h"
#include "app/core/UserDefaults.h"

#include <QGuiApplication>
#include <QIcon>
#include <QScreen>
#include <QShortcut>
#include <QSurfaceFormat>
#include <QTimer>

#include <algorithm>

#if defined(__GLIBC__)
#include <malloc.h>
#endif

namespace brisvane {

BrisvaneApp::BrisvaneApp(AppState& state, AppDelegate& delegate, UserDefaults& defaults,
                         QObject* parent)
    : QObject(parent)
    , m_state(state)
    , m_delegate(delegate)
    , m_defaults(defaults)
{
    WindowDefaults::registerDefaults(defaults);
    m_freedMemoryReturn.setSingleShot(true);
    m_freedMemoryReturn.setInterval(kFreedMemoryReturnDelayMs);
    connect(&m_freedMemoryReturn, &QTimer::timeout, this, &BrisvaneApp::returnFreedMemory);
}

BrisvaneApp::~BrisvaneApp()
{
    // The windows' bindings read the state: they go before anything they look at.
    m_menuBarItem.reset();
    m_engine.reset();
}

QQuickWindow* BrisvaneApp::load(const char* url, const QVariantMap& properties)
{
    const qsizetype before = m_engine->rootObjects().size();
    m_engine->setInitialProperties(properties);
    m_engine->load(QUrl(QLatin1StringView(url)));
    const QList<QObject*> roots = m_engine->rootObjects();
    QQuickWindow* window =
        roots.size() > before ? qobject_cast<QQuickWindow*>(roots.last()) : nullptr;
    if (!window) {
        qCCritical(lifecycleLog, "the window could not be created from %s", url);
        return nullptr;
    }
    // A hidden window keeps neither its scene graph nor its graphics context: the app spends
    // most of its life closed, and they are rebuilt in a moment when it opens.
    window->setPersistentGraphics(false);
    window->setPersistentSceneGraph(false);
    connect(window, &QWindow::visibleChanged, this, [this](bool visible) {
        if (!visible)
            m_freedMemoryReturn.start();
    });
    return window;
}

bool BrisvaneApp::buildScenes(bool present)
{
    QGuiApplication::setWindowIcon(QIcon(QStringLiteral(":/brisvane/org.brisvane.Brisvane.svg")));
    installAccessibleEnabledState();
    m_engine = std::make_unique<QQmlApplicationEngine>();
    // Where the Brisvane.UI modules are found: they are embedded under qrc:/Brisvane/UI/.
    m_engine->addImportPath(QStringLiteral("qrc:/"));
    SymbolImageProvider::install(*m_engine);
    PanelShadowProvider::install(*m_engine);

    // The forced colour scheme is read each time the window's content is built: once here.
    m_mainWindow =
        load(kMainWindowURL,
             {{QStringLiteral("appState"), QVariant::fromValue(&m_state)},
              {QStringLiteral("mainWindowVisibility"), QVariant::fromValue(&m_visibility)},
              {QStringLiteral("forcedColorScheme"),
               m_defaults.stringValue(QLatin1StringView(WindowDefaults::kForceColorSchemeKey))
                   .value_or(QString())},
              {QStringLiteral("initialSection"),
               m_defaults.stringValue(QLatin1StringView(kInitialSectionKey)).value_or(QString())}});
    if (!m_mainWindow)
        return false;
    connect(m_mainWindow, &QWindow::visibleChanged, this, &BrisvaneApp::onMainWindowVisibleChanged);
    RenderStats::watchFrames(*m_mainWindow, "main window");
    m_menuBarPanel =
        load(kMenuBarPanelURL, {{QStringLiteral("appState"), QVariant::fromValue(&m_state)}});
    if (!m_menuBarPanel)
        return false;
    // Room for translucent corners, whatever the shape of each show: a compositing manager
    // may start or stop while the app runs, and a window's format is fixed once it exists.
    QSurfaceFormat format = m_menuBarPanel->requestedFormat();
    format.setAlphaBufferSize(8);
    m_menuBarPanel->setFormat(format);
    // The panel's buttons: it has closed itself already.
    connect(m_menuBarPanel, SIGNAL(openMainWindowRequested()), this, SLOT(openMainWindow()));
    connect(m_menuBarPanel, SIGNAL(openSettingsRequested()), this, SLOT(openSettings()));
    connect(m_menuBarPanel, SIGNAL(quitRequested()), this, SLOT(quit()));
    // The panel grows when the first sample arrives: above a tray at the bottom it would
    // otherwise cover the icon or run off the screen.
    connect(m_menuBarPanel, &QWindow::heightChanged, this, [this] {
        if (m_menuBarPanel->isVisible())
            placeMenuBarPanel();
    });
    connect(m_menuBarPanel, &QWindow::visibleChanged, this, [this](bool visible) {
        if (!visible) {
            m_panelHidden.start();
            m_menuBarPanel->setProperty("live", false);
        }
    });
    // Command-Q where the platform has it, Ctrl-Q elsewhere.
    connect(new QShortcut(QKeySequence::Quit, m_menuBarPanel), &QShortcut::activated, this,
            &BrisvaneApp::quit);
    RenderStats::watchFrames(*m_menuBarPanel, "menu-bar panel");

    if (MenuBarItem::isAvailable()) {
        m_menuBarItem = std::make_unique<MenuBarItem>(m_state, m_delegate);
        connect(m_menuBarItem.get(), &MenuBarItem::togglePanelRequested, this,
                &BrisvaneApp::toggleMenuBarPanel);
        m_menuBarItem->show([this] { openMainWindow(); });
    } else {
        qCInfo(lifecycleLog, "no system tray: the menu-bar item is not shown");
    }

    if (present)
        m_mainWindow->show();
    return true;
}

void BrisvaneApp::openMainWindow()
{
    if (m_controller) {
        m_controller->show();
        return;
    }
    if (m_mainWindow) {
        m_mainWindow->show();
        m_mainWindow->raise();
        m_mainWindow->requestActivate();
    }
}

void BrisvaneApp::openSettings()
{
    if (m_mainWindow)
        QMetaObject::invokeMethod(m_mainWindow, "showSection",
                                  Q_ARG(QVariant, static_cast<int>(MainSection::settings)));
    openMainWindow();
}

void BrisvaneApp::quit()
{
    m_delegate.terminate();
}

void BrisvaneApp::showMenuBarPanel()
{
    if (!m_menuBarPanel)
        return;
    // Filled from the state first, so that it is placed at the size it shows.
    m_menuBarPanel->setProperty("live", true);
    m_menuBarPanel->setProperty("shape",
                                static_cast<int>(PanelChrome::current(m_menuBarPanel->screen())));
    placeMenuBarPanel();
    m_menuBarPanel->show();
    m_menuBarPanel->raise();
    m_menuBarPanel->requestActivate();
}

void BrisvaneApp::showMenuBarPanelAtLaunch()
{
    if (!m_menuBarItem) {
        showMenuBarPanel();
        return;
    }
    // The tray embeds the new icon a moment after it is shown; until then the icon reports
    // where its unmapped window sits. Wait, boundedly, for it to move into the tray.
    const QRect unplaced = m_menuBarItem->geometry();
    auto* poll = new QTimer(this);
    poll->setInterval(kTrayPlacementPollMs);
    QElapsedTimer waited;
    waited.start();
    connect(poll, &QTimer::timeout, this, [this, poll, unplaced, waited] {
        const bool moved = m_menuBarItem->geometry() != unplaced;
        if (!moved && waited.elapsed() < kTrayPlacementWaitMs)
            return;
        poll->deleteLater();
        // An icon that never moved gives no usable place until it is clicked: the panel takes
        // the fallback.
        m_trayIconUnplaced = !moved;
        showMenuBarPanel();
    });
    poll->start();
}

void BrisvaneApp::placeMenuBarPanel()
{
    QRect icon;
    if (m_menuBarItem && !m_trayIconUnplaced)
        icon = m_menuBarItem->geometry();
    QScreen* screen = icon.isValid() ? QGuiApplication::screenAt(icon.center()) : nullptr;
    if (!screen)
        screen = QGuiApplication::primaryScreen();
    const QRect available = screen ? screen->availableGeometry() : QRect(0, 0, 1280, 800);
    // The panel itself is placed; its shadow's margin lies around it.
    const int margin = m_menuBarPanel->property("margin").toInt();
    const QPoint origin = MenuBarPanelPlacement::position(
        icon, available, m_menuBarPanel->size().shrunkBy(QMargins(margin, margin, margin, margin)));
    m_menuBarPanel->setPosition(origin - QPoint(margin, margin));
}

void BrisvaneApp::toggleMenuBarPanel()
{
    if (!m_menuBarPanel)
        return;
    m_trayIconUnplaced = false;
    if (m_menuBarPanel->isVisible()) {
        m_menuBarPanel->hide();
        return;
    }
    // A click on the icon first takes the focus from an open panel, which closes it: that
    // click meant "close", not "open again".
    if (m_panelHidden.isValid() && m_panelHidden.elapsed() < kPanelReopenGuardMs)
        return;
    showMenuBarPanel();
}

void BrisvaneApp::onMainWindowVisibleChanged(bool visible)
{
    if (!visible || m_firstShown)
        return;
    m_firstShown = true;
    // After the show has finished, as the content's own first-appearance task would run.
    QTimer::singleShot(0, this, [this] {
        if (!m_mainWindow)
            return;
        m_delegate.setAppState(&m_state);
        if (!m_controller)
            m_controller = new MainWindowController(*m_mainWindow, m_defaults, m_visibility);
        m_contentShown = m_controller->contentShown();
        emit mainWindowContentShown();
    });
}

void BrisvaneApp::returnFreedMemory()
{
    const auto shown = [](const QQuickWindow* window) { return window && window->isVisible(); };
    if (!m_engine || shown(m_mainWindow) || shown(m_menuBarPanel))
        return;
    m_engine->collectGarbage();
#if defined(__GLIBC__)
    // glibc keeps freed pages for the process; without this a closed app would hold all the
    // memory its window once used.
    malloc_trim(0);
#endif
}

} // namespace brisvane
