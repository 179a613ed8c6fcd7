#pragma once
// The main window's four sections, in the order of the section picker.

#include <QString>
#include <QStringView>

#include <array>
#include <optional>

namespace brisvane {

enum class MainSection { dashboard, curves, presets, settings };

inline constexpr std::array<MainSection, 4> allMainSections{
    MainSection::dashboard, MainSection::curves, MainSection::presets, MainSection::settings};

// "dashboard", "curves", "presets", "settings".
QString rawValue(MainSection section);
// The title's translation key ("mainWindow.section.dashboard").
const char* titleKey(MainSection section);
// The symbol shown beside the title.
QString iconName(MainSection section);

// The section whose raw value equals `raw` exactly; nothing otherwise.
std::optional<MainSection> mainSection(QStringView raw);
// The section the window opens with, from the "InitialSection" default: any letter case, and
// the dashboard when the value is absent or names no section.
MainSection initialMainSection(const std::optional<QString>& initialSectionDefault);

} // namespace brisvane
