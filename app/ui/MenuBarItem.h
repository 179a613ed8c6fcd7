#pragma once
// The menu-bar item, as a system-tray icon where the desktop has a tray: its label shows the
// temperature that drives the fans (the app's mark before the first sample) and the fastest
// fan's speed; activating it brings the main
// window forward, and its menu opens the window or quits. The panel comes later.

#include <QIcon>
#include <QObject>
#include <QString>
#include <QSystemTrayIcon>

#include <functional>
#include <memory>

class QMenu;

namespace brisvane {

class AppDelegate;
class AppState;

class MenuBarItem : public QObject {
    Q_OBJECT

public:
    // Needs a QApplication; false on desktops without a tray and on the offscreen platform.
    static bool isAvailable();

    MenuBarItem(AppState& state, AppDelegate& delegate, QObject* parent = nullptr);
    ~MenuBarItem() override;

    // Shows the item and installs `openMainWindow` as the state's route to the main window.
    void show(std::function<void()> openMainWindow);

    // "55°" from the driving temperature, "--" before the first sample.
    static QString temperatureText(const AppState& state);
    // "2400 rpm" from the fastest fan, truncated; "--" before the first sample.
    static QString fanSpeedText(const AppState& state);

private:
    void updateLabel();
    static QIcon labelIcon(const QString& temperature);

    AppState& m_state;
    AppDelegate& m_delegate;
    std::unique_ptr<QMenu> m_menu;
    QSystemTrayIcon m_tray;
    QString m_renderedTemperature;
};

} // namespace brisvane
