// The Brisvane program: the menu-bar app, or one of its command-line modes (see --help).

#include "app/ui/BrisvaneApp.h"
#include "app/ui/HeadlessSession.h"
#include "app/ui/HelperCommands.h"
#include "app/ui/InstanceCommands.h"
#include "app/ui/LaunchOptions.h"
#include "app/ui/UnixSignalNotifier.h"

#include "app/core/AppBundle.h"
#include "app/core/AppCommands.h"
#include "app/core/AppDelegate.h"
#include "app/core/AppState.h"
#include "app/core/Translations.h"
#include "app/core/UserDefaults.h"

#include "shared/HelperShared.h"
#include "smc/SMCDiagnostics.h"

#include <QApplication>
#include <QCoreApplication>
#include <QLoggingCategory>
#include <QQmlExtensionPlugin>

#include <csignal>
#include <cstdio>
#include <iostream>

Q_IMPORT_QML_PLUGIN(Brisvane_UI_DesignPlugin)
Q_IMPORT_QML_PLUGIN(Brisvane_UI_DashboardPlugin)
Q_IMPORT_QML_PLUGIN(Brisvane_UI_CurvesPlugin)
Q_IMPORT_QML_PLUGIN(Brisvane_UI_PresetsPlugin)
Q_IMPORT_QML_PLUGIN(Brisvane_UI_SettingsPlugin)
Q_IMPORT_QML_PLUGIN(Brisvane_UI_WindowPlugin)
Q_IMPORT_QML_PLUGIN(Brisvane_UI_MenuBarPlugin)

namespace brisvane {
namespace {

constexpr int kUsageErrorStatus = 2;

void nameApplication()
{
    QCoreApplication::setApplicationName(QStringLiteral("Brisvane"));
    QCoreApplication::setOrganizationDomain(QStringLiteral("brisvane.org"));
    QCoreApplication::setApplicationVersion(AppBundle::shortVersion());
}

void loadTranslations(QCoreApplication& app)
{
    const QLocale locale = Translations::chooseLocale(
        Translations::preferredLanguages(UserDefaults::standard()), QLocale::system());
    if (!Translations::install(app, locale))
        qCWarning(lifecycleLog, "the English texts could not be loaded");
}

// Commands from the command line (Brisvane --status, …) act on this copy's state.
void answerCommands(AppDelegate& delegate, AppState& state)
{
    delegate.instance().setCommandHandler(
        [&state](const QJsonObject& request) { return AppCommands::handle(state, request); });
}

// Quit politely on the first interrupt or termination, at once on the second.
void quitOnSignals(UnixSignalNotifier& notifier, AppDelegate& delegate)
{
    QObject::connect(&notifier, &UnixSignalNotifier::received, &delegate, [&delegate](int number) {
        qCInfo(lifecycleLog, "received signal %d", number);
        if (delegate.isTerminating())
            delegate.terminateImmediately();
        else
            delegate.terminate();
    });
}

int runWindowed(int argc, char** argv, bool openPanel)
{
    // On X11 only the tray icon and its menu paint through Qt's own backing store (Qt Quick
    // presents through OpenGL). Before each repaint of a shared-memory image Qt waits for a round
    // trip to the X server; sending the icon's few hundred bytes costs less. A user's own choice
    // stands.
    if (!qEnvironmentVariableIsSet("QT_XCB_NO_MITSHM"))
        qputenv("QT_XCB_NO_MITSHM", "1");
    QApplication app(argc, argv);
    nameApplication();
    QGuiApplication::setDesktopFileName(QStringLiteral("org.brisvane.Brisvane"));
    // Closing the main window hides it; the app lives on in the menu bar.
    QGuiApplication::setQuitOnLastWindowClosed(false);
    loadTranslations(app);

    UserDefaults& defaults = UserDefaults::standard();
    AppState state(defaults);
    AppDelegate delegate;
    answerCommands(delegate, state);
    delegate.applicationDidFinishLaunching();
    UnixSignalNotifier signalNotifier({SIGINT, SIGTERM, SIGHUP});
    quitOnSignals(signalNotifier, delegate);

    BrisvaneApp scenes(state, delegate, defaults);
    if (!scenes.buildScenes())
        return 1;
    if (openPanel)
        scenes.showMenuBarPanelAtLaunch();
    return app.exec();
}

int runHeadless(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    nameApplication();
    loadTranslations(app);

    UserDefaults& defaults = UserDefaults::standard();
    AppState state(defaults);
    AppDelegate delegate;
    // No window to wait for: quitting always hands the fans back through the engine.
    delegate.setAppState(&state);
    answerCommands(delegate, state);
    delegate.applicationDidFinishLaunching();
    UnixSignalNotifier signalNotifier({SIGINT, SIGTERM, SIGHUP});
    quitOnSignals(signalNotifier, delegate);

    HeadlessSession session(state, stdout);
    return app.exec();
}

// The SMC report, with this program's versions and the daemon's it was built with.
void dumpSMCKeys()
{
    auto environment = SMCDiagnostics::Environment::current();
    environment.shortVersion = AppBundle::shortVersion().toStdString();
    environment.bundleVersion = AppBundle::buildVersion().toStdString();
    environment.helperVersion = std::string(HelperConstants::helperVersion);
    SMCDiagnostics::dump(std::cout, environment);
    std::cout.flush();
}

int runHelperCommand(int argc, char** argv, LaunchOptions::Mode mode)
{
    QCoreApplication app(argc, argv);
    nameApplication();
    loadTranslations(app);
    return mode == LaunchOptions::Mode::installHelper ? HelperCommands::install(stdout, stderr)
                                                      : HelperCommands::uninstall(stdout, stderr);
}

int runInstanceCommand(int argc, char** argv, const LaunchOptions& options)
{
    QCoreApplication app(argc, argv);
    nameApplication();
    loadTranslations(app);
    // The preset store's load line is for the app's log, not for a script's output.
    QLoggingCategory::setFilterRules(QStringLiteral("org.brisvane.Brisvane.*.info=false"));
    return InstanceCommands::run(options, UserDefaults::standard(), stdout, stderr);
}

} // namespace
} // namespace brisvane

