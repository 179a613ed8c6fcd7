#include "app/core/MainWindowVisibility.h"

#include "app/core/Observable.h"

namespace brisvane {

MainWindowVisibility& MainWindowVisibility::shared()
{
    // Never destroyed: views may read it while the application winds down.
    static auto* instance = new MainWindowVisibility;
    return *instance;
}

void MainWindowVisibility::setIsOnScreen(bool onScreen)
{
    if (assignIfChanged(m_isOnScreen, onScreen))
        emit isOnScreenChanged();
}

} // namespace brisvane
