#pragma once
// The app's log categories. The subsystem is the application identifier; Qt has one category
// name, so each is "<application identifier>.<category>", e.g. "org.brisvane.Brisvane.presets".
// Levels: info → qCInfo, error → qCCritical, debug → qCDebug. As in the system log, debug
// messages are off unless asked for: QT_LOGGING_RULES="org.brisvane.Brisvane.*.debug=true"
// (tests: QLoggingCategory::setFilterRules with the same rule).

#include <QLoggingCategory>

namespace brisvane {

inline constexpr char kApplicationIdentifier[] = "org.brisvane.Brisvane";

Q_DECLARE_LOGGING_CATEGORY(engineLog)       // "engine"
Q_DECLARE_LOGGING_CATEGORY(helperClientLog) // "helper-client"
Q_DECLARE_LOGGING_CATEGORY(presetsLog)      // "presets"
// Start-up, single instance and quit: "org.brisvane.Brisvane.app".
Q_DECLARE_LOGGING_CATEGORY(lifecycleLog)

} // namespace brisvane
