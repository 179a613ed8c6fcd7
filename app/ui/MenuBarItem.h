#pragma once
// The menu-bar item, as a system-tray icon where the desktop has a tray: its label is the
// two-line image of the temperature and the fastest fan's speed, tinted for the tray's
// background, with both texts and the current alerts as its tooltip. Clicking it opens or closes
// the panel; its context menu opens the main window or quits.

#include "app/ui/menubar/MenuBarLabel.h"

#include <QColor>
#include <QObject>
#include <QRect>
#include <QString>
#include <QStringList>
#include <QSystemTrayIcon>

#include <functional>
#include <memory>
#include <optional>

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
    // Where the icon is on screen; empty where the tray does not say.
    QRect geometry() const { return m_tray.geometry(); }
    QString toolTip() const { return m_tray.toolTip(); }

signals:
    // A click on the icon: the panel opens, or closes when it is open.
    void togglePanelRequested();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void updateLabel();
    void updateToolTip();

    AppState& m_state;
    AppDelegate& m_delegate;
    std::unique_ptr<QMenu> m_menu;
    QSystemTrayIcon m_tray;
    struct ShownLabel {
        MenuBarLabel::Reading reading;
        double scale = 0;
        QColor ink;
    };
    std::optional<ShownLabel> m_shown;
    // The label's two texts, the tooltip's first lines.
    QStringList m_readingLines;
};

} // namespace brisvane
