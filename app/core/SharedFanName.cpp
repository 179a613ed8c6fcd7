#include "app/core/SharedFanName.h"

namespace brisvane {

QString sharedFanName(int index, int totalFanCount)
{
    if (totalFanCount == 2)
        return index == 0 ? qtTrId("shared.fan.left") : qtTrId("shared.fan.right");
    return qtTrId("shared.fan.numbered").arg(static_cast<qlonglong>(index) + 1);
}

} // namespace brisvane
