#include "app/ui/LaunchOptions.h"

#include "app/core/AppBundle.h"

#include "shared/HelperShared.h"

#include <QCommandLineParser>

#include <algorithm>
#include <optional>

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

LaunchOptions usageError(const QString& error)
{
    LaunchOptions options;
    options.mode = LaunchOptions::Mode::usageError;
    options.error = error;
    return options;
}

// An integer from 0 to 100 in plain decimal digits.
std::optional<int> parsedBoostPercent(const QString& text)
{
    bool ok = false;
    const int value = text.toInt(&ok, 10);
    const bool digitsOnly = !text.isEmpty() && std::all_of(text.cbegin(), text.cend(), [](QChar c) {
        return c >= u'0' && c <= u'9';
    });
    if (!ok || !digitsOnly || value < 0 || value > 100)
        return std::nullopt;
    return value;
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
    const QCommandLineOption status(QStringLiteral("status"));
    const QCommandLineOption json(QStringLiteral("json"));
    const QCommandLineOption activate(QStringLiteral("activate-preset"), QString(),
                                      QStringLiteral("NAME"));
    const QCommandLineOption boost(QStringLiteral("boost"), QString(), QStringLiteral("PERCENT"));
    const QCommandLineOption exportPreset(QStringLiteral("export-preset"), QString(),
                                          QStringLiteral("NAME"));
    const QCommandLineOption importPreset(QStringLiteral("import-preset"), QString(),
                                          QStringLiteral("FILE"));
    parser.addOptions({headless, install, uninstall, panel, help, version, status, json, activate,
                       boost, exportPreset, importPreset});
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
    const int commands = int(parser.isSet(status)) + int(parser.isSet(activate)) +
                         int(parser.isSet(boost)) + int(parser.isSet(exportPreset)) +
                         int(parser.isSet(importPreset));
    const int appModes = int(parser.isSet(headless)) + int(parser.isSet(install)) +
                         int(parser.isSet(uninstall)) + int(parser.isSet(panel));
    if (commands > 1 || (commands == 1 && appModes > 0))
        return usageError(QStringLiteral("Give one command at a time, without an app mode."));
    if (parser.isSet(json) && !parser.isSet(status))
        return usageError(QStringLiteral("--json goes with --status."));
    const QStringList positional = parser.positionalArguments();
    if (parser.isSet(exportPreset)) {
        if (positional.size() != 1)
            return usageError(QStringLiteral("--export-preset needs a preset name and a file."));
        options.mode = Mode::exportPreset;
        options.presetName = parser.value(exportPreset);
        options.filePath = positional.constFirst();
        return options;
    }
    if (!positional.isEmpty())
        return usageError(QStringLiteral("Unexpected argument '%1'.").arg(positional.constFirst()));
    if (parser.isSet(status)) {
        options.mode = Mode::status;
        options.json = parser.isSet(json);
        return options;
    }
    if (parser.isSet(activate)) {
        options.mode = Mode::activatePreset;
        options.presetName = parser.value(activate);
        return options;
    }
    if (parser.isSet(boost)) {
        const std::optional<int> percent = parsedBoostPercent(parser.value(boost));
        if (!percent)
            return usageError(QStringLiteral("--boost takes an integer from 0 to 100, not '%1'.")
                                  .arg(parser.value(boost)));
        options.mode = Mode::boost;
        options.boostPercent = *percent;
        return options;
    }
    if (parser.isSet(importPreset)) {
        options.mode = Mode::importPreset;
        options.filePath = parser.value(importPreset);
        return options;
    }
    if (!positional.isEmpty()) {
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
       Brisvane --status [--json] | --activate-preset NAME | --boost PERCENT
       Brisvane --export-preset NAME FILE | --import-preset FILE

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

Commands for the running copy (windowed or --headless; it keeps running):
  --status              Print the active preset, the boost, the helper, the temperatures and
                        the fans.
  --status --json       The same as one JSON object: "activePreset" (a name, or "Automatic"),
                        "presets" (every name, in store order), "boostPercent", "helper"
                        ("installed", "notInstalled" or "unreachable"), "phase" (the daemon's
                        phase, or null), "systemCelsius", "cpuCelsius", "gpuCelsius" (null
                        before the first sample) and "fans": objects with "name", "rpm",
                        "targetRPM", "minRPM" and "maxRPM".
  --activate-preset NAME
                        Activate the preset with exactly this name; "Automatic" hands the fans
                        to macOS. An unknown name lists the names there are.
  --boost PERCENT       Set the quick boost, an integer from 0 to 100 (0 is off).
  --export-preset NAME FILE
                        Write a preset (built-in ones too) to FILE as pretty-printed JSON.
  --import-preset FILE  Add the preset, or the list of presets, in FILE as new user presets
                        (a name already taken gets a number: "Cool 2"). At most three user
                        presets exist; the file may hold at most 1 MiB.
Export and import go through the running copy, or work on the preset file when none runs.

Launch arguments (user defaults for this run only, Mac style; put them after the options, since
a "-Key" takes the next argument as its value):
  -DumpSMCKeys                        Print the SMC diagnostic report and exit.
  -ActivatePreset NAME                "Automatic", or a preset's exact name (case-sensitive).
  -ForceColorScheme light|dark        Force the main window's colour scheme.
  -CloseMainWindowAfterSeconds S      Close the main window S seconds after it is shown.
  -hideDockIconWhenWindowClosed YES|NO
  -InitialSection dashboard|curves|presets|settings
  -fanBoostTemperatureSource average|hottestCore
  -temperatureAlertCelsius C          Alert when the hottest die stays at C or above (0: off).
  -fanAlertsEnabled YES|NO            Alert when a fan asked to turn does not.

Only one copy runs per user: starting another makes the running one quit (it is killed if it
is still there 2 s later).

Environment:
  BRISVANE_SYSTEM_ROOT  Prefix of every system path (a virtual Mac made by brisvane-sim).
  QT_QPA_PLATFORM       Qt's platform plugin, e.g. offscreen for a window without a display.

Exit status: 0 on success, 1 on failure (an unknown preset, an import refused), 2 for bad
arguments, 3 when a command finds no running copy ("Brisvane is not running").
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
