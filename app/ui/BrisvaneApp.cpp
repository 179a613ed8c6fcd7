#include "app/ui/BrisvaneApp.h"

#include "app/ui/MenuBarItem.h"
#include "app/ui/RenderStats.h"
#include "app/ui/design/SymbolImageProvider.h"

#include "app/core/AppDelegate.h"
#include "app/core/AppState.h"
#include "app/core/UserDefaults.h"

#include <QGuiApplication>
#include <QIcon>
#include <QTimer>

namespace brisvane {

BrisvaneApp::BrisvaneApp(AppState& state, AppDelegate& delegate, UserDefaults& defaults,
                         QObject* parent)
    : QObject(parent)
    , m_state(state)
    , m_delegate(delegate)
    , m_defaults(defaults)
{}

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
    if (!window)
        qCCritical(lifecycleLog, "the window could not be created from %s", url);
    return window;
}

bool BrisvaneApp::buildScenes(bool present)
{
    QGuiApplication::setWindowIcon(QIcon(QStringLiteral(":/brisvane/org.brisvane.Brisvane.svg")));
    m_engine = std::make_unique<QQmlApplicationEngine>();
    // Where the Brisvane.UI modules are found: they are embedded under qrc:/Brisvane/UI/.
    m_engine->addImportPath(QStringLiteral("qrc:/"));
    SymbolImageProvider::install(*m_engine);

    // The forced colour scheme is read each time the window's content is built: once here.
    m_mainWindow =
        load(kMainWindowURL,
             {{QStringLiteral("appState"), QVariant::fromValue(&m_state)},
              {QStringLiteral("forcedColorScheme"),
               m_defaults.stringValue(QLatin1StringView(AppState::kForceColorSchemeKey))
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
    RenderStats::watchFrames(*m_menuBarPanel, "menu-bar panel");

    if (MenuBarItem::isAvailable()) {
        m_menuBarItem = std::make_unique<MenuBarItem>(m_state, m_delegate);
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
            m_controller = new MainWindowController(*m_mainWindow, m_defaults);
        m_contentShown = m_controller->contentShown();
        emit mainWindowContentShown();
    });
}

} // namespace brisvane
