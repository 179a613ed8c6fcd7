#pragma once
// The user defaults of the main window: read when its content is built, when it closes, and by
// the settings' Dock switch. Registered when the application is created.

#include "app/core/UserDefaults.h"

namespace brisvane {

struct WindowDefaults {
    static constexpr char kHideDockIconWhenWindowClosedKey[] = "hideDockIconWhenWindowClosed";
    static constexpr char kForceColorSchemeKey[] = "ForceColorScheme";
    static constexpr char kCloseMainWindowAfterSecondsKey[] = "CloseMainWindowAfterSeconds";

    // "hideDockIconWhenWindowClosed" = true.
    static void registerDefaults(UserDefaults& defaults)
    {
        defaults.registerDefaults({{QLatin1StringView(kHideDockIconWhenWindowClosedKey), true}});
    }
};

} // namespace brisvane
