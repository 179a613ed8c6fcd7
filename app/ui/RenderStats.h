#pragma once
// Cost figures for bench/ui: every frame the main window renders and every time the tray image
// is drawn, as debug lines of "org.brisvane.Brisvane.ui-stats". The category is off unless
// QT_LOGGING_RULES turns it on, so the product's output never carries them.

#include <QLoggingCategory>
#include <QString>

class QQuickWindow;

namespace brisvane {

Q_DECLARE_LOGGING_CATEGORY(uiStatsLog)

namespace RenderStats {

// "<name> frame <n> hidden" when the window swaps a frame while it is not visible, else
// "... shown"; `name` is a literal that outlives the window.
void watchFrames(QQuickWindow& window, const char* name);
// "tray image drawn <n>: <label>", the label's two lines joined by a space.
void trayImageDrawn(const QString& label);

} // namespace RenderStats
} // namespace brisvane
