#pragma once
// The scenes brisvane-screenshot renders, each to `file` in the appearance `scheme` ("light" or
// "dark"), by group: the main window and its sections, the curve editor, the presets section,
// the menu-bar panel and tray label, and the gallery. Each returns the process's exit code: 0
// once written, 1 on failure, 2 for a state it does not know.

#include <QString>

namespace brisvane::screenshot {

// The main window on the real app state against the virtual Mac, once it has readings.
int mainWindow(const QString& scheme, const QString& file);
// The main window with its header in a caption state, `width` wide when above 0.
int header(const QString& state, const QString& scheme, const QString& file, int width);
int dashboard(const QString& state, const QString& scheme, const QString& file);
int settingsSection(const QString& state, const QString& scheme, const QString& file);

int curves(const QString& state, const QString& scheme, const QString& file);

int presetsSection(const QString& state, const QString& scheme, const QString& file);

int menuBarPanel(const QString& state, const QString& scheme, const QString& file);
// "wide" or "square".
int trayLabel(const QString& form, const QString& scheme, const QString& file);

int gallery(const QString& scheme, const QString& file);

} // namespace brisvane::screenshot
