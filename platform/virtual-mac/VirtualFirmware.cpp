#include "VirtualFirmware.h"

#include "SmcValueCodec.h"

#include <algorithm>
#include <cmath>

namespace brisvane {
namespace {

constexpr std::uint8_t kModeAutomatic = 0;
constexpr std::uint8_t kModeManual = 1;

double floatOf(const SmcKeyEntry* key)
{
    if (key == nullptr)
        return 0;
    const double value = SmcValueCodec::bytesFloat(key->bytes).value_or(0.0f);
    return std::isfinite(value) ? value : 0;
}

void setFloat(SmcKeyEntry* key, double value)
{
    if (key != nullptr && key->size() == 4)
        key->bytes = SmcValueCodec::floatBytes(static_cast<float>(value));
}

} // namespace

double VirtualFirmware::Fan::minRPM() const
{
    return floatOf(min);
}

double VirtualFirmware::Fan::maxRPM() const
{
    return floatOf(max);
}

double VirtualFirmware::Fan::targetRPM() const
{
    return floatOf(target);
}

VirtualFirmware::VirtualFirmware(KeyDirectory& keys, const FirmwareBehaviour& behaviour,
                                 const FanDynamics& dynamics)
    : m_behaviour(behaviour)
    , m_dynamics(dynamics)
    , m_acceptModeAfter(behaviour.acceptModeAfterSeconds)
    , m_random(dynamics.noiseSeed)
{
    std::sort(m_behaviour.curve.begin(), m_behaviour.curve.end());
    m_unlock = keys.find(std::string("Ftst"));
    const SmcKeyEntry* count = keys.find(std::string("FNum"));
    const int fans = count != nullptr && !count->bytes.empty() ? count->bytes[0] : 0;
    for (int i = 0; i < fans; ++i) {
        const std::string prefix = "F" + std::to_string(i);
        Fan fan;
        fan.index = i;
        fan.actual = keys.find(prefix + "Ac");
        fan.target = keys.find(prefix + "Tg");
        fan.min = keys.find(prefix + "Mn");
        fan.max = keys.find(prefix + "Mx");
        fan.mode = keys.find(prefix + "Md");
        if (fan.mode == nullptr)
            fan.mode = keys.find(prefix + "md");
        fan.smoothRPM = floatOf(fan.actual);
        fan.firmwareTarget = fan.previousFirmwareTarget = fan.takeoverReference = fan.targetRPM();
        fan.manual = fan.mode != nullptr && !fan.mode->bytes.empty() && fan.mode->bytes[0] != 0;
        m_fans.push_back(fan);
    }
}

bool VirtualFirmware::unlockHeld() const
{
    return m_unlock != nullptr && !m_unlock->bytes.empty() && m_unlock->bytes[0] == 1;
}

std::optional<std::uint8_t> VirtualFirmware::screenWrite(const SmcKeyEntry& key,
                                                         const std::vector<std::uint8_t>& bytes,
                                                         double now) const
{
    if (&key == m_unlock)
        return bytes.size() == 1 && bytes[0] <= 1 ? 0 : 0x86;
    const bool isModeKey =
        std::any_of(m_fans.begin(), m_fans.end(), [&](const Fan& f) { return f.mode == &key; });
    if (!isModeKey || bytes.empty())
        return std::nullopt;
    if (bytes[0] == kModeAutomatic)
        return 0;
    if (bytes[0] != kModeManual || !m_acceptModeAfter)
        return 0x86;
    if (m_unlock == nullptr)
        return 0; // machines without the unlock take manual mode at once
    // Like the real firmware, a manual request before the unlock has settled is refused
    // outright, so the writer knows to try again.
    if (!unlockHeld() || !m_unlockedAt || now - *m_unlockedAt < *m_acceptModeAfter)
        return 0x86;
    return 0;
}

void VirtualFirmware::noteWrite(const SmcKeyEntry& key, double now)
{
    if (&key == m_unlock) {
        if (!unlockHeld()) {
            m_unlockedAt.reset();
        } else if (!m_unlockedAt) {
            m_unlockedAt = now;
            for (Fan& fan : m_fans)
                if (!fan.manual)
                    fan.takeoverReference =
                        std::min(fan.firmwareTarget, fan.previousFirmwareTarget);
        }
    }
    for (Fan& fan : m_fans)
        if (fan.target == &key)
            fan.lastTargetWrite = now;
    noteModes(now);
}

void VirtualFirmware::noteModes(double now)
{
    for (Fan& fan : m_fans) {
        const bool manual =
            fan.mode != nullptr && !fan.mode->bytes.empty() && fan.mode->bytes[0] != 0;
        if (manual && !fan.manual) {
            fan.manualSince = now;
            if (!m_unlockedAt)
                fan.takeoverReference = std::min(fan.firmwareTarget, fan.previousFirmwareTarget);
        }
        fan.manual = manual;
    }
}

double VirtualFirmware::curveRPM(const Fan& fan, double hottestCelsius) const
{
    const auto& curve = m_behaviour.curve;
    double fraction = curve.front().second;
    if (hottestCelsius >= curve.back().first) {
        fraction = curve.back().second;
    } else {
        for (std::size_t i = 1; i < curve.size(); ++i) {
            const auto& [t0, f0] = curve[i - 1];
            const auto& [t1, f1] = curve[i];
            if (hottestCelsius < t1) {
                fraction =
                    hottestCelsius <= t0 ? f0 : f0 + (f1 - f0) * (hottestCelsius - t0) / (t1 - t0);
                break;
            }
        }
    }
    fraction = std::clamp(fraction, 0.0, 1.0);
    return fan.minRPM() + fraction * (fan.maxRPM() - fan.minRPM());
}

void VirtualFirmware::control(double hottestCelsius)
{
    for (Fan& fan : m_fans) {
        if (fan.manual || fan.target == nullptr)
            continue;
        fan.previousFirmwareTarget = fan.firmwareTarget;
        fan.firmwareTarget = std::round(curveRPM(fan, hottestCelsius));
        setFloat(fan.target, fan.firmwareTarget);
    }
}

void VirtualFirmware::stepFans(double dt, double now)
{
    noteModes(now);
    std::uniform_real_distribution<double> jitter(-1.0, 1.0);
    const double follow = 1.0 - std::exp(-dt / std::max(m_dynamics.lagSeconds, 1e-3));
    for (Fan& fan : m_fans) {
        if (fan.min == nullptr || fan.max == nullptr)
            continue;
        const double lo = fan.minRPM(), hi = std::max(fan.minRPM(), fan.maxRPM());
        const double goal = fan.stalled ? 0.0 : std::clamp(fan.targetRPM(), lo, hi);
        fan.smoothRPM += (goal - fan.smoothRPM) * follow;
        const double noise = m_dynamics.noiseRPM > 0 ? m_dynamics.noiseRPM * jitter(m_random) : 0;
        // A stalled rotor may read anything from 0 up while it winds down, and no noise once
        // it has all but stopped; a turning one stays within its range.
        if (fan.stalled)
            setFloat(fan.actual,
                     fan.smoothRPM < 1.0 ? 0.0 : std::clamp(fan.smoothRPM + noise, 0.0, hi));
        else
            setFloat(fan.actual, std::clamp(fan.smoothRPM + noise, lo, hi));
    }
}

double VirtualFirmware::airflow() const
{
    double sum = 0;
    int counted = 0;
    for (const Fan& fan : m_fans) {
        if (fan.maxRPM() <= 0)
            continue;
        sum += std::clamp(fan.smoothRPM / fan.maxRPM(), 0.0, 1.0);
        ++counted;
    }
    return counted == 0 ? 0 : sum / counted;
}

bool VirtualFirmware::setStalled(int index, bool stalled)
{
    for (Fan& fan : m_fans)
        if (fan.index == index) {
            fan.stalled = stalled;
            return true;
        }
    return false;
}

void VirtualFirmware::setNoise(double amplitudeRPM, std::uint32_t seed)
{
    m_dynamics.noiseRPM = std::max(0.0, amplitudeRPM);
    m_random.seed(seed);
}

} // namespace brisvane
