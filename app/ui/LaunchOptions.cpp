#include "app/ui/LaunchOptions.h"

#include "app/core/AppBundle.h"

#include "shared/HelperShared.h"

#include <QCommandLineParser>

namespace brisvane {
namespace {

// UserDefaults' test for an argument that names a key rather than giving a value.
bool namesKey(const QString& argument)
{
    return argument.size() >= 2 && argument[0] == u'-' &&
           (argument[1].isLetter() || argument[1] == u'_');
}

// Single-letter options (-h, -v) are the program's own.
bool isUserDefaultArgument(const QString& argument)
{
    return namesKey(argument) && argument.size() >= 3;
}

} // namespace

QStringList LaunchOptions::programOptions(const QStringList& arguments)
{
    QStringList kept;
    for (qsizetype i = 0; i < arguments.size(); ++i) {
        if (i == 0 || !isUserDefaultArgument(arguments[i])) {
            kept.append(arguments[i]);
            continue;
        }
        if (i + 1 < arguments.size() && !namesKey(arguments[i + 1]))
            ++i; // its value
    }
    return kept;
}

LaunchOptions LaunchOptions::parse(const QStringList& arguments)
{
    LaunchOptions options;
    if (arguments.contains(QLatin1StringView(kDumpSMCKeysArgument))) {
        options.mode = Mode::dumpSMCKeys;
        return options;
    }

    QCommandLineParser parser;
    const QCommandLineOption headless(QStringLiteral("headless"));
    const QCommandLineOption install(QStringLiteral("install-helper"));
    const QCommandLineOption uninstall(QStringLiteral("uninstall-helper"));
    const QCommandLineOption help(QStringList{QStringLiteral("h"), QStringLiteral("help")});
    const QCommandLineOption version(QStringList{QStringLiteral("v"), QStringLiteral("version")});
    const QCommandLineOption panel(QStringLiteral("panel"));
    parser.addOptions({headless, install, uninstall, panel, help, version});
    QStringList parsed = programOptions(arguments);
    if (parsed.isEmpty())
        parsed.append(QStringLiteral("Brisvane"));
    if (!parser.parse(parsed)) {
        options.mode = Mode::usageError;
        options.error = parser.errorText();
        return options;
    }
    if (parser.isSet(help)) {
        options.mode = Mode::help;
        return options;
    }
    if (parser.isSet(version)) {
        options.mode = Mode::version;
        return options;
    }
    if (!parser.positionalArguments().isEmpty()) {
        options.mode = Mode::usageError;
        options.error = QStringLiteral("Unexpected argument '%1'.")
                            .arg(parser.positionalArguments().constFirst());
        return options;
    }
    const int modes =
        int(parser.isSet(headless)) + int(parser.isSet(install)) + int(parser.isSet(uninstall));
    if (modes > 1) {
        options.mode = Mode::usageError;
        options.error = QStringLiteral(
            "--headless, --install-helper and --uninstall-helper cannot be combined.");
        return options;
    }
    if (modes > 0 && parser.isSet(panel)) {
        options.mode = Mode::usageError;
        options.error = QStringLiteral("--panel needs the windowed app.");
        return options;
    }
    options.openPanel = parser.isSet(panel);
    options.mode = parser.isSet(headless)    ? Mode::headless
                   : parser.isSet(install)   ? Mode::installHelper
                   : parser.isSet(uninstall) ? Mode::uninstallHelper
                                             : Mode::windowed;
    return options;
}

QString LaunchOptions::helpText()
{
    return QStringLiteral(
        R"(Usage: Brisvane [--panel | --headless | --install-helper | --uninstall-helper] [-Key value ...]

Brisvane shows a Mac's die temperatures and fan speeds in the menu bar and drives the fans by
temperature curves through its helper daemon, handing them back to macOS when it quits.

Options:
  --panel               Open the menu-bar panel at start, also where there is no tray (it
                        then sits at the top right of the screen).
  --headless            Run without windows: sample every 2 s, drive the fans with the active
                        preset and print one status line per sample. SIGINT or SIGTERM hands
                        the fans back and shuts the helper down before quitting (the windowed
                        app does that only once its main window has been shown).
  --install-helper      Install the helper daemon with administrator rights and report.
  --uninstall-helper    Remove the helper daemon and report.
  -h, --help            Show this text.
  -v, --version         Show the version.

Launch arguments (user defaults for this run only, Mac style; put them after the options, since
a "-Key" takes the next argument as its value):
  -DumpSMCKeys                        Print the SMC diagnostic report and exit.
  -ActivatePreset NAME                "Automatic", or a preset's exact name (case-sensitive).
  -ForceColorScheme light|dark        Force the main window's colour scheme.
  -CloseMainWindowAfterSeconds S      Close the main window S seconds after it is shown.
  -hideDockIconWhenWindowClosed YES|NO
  -InitialSection dashboard|curves|presets|settings
  -fanBoostTemperatureSource average|hottestCore

Only one copy runs per user: starting another makes the running one quit (it is killed if it
is still there 2 s later).

Environment:
  BRISVANE_SYSTEM_ROOT  Prefix of every system path (a virtual Mac made by brisvane-sim).
  QT_QPA_PLATFORM       Qt's platform plugin, e.g. offscreen for a window without a display.

Exit status: 0 on success, 1 on failure, 2 for bad arguments.
)");
}

QString LaunchOptions::versionText()
{
    return QStringLiteral("Brisvane %1 (%2), helper %3\n")
        .arg(AppBundle::shortVersion(), AppBundle::buildVersion(),
             QString::fromUtf8(HelperConstants::helperVersion.data(),
                               static_cast<qsizetype>(HelperConstants::helperVersion.size())));
}

} // namespace brisvane
