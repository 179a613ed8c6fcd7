#pragma once
// The windowed application's scenes: the main window (QML, identifier "main", hidden instead of
// closed) and the menu-bar item where the desktop has a tray. When the window's content is first
// shown the delegate receives the state — from then on quitting hands the fans back — and the
// window gets its controller, width correction and optional auto-close.

#include "app/ui/ColorSchemePalette.h"
#include "app/ui/MainWindowController.h"

#include <QObject>
#include <QPointer>
#include <QQmlApplicationEngine>
#include <QQuickWindow>

#include <memory>
#include <optional>

namespace brisvane {

class AppDelegate;
class AppState;
class MenuBarItem;
class UserDefaults;

class BrisvaneApp : public QObject {
    Q_OBJECT

public:
    static constexpr char kMainWindowURL[] = "qrc:/Brisvane/UI/Main.qml";

    // All three must outlive the scenes.
    BrisvaneApp(AppState& state, AppDelegate& delegate, UserDefaults& defaults,
                QObject* parent = nullptr);
    ~BrisvaneApp() override;

    // Builds the main window, shown at once when `present` (as at launch), and the menu-bar
    // item where there is a tray. False when the window could not be created.
    bool buildScenes(bool present = true);

    QQuickWindow* mainWindow() const { return m_mainWindow; }
    const ColorSchemePalette* palette() const { return m_palette.get(); }
    bool hasMenuBarItem() const { return m_menuBarItem != nullptr; }
    // What happened when the window's content was first shown; absent before.
    const std::optional<MainWindowController::ContentShown>& contentShown() const
    {
        return m_contentShown;
    }

signals:
    void mainWindowContentShown();

private:
    void onMainWindowVisibleChanged(bool visible);

    AppState& m_state;
    AppDelegate& m_delegate;
    UserDefaults& m_defaults;
    // Read by the window's bindings, so it outlives the engine.
    std::unique_ptr<ColorSchemePalette> m_palette;
    std::unique_ptr<QQmlApplicationEngine> m_engine;
    QPointer<QQuickWindow> m_mainWindow;
    std::unique_ptr<MenuBarItem> m_menuBarItem;
    bool m_firstShown = false;
    std::optional<MainWindowController::ContentShown> m_contentShown;
};

} // namespace brisvane
