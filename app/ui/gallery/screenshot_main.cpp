// brisvane-screenshot: renders one screen to a PNG file, for scripts/screenshots.sh.
//   brisvane-screenshot gallery|main-window light|dark FILE
// The main window runs the real app state against the system root in BRISVANE_SYSTEM_ROOT (a
// virtual Mac) and is taken once its first readings have settled. The scale comes from
// QT_SCALE_FACTOR; the offscreen platform needs no display.

#include "app/ui/BrisvaneApp.h"
#include "app/ui/design/SymbolImageProvider.h"

#include "app/core/AppDelegate.h"
#include "app/core/AppState.h"
#include "app/core/Translations.h"
#include "app/core/UserDefaults.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QQmlApplicationEngine>
#include <QQmlExtensionPlugin>
#include <QQuickWindow>
#include <QSettings>
#include <QTemporaryDir>

#include <cstdio>

Q_IMPORT_QML_PLUGIN(Brisvane_UI_GalleryPlugin)

namespace brisvane {
namespace {

using namespace std::chrono_literals;

// Keeps the event loop running until `done` or `limit` has passed.
bool runUntil(const std::function<bool()>& done, std::chrono::milliseconds limit)
{
    QElapsedTimer timer;
    timer.start();
    while (!done()) {
        if (timer.elapsed() > limit.count())
            return false;
        QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
    }
    return true;
}

// Lets animations settle (the gauges take 1.8 s), then saves the window.
int save(QQuickWindow& window, const QString& file)
{
    window.show();
    runUntil([] { return false; }, 2500ms);
    const QImage image = window.grabWindow();
    if (image.isNull() || !image.save(file)) {
        std::fprintf(stderr, "brisvane-screenshot: could not write %s\n", qUtf8Printable(file));
        return 1;
    }
    std::printf("%s\n", qUtf8Printable(file));
    return 0;
}

int gallery(const QString& scheme, const QString& file)
{
    QQmlApplicationEngine engine;
    engine.addImportPath(QStringLiteral("qrc:/"));
    SymbolImageProvider::install(engine);
    engine.setInitialProperties({{QStringLiteral("forcedColorScheme"), scheme}});
    engine.load(QUrl(QStringLiteral("qrc:/Brisvane/UI/Gallery/Gallery.qml")));
    auto* window = engine.rootObjects().isEmpty()
                       ? nullptr
                       : qobject_cast<QQuickWindow*>(engine.rootObjects().first());
    return window ? save(*window, file) : 1;
}

int mainWindow(const QString& scheme, const QString& file)
{
    // The user's own settings stay untouched.
    QTemporaryDir settings;
    UserDefaults defaults({QStringLiteral("Brisvane"), QStringLiteral("-ForceColorScheme"), scheme},
                          std::make_unique<QSettings>(settings.filePath(QStringLiteral("s.ini")),
                                                      QSettings::IniFormat));
    AppState::registerDefaults(defaults);
    AppState state(defaults);
    AppDelegate delegate;
    BrisvaneApp scenes(state, delegate, defaults);
    if (!scenes.buildScenes())
        return 1;
    if (!runUntil([&] { return state.telemetry().latest().has_value(); }, 15s)) {
        std::fprintf(stderr, "brisvane-screenshot: no readings from the virtual Mac\n");
        return 1;
    }
    return save(*scenes.mainWindow(), file);
}

} // namespace
} // namespace brisvane

int main(int argc, char** argv)
{
    QApplication app(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("Brisvane"));
    QCoreApplication::setOrganizationDomain(QStringLiteral("brisvane.org"));
    brisvane::Translations::install(app);
    const QStringList arguments = QCoreApplication::arguments();
    if (arguments.size() != 4) {
        std::fputs("usage: brisvane-screenshot gallery|main-window light|dark FILE\n", stderr);
        return 2;
    }
    const QString& screen = arguments[1];
    if (screen == QLatin1StringView("gallery"))
        return brisvane::gallery(arguments[2], arguments[3]);
    if (screen == QLatin1StringView("main-window"))
        return brisvane::mainWindow(arguments[2], arguments[3]);
    std::fprintf(stderr, "brisvane-screenshot: no screen %s\n", qUtf8Printable(screen));
    return 2;
}
