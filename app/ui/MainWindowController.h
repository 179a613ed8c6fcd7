#pragma once
// The main window is never really closed: a close hides it (and, by the user's choice, the Dock
// icon), and show() brings both back. Created by the application for its main window when the
// window's content is first shown; it belongs to the window. Main thread only.

#include <QObject>
#include <QPointer>
#include <QWindow>

#include <optional>

namespace brisvane {

class MainWindowVisibility;
class UserDefaults;

class MainWindowController : public QObject {
    Q_OBJECT

public:
    static constexpr int kNarrowWidth = 780;    // at most this wide at first display ...
    static constexpr int kCorrectedWidth = 820; // ... the window is widened to this

    // Becomes the window's close handler and watches its minimising, which `visibility` follows.
    // `defaults` holds "hideDockIconWhenWindowClosed"; both must outlive the controller.
    MainWindowController(QWindow& window, UserDefaults& defaults, MainWindowVisibility& visibility);
    ~MainWindowController() override;

    QWindow& window() const { return *m_window; }

    // Dock icon back, on screen, window in front and active.
    void show();
    // Hides the window, marks it off screen, drops the Dock icon when the user wants that, and
    // refuses the close (always false).
    bool windowShouldClose();
    // Minimised or hidden windows are not on screen.
    void windowOnScreenStateChanged();

    // Run once, when the window's content is first shown: widens a window of at most 780 to 820
    // and centres it, and schedules the optional auto-close.
    struct ContentShown {
        bool widened = false;
        // Seconds until the user-style close, when "CloseMainWindowAfterSeconds" is above 0.
        std::optional<double> autoCloseAfterSeconds;
    };
    ContentShown contentShown();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    QPointer<QWindow> m_window;
    UserDefaults& m_defaults;
    MainWindowVisibility& m_visibility;
    bool m_wasMinimised = false;
};

} // namespace brisvane
