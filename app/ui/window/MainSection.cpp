#include "app/ui/window/MainSection.h"

namespace brisvane {

QString rawValue(MainSection section)
{
    switch (section) {
    case MainSection::dashboard:
        return QStringLiteral("dashboard");
    case MainSection::curves:
        return QStringLiteral("curves");
    case MainSection::presets:
        return QStringLiteral("presets");
    case MainSection::settings:
        return QStringLiteral("settings");
    }
    return {};
}

const char* titleKey(MainSection section)
{
    switch (section) {
    case MainSection::dashboard:
        return "mainWindow.section.dashboard";
    case MainSection::curves:
        return "mainWindow.section.curves";
    case MainSection::presets:
        return "mainWindow.section.presets";
    case MainSection::settings:
        return "mainWindow.section.settings";
    }
    return "";
}

QString iconName(MainSection section)
{
    switch (section) {
    case MainSection::dashboard:
        return QStringLiteral("gauge.with.dots.needle.50percent");
    case MainSection::curves:
        return QStringLiteral("chart.xyaxis.line");
    case MainSection::presets:
        return QStringLiteral("square.stack.3d.up");
    case MainSection::settings:
        return QStringLiteral("gearshape");
    }
    return {};
}

std::optional<MainSection> mainSection(QStringView raw)
{
    for (MainSection section : allMainSections) {
        if (raw == rawValue(section))
            return section;
    }
    return std::nullopt;
}

MainSection initialMainSection(const std::optional<QString>& initialSectionDefault)
{
    if (!initialSectionDefault)
        return MainSection::dashboard;
    return mainSection(initialSectionDefault->toLower()).value_or(MainSection::dashboard);
}

} // namespace brisvane
