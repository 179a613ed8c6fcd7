#include "app/ui/BrisvaneApp.h"

#include "app/ui/MenuBarItem.h"
#include "app/ui/RenderStats.h"

#include "app/core/AppDelegate.h"
#include "app/core/AppState.h"
#include "app/core/UserDefaults.h"

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
    // The window's bindings read the state: it goes before anything it looks at.
    m_menuBarItem.reset();
    m_engine.reset();
}

bool BrisvaneApp::buildScenes(bool present)
{
    // The forced colour scheme is read each time the window's content is built: once here.
    m_palette = std::make_unique<ColorSchemePalette>(ColorSchemePalette::forcedColorScheme(
        m_defaults.stringValue(QLatin1StringView(AppState::kForceColorSchemeKey))));
    m_engine = std::make_unique<QQmlApplicationEngine>();
    // Where `import Brisvane.UI` is found: the module is embedded under qrc:/Brisvane/UI/.
    m_engine->addImportPath(QStringLiteral("qrc:/"));
    m_engine->setInitialProperties({
        {QStringLiteral("appState"), QVariant::fromValue(&m_state)},
        {QStringLiteral("colors"), QVariant::fromValue(m_palette.get())},
    });
    m_engine->load(QUrl(QLatin1StringView(kMainWindowURL)));
    const QList<QObject*> roots = m_engine->rootObjects();
    m_mainWindow = roots.isEmpty() ? nullptr : qobject_cast<QQuickWindow*>(roots.first());
    if (!m_mainWindow) {
        qCCritical(lifecycleLog, "the main window could not be created from %s", kMainWindowURL);
        return false;
    }
    connect(m_mainWindow, &QWindow::visibleChanged, this, &BrisvaneApp::onMainWindowVisibleChanged);
    RenderStats::watchFrames(*m_mainWindow);

    if (MenuBarItem::isAvailable()) {
        m_menuBarItem = std::make_unique<MenuBarItem>(m_state, m_delegate);
        m_menuBarItem->show();
    } else {
        qCInfo(lifecycleLog, "no system tray: the menu-bar item is not shown");
    }

    if (present)
        m_mainWindow->show();
    return true;
}

void BrisvaneApp::onMainWindowVisibleChanged(bool visible)
{
    if (!visible || m_firstShown)
        return;
    m_firstShown = true;
    // After the show has finished, as the content's own first-appearance task would run.
    QTimer::singleShot(0, this, [this] {
        m_delegate.setAppState(&m_state);
        m_contentShown = MainWindowController::mainWindowContentShown(m_defaults);
        emit mainWindowContentShown();
    });
}

} // namespace brisvane
