#pragma once
// The app's bundle information and resources. Programs and their resources sit in an installed
// layout: the app is <prefix>/bin/Brisvane, the daemon it installs is
// <prefix>/libexec/brisvane/BrisvaneHelper and the daemon's launchd property list is
// <prefix>/share/brisvane/<helper label>.plist. The build tree has the same layout, and nothing
// else is looked at, so a tree moved elsewhere keeps working. In Brisvane.app on Apple the
// prefix is Contents/ and both resources are in Contents/Resources/.

#include <QString>

#include <optional>

namespace brisvane {

struct AppBundle {
    static constexpr char kPrefixVariable[] = "BRISVANE_BUNDLE_PREFIX";

    enum class Layout { Installed, AppleBundle };
#ifdef Q_OS_MACOS
    static constexpr Layout kLayout = Layout::AppleBundle;
#else
    static constexpr Layout kLayout = Layout::Installed;
#endif

    static QString identifier();   // org.brisvane.Brisvane
    static QString shortVersion(); // 1.0
    static QString buildVersion(); // 1

    // The folder the layout hangs from: BRISVANE_BUNDLE_PREFIX if set and not empty (tests run
    // from elsewhere in the tree), else the parent of the running program's folder. Read on
    // every call.
    static QString prefix();

    // Where a resource sits under the prefix in `layout`: in an installed tree an executable
    // (no extension) in libexec/brisvane/ and anything else in share/brisvane/; in an Apple
    // bundle both in Resources/.
    static QString resourceLocation(Layout layout, const QString& name, const QString& extension);

    // The path of an existing resource file of this platform's layout. Nothing when it does
    // not exist.
    static std::optional<QString> resourcePath(const QString& name, const QString& extension = {});
};

} // namespace brisvane
