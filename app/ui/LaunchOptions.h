#pragma once
// What the Brisvane program was asked to do. Its own options are GNU style (--headless); user
// defaults for one run are Mac style (-ActivatePreset Cool, -DumpSMCKeys), read by UserDefaults
// from the same arguments and set aside here so the option parser never sees them.

#include <QString>
#include <QStringList>

namespace brisvane {

struct LaunchOptions {
    enum class Mode {
        windowed,        // the menu-bar app with its main window
        headless,        // no windows: sample, drive the fans, print status lines
        installHelper,   // install the daemon and report
        uninstallHelper, // remove the daemon and report
        dumpSMCKeys,     // print the SMC diagnostic report
        // Commands for the running copy (AppCommands); export and import work on the preset
        // file directly when no copy runs.
        status,
        activatePreset,
        boost,
        exportPreset,
        importPreset,
        help,
        version,
        usageError,
    };

    static constexpr char kDumpSMCKeysArgument[] = "-DumpSMCKeys";

    Mode mode = Mode::windowed;
    QString error; // for usageError
    // --panel: the menu-bar panel opens at start, with or without a tray (windowed mode only).
    bool openPanel = false;
    // --status --json: the status as one JSON object.
    bool json = false;
    QString presetName; // activatePreset, exportPreset
    int boostPercent = 0;
    QString filePath; // exportPreset, importPreset

    // What a command ends with, for scripts.
    enum ExitStatus { succeeded = 0, failed = 1, badArguments = 2, notRunning = 3 };

    // `arguments` with the program first, as main() received them. "-DumpSMCKeys" anywhere
    // wins over everything else.
    static LaunchOptions parse(const QStringList& arguments);
    // `arguments` without the user-default arguments: a "-Key" of a '-', a letter or '_' and at
    // least one more character, together with the argument after it unless that is a key too
    // (an empty value is set aside as well, though UserDefaults ignores it).
    static QStringList programOptions(const QStringList& arguments);
    static QString helpText();
    static QString versionText();
};

} // namespace brisvane
