#pragma once
// The menu-bar item, as a system-tray icon where the desktop has a tray: its label is the
// temperature, drawn as large as the tray's square icon allows (both lines where the tray gives
// width), in the ink of the tray's background, with both texts and the current alerts as its
// tooltip. Clicking it opens or closes
// the panel; its context menu opens the main window or quits.

#include "app/ui/menubar/MenuBarLabel.h"

#include <QColor>
#include <QElapsedTimer>
#include <QObject>
#include <QRect>
#include <QSize>
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
    QString toolTip() const { return m_toolTip; }

signals:
    // A click on the icon: the panel opens, or closes when it is open.
    void togglePanelRequested();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void updateLabel();
    void updateToolTip();
    static QColor inkForPlatform();

    AppState& m_state;
    AppDelegate& m_delegate;
    std::unique_ptr<QMenu> m_menu;
    QSystemTrayIcon m_tray;
    QSize iconArea() const;

    struct ShownLabel {
        // The fan speed stays empty while the label shows the temperature alone, so a new speed
        // alone draws nothing.
        MenuBarLabel::Reading reading;
        QSize area;
        double scale = 0;
        QColor ink;
        bool operator==(const ShownLabel&) const = default;
    };
    std::optional<ShownLabel> m_shown;
    std::optional<MenuBarLabel::Reading> m_reading;
    QElapsedTimer m_areaAsked;
    // The label's two texts, the tooltip's first lines.
    QStringList m_readingLines{QString(), QString()};
    // The label's ink, kept until the palette changes, and its formats, until the language does.
    QColor m_ink;
    MenuBarLabel::Texts m_texts;
    // What the tray's tooltip was last given.
    QString m_toolTip;
};

} // namespace brisvane
