#include "app/core/HelperControlling.h"

namespace brisvane {

HelperInstallError::HelperInstallError(Kind kind, QString message)
    : m_kind(kind)
    , m_message(std::move(message))
    , m_what(description().toStdString())
{}

HelperInstallError HelperInstallError::adminScriptFailed(QString message)
{
    return HelperInstallError(Kind::adminScriptFailed, std::move(message));
}

HelperInstallError HelperInstallError::resourcesMissing()
{
    return HelperInstallError(Kind::resourcesMissing, {});
}

HelperInstallError HelperInstallError::filesNotInPlace()
{
    return HelperInstallError(Kind::filesNotInPlace, {});
}

HelperInstallError HelperInstallError::helperNotAnswering()
{
    return HelperInstallError(Kind::helperNotAnswering, {});
}

QString HelperInstallError::description() const
{
    switch (m_kind) {
    case Kind::adminScriptFailed:
        return qtTrId("settings.helper.error.adminScriptFailed").arg(m_message);
    case Kind::resourcesMissing:
        return qtTrId("settings.helper.error.resourcesMissing");
    case Kind::filesNotInPlace:
        return qtTrId("settings.helper.error.filesNotInPlace");
    case Kind::helperNotAnswering:
        return qtTrId("settings.helper.error.helperNotAnswering");
    }
    return {};
}

} // namespace brisvane
