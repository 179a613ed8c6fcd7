// brisvane-screenshot: renders one screen to a PNG file, for scripts/screenshots.sh.
//   brisvane-screenshot gallery|main-window|menubar-STATE|tray-label[:square|wide] light|dark FILE
//   brisvane-screenshot header:STATE light|dark FILE [WIDTH]
//   brisvane-screenshot dashboard|curves|presets|settings:STATE light|dark FILE
// Each group's states are listed where it is drawn (WindowScenes.cpp, CurvesScenes.cpp,
// PresetsScenes.cpp, MenuBarScenes.cpp). The main window runs the real app state against the
// system root in BRISVANE_SYSTEM_ROOT (a virtual Mac) and is taken once its first readings have
// settled; the other screens show pinned readings and a helper stand-in. The scale comes from
// QT_SCALE_FACTOR; the offscreen platform needs no display.

#include "tools/screenshot/Scenes.h"

#include "app/core/Translations.h"

#include <QApplication>
#include <QLocale>
#include <QQmlExtensionPlugin>

#include <cstdio>

Q_IMPORT_QML_PLUGIN(Brisvane_UI_GalleryPlugin)

int main(int argc, char** argv)
{
    QApplication app(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("Brisvane"));
    QCoreApplication::setOrganizationDomain(QStringLiteral("brisvane.org"));
    const QLocale system = QLocale::system();
    brisvane::Translations::install(
        app, brisvane::Translations::chooseLocale(system.uiLanguages(), system));
    const QStringList arguments = QCoreApplication::arguments();
    if (arguments.size() != 4 && arguments.size() != 5) {
        std::fputs(
            "usage: brisvane-screenshot gallery|main-window|menubar-STATE|tray-label[:square] "
            "light|dark FILE\n"
            "       brisvane-screenshot header:STATE light|dark FILE [WIDTH]\n"
            "       brisvane-screenshot dashboard|curves|presets|settings:STATE light|dark FILE\n",
            stderr);
        return 2;
    }
    namespace shot = brisvane::screenshot;
    const QString& screen = arguments[1];
    const QString& scheme = arguments[2];
    const QString& file = arguments[3];
    const auto stateOf = [&](QLatin1StringView prefix) -> std::optional<QString> {
        if (!screen.startsWith(prefix))
            return std::nullopt;
        return screen.mid(prefix.size());
    };
    if (const auto state = stateOf(QLatin1StringView("header:")))
        return shot::header(*state, scheme, file, arguments.size() == 5 ? arguments[4].toInt() : 0);
    if (const auto state = stateOf(QLatin1StringView("presets:")))
        return shot::presetsSection(*state, scheme, file);
    if (const auto state = stateOf(QLatin1StringView("curves:")))
        return shot::curves(*state, scheme, file);
    if (const auto state = stateOf(QLatin1StringView("settings:")))
        return shot::settingsSection(*state, scheme, file);
    if (const auto state = stateOf(QLatin1StringView("dashboard:")))
        return shot::dashboard(*state, scheme, file);
    if (screen == QLatin1StringView("gallery"))
        return shot::gallery(scheme, file);
    if (screen == QLatin1StringView("main-window"))
        return shot::mainWindow(scheme, file);
    if (const auto state = stateOf(QLatin1StringView("menubar-")))
        return shot::menuBarPanel(*state, scheme, file);
    if (screen == QLatin1StringView("tray-label"))
        return shot::trayLabel(QStringLiteral("wide"), scheme, file);
    if (const auto state = stateOf(QLatin1StringView("tray-label:")))
        return shot::trayLabel(*state, scheme, file);
    std::fprintf(stderr, "brisvane-screenshot: no screen %s\n", qUtf8Printable(screen));
    return 2;
}