int main(int argc, char** argv)
{
    using namespace brisvane;
    QStringList arguments;
    for (int i = 0; i < argc; ++i)
        arguments.append(QString::fromLocal8Bit(argv[i]));

    const LaunchOptions options = LaunchOptions::parse(arguments);
    switch (options.mode) {
    case LaunchOptions::Mode::dumpSMCKeys:
        // Before any application object: works without a display, a daemon or an SMC.
        dumpSMCKeys();
        return 0;
    case LaunchOptions::Mode::help:
        std::fputs(qUtf8Printable(LaunchOptions::helpText()), stdout);
        return 0;
    case LaunchOptions::Mode::version:
        std::fputs(qUtf8Printable(LaunchOptions::versionText()), stdout);
        return 0;
    case LaunchOptions::Mode::usageError:
        std::fprintf(stderr, "Brisvane: %s\nTry 'Brisvane --help'.\n",
                     qUtf8Printable(options.error));
        return kUsageErrorStatus;
    case LaunchOptions::Mode::headless:
        return runHeadless(argc, argv);
    case LaunchOptions::Mode::installHelper:
    case LaunchOptions::Mode::uninstallHelper:
        return runHelperCommand(argc, argv, options.mode);
    case LaunchOptions::Mode::status:
    case LaunchOptions::Mode::activatePreset:
    case LaunchOptions::Mode::boost:
    case LaunchOptions::Mode::exportPreset:
    case LaunchOptions::Mode::importPreset:
        return runInstanceCommand(argc, argv, options);
    case LaunchOptions::Mode::windowed:
        break;
    }
    return runWindowed(argc, argv, options.openPanel);
}
