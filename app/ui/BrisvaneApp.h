#pragma once
// The windowed application's scenes, which it owns: the main window (QML, identifier "main",
// hidden instead of closed), the menu-bar panel, and the menu-bar item where the desktop has a
// tray. When the window's content is first shown the delegate receives the state — from then on
// quitting hands the fans back — and the window gets its controller, width correction and
// optional auto-close. Nothing looks a window up: everything goes through this owner.

#include "app/ui/MainWindowController.h"
#include "app/ui/window/MainWindowVisibility.h"

#include <QElapsedTimer>
#include <QObject>
#include <QPointer>
#include <QQmlApplicationEngine>
#include <QQuickWindow>
#include <QTimer>

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
    static constexpr char kMainWindowURL[] = "qrc:/Brisvane/UI/Window/Main.qml";
    // The user default naming the section the main window opens with.
    static constexpr char kInitialSectionKey[] = "InitialSection";
    static constexpr char kMenuBarPanelURL[] = "qrc:/Brisvane/UI/MenuBar/Main.qml";

    // Registers the window's defaults. All three must outlive the scenes.
    BrisvaneApp(AppState& state, AppDelegate& delegate, UserDefaults& defaults,
                QObject* parent = nullptr);
    ~BrisvaneApp() override;

    // Builds the main window, shown at once when `present` (as at launch), the menu-bar panel
    // (hidden), and the menu-bar item where there is a tray. False when a window could not be
    // created.
    bool buildScenes(bool present = true);

    // Brings the main window forward: through its controller once there is one, else by
    // showing it. The route of the menu-bar item and of a reopen.
    Q_SLOT void openMainWindow();
    // As openMainWindow, turned to the settings (the panel's button for a missing helper).
    Q_SLOT void openSettings();
    // Through the delegate, which runs the quit sequence.
    Q_SLOT void quit();
    // Shows the menu-bar panel under the tray icon (at the top right of the screen without
    // one) and gives it focus; it closes when it loses it.
    void showMenuBarPanel();
    // --panel: as showMenuBarPanel, once the tray has taken in the icon (for at most
    // kTrayPlacementWaitMs).
    void showMenuBarPanelAtLaunch();
    // The tray icon's click: opens the panel, or closes it when it is open.
    void toggleMenuBarPanel();

    QQuickWindow* mainWindow() const { return m_mainWindow; }
    QQuickWindow* menuBarPanel() const { return m_menuBarPanel; }
    MainWindowController* mainWindowController() const { return m_controller; }
    // Whether the main window is on screen: its controller keeps it, its QML reads it.
    MainWindowVisibility& mainWindowVisibility() { return m_visibility; }
    QQmlEngine& engine() const { return *m_engine; }
    // What happened when the window's content was first shown; absent before.
    const std::optional<MainWindowController::ContentShown>& contentShown() const
    {
        return m_contentShown;
    }

signals:
    void mainWindowContentShown();

private:
    QQuickWindow* load(const char* url, const QVariantMap& properties);
    void onMainWindowVisibleChanged(bool visible);
    void placeMenuBarPanel();
    void returnFreedMemory();

    AppState& m_state;
    AppDelegate& m_delegate;
    UserDefaults& m_defaults;
    // Before the engine, whose windows read it.
    MainWindowVisibility m_visibility;
    std::unique_ptr<QQmlApplicationEngine> m_engine;
    QPointer<QQuickWindow> m_mainWindow;
    QPointer<QQuickWindow> m_menuBarPanel;
    // Belongs to the main window.
    QPointer<MainWindowController> m_controller;
    std::unique_ptr<MenuBarItem> m_menuBarItem;
    static constexpr int kPanelReopenGuardMs = 300;
    static constexpr int kTrayPlacementPollMs = 50;
    static constexpr int kTrayPlacementWaitMs = 1000;
    bool m_trayIconUnplaced = false;
    QElapsedTimer m_panelHidden;
    // Started when a window hides; by then the views it made are gone.
    QTimer m_freedMemoryReturn;
    static constexpr int kFreedMemoryReturnDelayMs = 2000;
    bool m_firstShown = false;
    std::optional<MainWindowController::ContentShown> m_contentShown;
};

} // namespace brisvane
