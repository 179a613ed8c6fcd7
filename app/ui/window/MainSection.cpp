#include "app/ui/window/MainSection.h"

#include <iterator>

namespace brisvane {

namespace {

struct SectionNames {
    const char* rawValue;
    const char* titleKey;
    const char* iconName;
};

// In the order of the enum.
constexpr SectionNames kSectionNames[] = {
    {"dashboard", QT_TRID_NOOP("mainWindow.section.dashboard"), "gauge.with.dots.needle.50percent"},
    {"curves", QT_TRID_NOOP("mainWindow.section.curves"), "chart.xyaxis.line"},
    {"presets", QT_TRID_NOOP("mainWindow.section.presets"), "square.stack.3d.up"},
    {"settings", QT_TRID_NOOP("mainWindow.section.settings"), "gearshape"},
};
static_assert(std::size(kSectionNames) == allMainSections.size());

const SectionNames& namesOf(MainSection section)
{
    return kSectionNames[static_cast<std::size_t>(section)];
}

} // namespace

QString rawValue(MainSection section)
{
    return QString::fromLatin1(namesOf(section).rawValue);
}

const char* titleKey(MainSection section)
{
    return namesOf(section).titleKey;
}

QString iconName(MainSection section)
{
    return QString::fromLatin1(namesOf(section).iconName);
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
