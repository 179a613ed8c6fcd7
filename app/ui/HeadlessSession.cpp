#include "app/ui/HeadlessSession.h"

#include "app/core/AppState.h"

#include <QLocale>
#include <QPointer>
#include <QStringList>

#include <cmath>

namespace brisvane {
namespace {

// Numbers in the user's language, like every number the app shows: "55,3°C" in German.
QString celsiusText(double celsius)
{
    return QLocale().toString(celsius, 'f', 1) + QStringLiteral("°C");
}

QString wholeNumber(double value)
{
    return QLocale().toString(static_cast<qlonglong>(value));
}

QString wholeNumbers(const QList<double>& values, const QString& suffix)
{
    if (values.isEmpty())
        return QStringLiteral("-");
    QStringList parts;
    for (double value : values)
        parts.append(std::isfinite(value) ? wholeNumber(std::round(value)) + suffix
                                          : QStringLiteral("?"));
    return parts.join(u' ');
}

QString helperText(const HelperControlling& helper)
{
    switch (helper.state()) {
    case HelperState::notInstalled:
        return QStringLiteral("not installed");
    case HelperState::unreachable:
        return QStringLiteral("unreachable");
    case HelperState::installed:
        break;
    }
    if (const std::optional<HelperStatus>& status = helper.lastStatus()) {
        const std::string_view phase = rawValue(status->phase);
        QString text = QString::fromLatin1(phase.data(), static_cast<qsizetype>(phase.size()));
        if (status->lastError)
            text += QStringLiteral(" (%1)").arg(QString::fromStdString(*status->lastError));
        return text;
    }
    return QStringLiteral("installed");
}

} // namespace

HeadlessSession::HeadlessSession(AppState& state, std::FILE* out, QObject* parent)
    : QObject(parent)
    , m_state(state)
    , m_out(out)
{
    // Registered after the engine's handler, so the line shows this sample's request.
    // The store has no removal of handlers: a session that is gone prints nothing.
    m_state.telemetry().onSample([session = QPointer(this)](const TelemetrySample& sample) {
        if (!session)
            return;
        std::fputs(qUtf8Printable(statusLine(sample, session->m_state) + u'\n'), session->m_out);
        std::fflush(session->m_out);
    });
}

QString HeadlessSession::statusLine(const TelemetrySample& sample, const AppState& state)
{
    const SMCTemperatureSnapshot& t = sample.temperatures;
    const std::optional<double> drive =
        state.telemetry().temperature(state.engine().drivingSource());
    QStringList fans;
    for (const SMCFanReading& fan : sample.fans)
        fans.append(
            QStringLiteral("%1/%2").arg(wholeNumber(fan.actualRPM), wholeNumber(fan.targetRPM)));
    const std::optional<FanPreset>& preset = state.presets().activePreset();
    const ControlEngine& engine = state.engine();
    return QStringLiteral("%1  cpu %2 gpu %3 drive %4 | fans %5 rpm | %6 %7 | in force %8 | "
                          "helper %9")
        .arg(sample.timestamp.toLocalTime().toString(QStringLiteral("HH:mm:ss")),
             celsiusText(t.cpuMax), celsiusText(t.gpuMax),
             drive ? celsiusText(*drive) : QStringLiteral("--"),
             fans.isEmpty() ? QStringLiteral("-") : fans.join(u' '),
             preset ? preset->name : QStringLiteral("Automatic"),
             wholeNumbers(engine.requestedPercents(), QStringLiteral("%")),
             engine.effectiveTargets().isEmpty()
                 ? QStringLiteral("-")
                 : wholeNumbers(engine.effectiveTargets(), QString()) + QStringLiteral(" rpm"),
             helperText(state.helper()));
}

} // namespace brisvane
