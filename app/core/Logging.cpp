#include "app/core/Logging.h"

namespace brisvane {

Q_LOGGING_CATEGORY(engineLog, "org.brisvane.Brisvane.engine", QtInfoMsg)
Q_LOGGING_CATEGORY(helperClientLog, "org.brisvane.Brisvane.helper-client", QtInfoMsg)
Q_LOGGING_CATEGORY(presetsLog, "org.brisvane.Brisvane.presets", QtInfoMsg)
Q_LOGGING_CATEGORY(lifecycleLog, "org.brisvane.Brisvane.app", QtInfoMsg)

} // namespace brisvane
