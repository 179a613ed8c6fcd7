#pragma once
// The app's bundle information and resources. Programs and their resources sit in an installed
// layout: the app is <prefix>/bin/Brisvane, the daemon it installs is
// <prefix>/libexec/brisvane/BrisvaneHelper and the daemon's launchd property list is
// <prefix>/share/brisvane/<helper label>.plist. The build tree has the same layout.

#include <QString>

#include <optional>

namespace brisvane {

struct AppBundle {
    static constexpr char kPrefixVariable[] = "BRISVANE_BUNDLE_PREFIX";

    static QString identifier();   // org.brisvane.Brisvane
    static QString shortVersion(); // 1.0
    static QString buildVersion(); // 1

    // The folder the layout hangs from: BRISVANE_BUNDLE_PREFIX if set and not empty (tests run
    // from elsewhere in the tree), else the parent of the running program's folder. Read on
    // every call.
    static QString prefix();

    // The path of an existing resource file: an executable (no extension) from
    // libexec/brisvane/, anything else from share/brisvane/. Nothing when it does not exist.
    static std::optional<QString> resourcePath(const QString& name, const QString& extension = {});
};

} // namespace brisvane
