#pragma once
// What the running copy does for a command from the command line (Brisvane --status, …),
// received over the single-instance socket: one JSON request line, one JSON reply line, both
// carrying "version". None of them ends the app. Main thread only.
//
// Requests: {"version":1,"command":C,…} with C one of
//   "status"
//   "activatePreset" + "name" (exact, or "Automatic" for the automatic slot)
//   "boost" + "percent" (integer 0 to 100)
//   "exportPreset" + "name"  -> "data": the preset as its file holds it
//   "importPreset" + "data"  (the file's text) -> "imported": the names given to the new presets
// Replies: {"version":1,"ok":true,…} or {"version":1,"ok":false,"error":TEXT} with, for a
// preset name that matches none, "presets": every name.

#include <QJsonObject>
#include <QString>

namespace brisvane {

class AppState;

class AppCommands {
public:
    static constexpr int kVersion = 1;
    static constexpr char kLimitReached[] = "Preset limit reached";

    static QJsonObject handle(AppState& state, const QJsonObject& request);

    // The --status --json object: activePreset, presets, boostPercent, helper, phase,
    // systemCelsius, cpuCelsius, gpuCelsius (null before the first sample) and fans.
    static QJsonObject status(const AppState& state);

    static QJsonObject failure(const QString& error);
};

} // namespace brisvane
