#include "app/ui/window/MainWindowVisibility.h"

#include "app/core/Observable.h"

namespace brisvane {

void MainWindowVisibility::setIsOnScreen(bool onScreen)
{
    if (assignIfChanged(m_isOnScreen, onScreen))
        emit isOnScreenChanged();
}

} // namespace brisvane
