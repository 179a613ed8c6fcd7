#include "app/core/ControlEngine.h"

#include "app/core/HelperControlling.h"
#include "app/core/Logging.h"
#include "app/core/Observable.h"
#include "app/core/PresetStore.h"
#include "app/core/TelemetryStore.h"

#include <QStringList>

#include <algorithm>
#include <cmath>

namespace brisvane {
namespace {

// "[49, 49.5]": the percentages as the debug log shows them.
QString listText(const QList<double>& values)
{
    QStringList items;
    for (double value : values)
        items.append(QString::number(value, 'g', QLocale::FloatingPointShortest));
    return u'[' + items.join(QStringLiteral(", ")) + u']';
}

} // namespace

ControlEngine::ControlEngine(TelemetryStore& telemetry, PresetStore& presets,
                             HelperControlling& helper, const Clock& clock, QObject* parent)
    : QObject(parent)
    , m_telemetry(telemetry)
    , m_presets(presets)
    , m_helper(helper)
    , m_clock(clock)
{
    m_pushTimer.setSingleShot(true);
    m_pushTimer.setTimerType(Qt::PreciseTimer);
    m_pushTimer.setInterval(kPushDebounce);
    connect(&m_pushTimer, &QTimer::timeout, this, [this] {
        // No smoothing step: the debounced push reuses the current smoothed temperature.
        if (const auto& latest = m_telemetry.latest())
            pushTargets(latest->fans);
    });
    telemetry.onSample([engine = QPointer<ControlEngine>(this)](const TelemetrySample& sample) {
        if (engine)
            engine->tick(sample);
    });
}

ControlEngine::~ControlEngine() = default;

void ControlEngine::setQuickBoostPercent(double percent)
{
    const double clamped = std::isfinite(percent) ? std::clamp(percent, 0.0, 100.0) : 0.0;
    if (assignIfChanged(m_quickBoostPercent, clamped))
        emit quickBoostPercentChanged();
    pushSoon();
}

void ControlEngine::tick(const TelemetrySample& sample)
{
    updateSmoothedTemperature(m_clock.now());
    pushTargets(sample.fans);
}

void ControlEngine::updateSmoothedTemperature(Clock::time_point now)
{
    const double target = m_telemetry.temperature(drivingSource()).value_or(0.0);
    std::optional<double> elapsed;
    if (m_lastTickTime)
        elapsed = Clock::secondsBetween(*m_lastTickTime, now);
    m_lastTickTime = now;

    if (m_smoothedTemperature <= target) {
        m_smoothedTemperature = target; // a rise is followed at once
        return;
    }
    // A clock that stepped back must not count as negative time: that would raise the
    // smoothed temperature and speed the fans up for nothing.
    const double seconds = std::max(0.0, elapsed.value_or(0.0));
    m_smoothedTemperature = std::max(target, m_smoothedTemperature - seconds * kCoolingRateLimit);
}

FanPreset::Source ControlEngine::drivingSource() const
{
    const std::optional<FanPreset>& preset = m_presets.activePreset();
    return preset ? preset->source() : FanPreset::Source::appSetting;
}

void ControlEngine::pushTargets(const std::vector<SMCFanReading>& fans)
{
    const qsizetype count = static_cast<qsizetype>(fans.size());
    if (count == 0 || !m_helper.isInstalled()) {
        qCDebug(engineLog, "not pushing: fans=%ld helperInstalled=%s", static_cast<long>(count),
                m_helper.isInstalled() ? "true" : "false");
        setRequestedPercents({});
        setIsOverriding(false);
        return;
    }

    const std::optional<FanPreset>& preset = m_presets.activePreset();
    QList<double> percents =
        preset ? preset->percents(m_smoothedTemperature, int(count)) : QList<double>(count, 0.0);
    for (double& percent : percents)
        percent = std::max(percent, m_quickBoostPercent);
    setRequestedPercents(percents);

    const bool positive =
        std::any_of(percents.begin(), percents.end(), [](double percent) { return percent > 0; });
    qCDebug(engineLog, "push: preset=%s temperature=%f percents=%s",
            preset ? qUtf8Printable(preset->name) : "none", m_smoothedTemperature,
            qUtf8Printable(listText(percents)));

    runPush(QPointer<ControlEngine>(this), percents, fans, positive);
}

QCoro::Task<void> ControlEngine::runPush(QPointer<ControlEngine> engine, QList<double> percents,
                                         std::vector<SMCFanReading> fans, bool positive)
{
    HelperControlling& helper = engine->m_helper;
    if (positive) {
        const std::optional<QList<double>> inForce =
            co_await helper.setTargets(targetRPMs(percents, fans));
        if (!engine)
            co_return;
        engine->setEffectiveTargets(inForce.value_or(QList<double>{}));
        engine->setIsOverriding(inForce && !inForce->isEmpty());
    } else if (engine->m_isOverriding) {
        co_await helper.releaseControl();
        if (!engine)
            co_return;
        engine->setEffectiveTargets({});
        engine->setIsOverriding(false);
    }
    co_await helper.fetchStatus();
}

QList<double> ControlEngine::targetRPMs(const QList<double>& percents,
                                        const std::vector<SMCFanReading>& fans)
{
    const qsizetype count = std::min(percents.size(), static_cast<qsizetype>(fans.size()));
    QList<double> targets;
    targets.reserve(count);
    for (qsizetype i = 0; i < count; ++i) {
        const SMCFanReading& fan = fans[static_cast<std::size_t>(i)];
        const double percent = percents[i];
        if (!(fan.minRPM < fan.maxRPM))
            targets.append(fan.maxRPM);
        else if (!(percent > 0))
            targets.append(0);
        else
            targets.append(std::round(fan.minRPM +
                                      (fan.maxRPM - fan.minRPM) * std::min(percent, 100.0) / 100));
    }
    return targets;
}

void ControlEngine::pushSoon()
{
    m_pushTimer.start();
}

QCoro::Task<void> ControlEngine::shutDown()
{
    m_pushTimer.stop();
    co_await m_helper.releaseControl();
    setIsOverriding(false);
    setEffectiveTargets({});
}

void ControlEngine::setRequestedPercents(QList<double> percents)
{
    if (assignIfChanged(m_requestedPercents, std::move(percents)))
        emit requestedPercentsChanged();
}

void ControlEngine::setEffectiveTargets(QList<double> targets)
{
    if (assignIfChanged(m_effectiveTargets, std::move(targets)))
        emit effectiveTargetsChanged();
}

void ControlEngine::setIsOverriding(bool overriding)
{
    if (assignIfChanged(m_isOverriding, overriding))
        emit isOverridingChanged();
}

} // namespace brisvane
