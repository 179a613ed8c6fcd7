#include "app/core/PresetSlot.h"

#include "app/core/UuidText.h"

namespace brisvane {
namespace {
constexpr QLatin1StringView kAutomaticID("automatic");
}

QString PresetSlot::automaticTitle()
{
    return qtTrId("shared.mode.automatic");
}

std::optional<PresetSlot> PresetSlot::fromID(QStringView id)
{
    if (id == kAutomaticID)
        return automatic();
    if (const std::optional<QUuid> uuid = uuidFromText(id))
        return preset(*uuid);
    return std::nullopt;
}

QString PresetSlot::id() const
{
    return m_presetID ? uuidText(*m_presetID) : QString(kAutomaticID);
}

} // namespace brisvane
