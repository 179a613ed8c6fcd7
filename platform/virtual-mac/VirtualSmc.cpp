#include "VirtualSmc.h"

#include "SmcValueCodec.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <stdexcept>
#include <thread>

namespace brisvane {
namespace {

constexpr std::size_t kRecordSize = sizeof(SMCParamStruct);
// Model steps are at most this long, so lags and the thermal model integrate smoothly however
// far time jumps.
constexpr double kStepSeconds = 0.1;

} // namespace

// Holds the model by plain pointer; the registration clears it, under the forwarder's own
// mutex, before the model can go away.
struct VirtualSmc::ServiceRegistration::Forwarder final : iokit::UserClient {
    std::mutex mutex;
    VirtualSmc* model = nullptr;

    kern_return_t callStructMethod(std::uint32_t selector, const void* input, std::size_t inputSize,
                                   void* output, std::size_t* outputSize) override
    {
        std::lock_guard lock(mutex);
        if (model == nullptr)
            return kIOReturnNotResponding;
        return model->callStructMethod(selector, input, inputSize, output, outputSize);
    }
};

VirtualSmc::ServiceRegistration::ServiceRegistration(std::string serviceClass,
                                                     std::shared_ptr<Forwarder> forwarder)
    : m_serviceClass(std::move(serviceClass))
    , m_forwarder(std::move(forwarder))
{
    iokit::registerService(m_serviceClass, m_forwarder);
}

VirtualSmc::ServiceRegistration::ServiceRegistration(ServiceRegistration&& other) noexcept
    : m_serviceClass(std::move(other.m_serviceClass))
    , m_forwarder(std::move(other.m_forwarder))
{}

VirtualSmc::ServiceRegistration&
VirtualSmc::ServiceRegistration::operator=(ServiceRegistration&& other) noexcept
{
    if (this != &other) {
        release();
        m_serviceClass = std::move(other.m_serviceClass);
        m_forwarder = std::move(other.m_forwarder);
    }
    return *this;
}

VirtualSmc::ServiceRegistration::~ServiceRegistration()
{
    release();
}

void VirtualSmc::ServiceRegistration::release()
{
    if (!m_forwarder)
        return;
    iokit::unregisterService(m_serviceClass, m_forwarder.get());
    std::lock_guard lock(m_forwarder->mutex);
    m_forwarder->model = nullptr;
    m_forwarder.reset();
}

VirtualSmc::VirtualSmc(const std::string& profileName)
{
    resetLocked(MachineProfile::loadNamed(profileName));
}

VirtualSmc::VirtualSmc(MachineProfile profile)
{
    resetLocked(std::move(profile));
}

void VirtualSmc::loadProfile(const std::string& name)
{
    loadProfile(MachineProfile::loadNamed(name));
}

void VirtualSmc::loadProfileFile(const std::filesystem::path& file)
{
    loadProfile(MachineProfile::load(file));
}

void VirtualSmc::loadProfile(MachineProfile profile)
{
    std::lock_guard lock(m_mutex);
    resetLocked(std::move(profile));
}

void VirtualSmc::resetLocked(MachineProfile profile)
{
    m_profile = std::move(profile);
    m_time = 0;
    m_nextSecond = 1;
    m_journal.clear();
    m_counts = {};
    m_monitor.clear();
    m_cpuLoad = m_gpuLoad = 0;
    m_anyLoadSeen = false;
    m_pinnedCelsius.reset();
    m_faults.clear();
    m_transportFault.reset();
    // Both bind to the directory's entries, which stay where they are from here on.
    m_firmware.emplace(m_profile.keys, m_profile.firmware, m_profile.fans);
    m_thermal.emplace(m_profile.keys, m_profile.thermal, m_firmware->airflow());
    m_thermal->publish(m_pinnedCelsius, m_anyLoadSeen);
    m_lastSecondHottest = m_thermal->hottestSensor();
    if (m_clock != nullptr) {
        m_clockOrigin = m_clock->now();
        m_clockBase = 0;
    }
}

std::string VirtualSmc::profileName() const
{
    std::lock_guard lock(m_mutex);
    return m_profile.name;
}

std::string VirtualSmc::serviceClass() const
{
    std::lock_guard lock(m_mutex);
    return m_profile.serviceClass;
}

VirtualSmc::ServiceRegistration VirtualSmc::registerAsService()
{
    auto forwarder = std::make_shared<ServiceRegistration::Forwarder>();
    forwarder->model = this;
    return ServiceRegistration(serviceClass(), std::move(forwarder));
}

kern_return_t VirtualSmc::callStructMethod(std::uint32_t selector, const void* input,
                                           std::size_t inputSize, void* output,
                                           std::size_t* outputSize)
{
    const bool outputUsable =
        output != nullptr && outputSize != nullptr && *outputSize >= kRecordSize;
    if (outputUsable) {
        std::memset(output, 0, kRecordSize);
        *outputSize = kRecordSize;
    }
    if (const double latency = m_callLatencySeconds.load(); latency > 0)
        std::this_thread::sleep_for(std::chrono::duration<double>(latency));
    std::lock_guard lock(m_mutex);
    syncLocked();
    if (m_transportFault) {
        const kern_return_t code = m_transportFault->code;
        if (m_transportFault->remaining && --*m_transportFault->remaining <= 0)
            m_transportFault.reset();
        ++m_counts.other;
        return code;
    }
    if (selector != kSMCUserClientSelector || input == nullptr || inputSize != kRecordSize ||
        !outputUsable) {
        ++m_counts.other;
        return kIOReturnBadArgument;
    }
    SMCParamStruct request;
    std::memcpy(&request, input, kRecordSize);
    const SMCParamStruct reply = handleLocked(request);
    std::memcpy(output, &reply, kRecordSize);
    return kIOReturnSuccess;
}

SMCParamStruct VirtualSmc::handleLocked(const SMCParamStruct& request)
{
    SMCParamStruct reply = SMCParamStruct::zeroed();
    reply.key = request.key;
    reply.data8 = request.data8;
    KeyDirectory& keys = m_profile.keys;

    switch (static_cast<SMCCommand>(request.data8)) {
    case SMCCommand::getKeyInfo: {
        ++m_counts.getKeyInfo;
        if (auto fault = takeFaultLocked(request.key, SmcOperation::info)) {
            reply.result = *fault;
            break;
        }
        const SmcKeyEntry* key = keys.find(request.key);
        if (key == nullptr) {
            reply.result = kSmcResultKeyNotFound;
            break;
        }
        reply.keyInfo = {key->size(), smcFourCC(key->type), key->attributes};
        break;
    }
    case SMCCommand::readKey: {
        ++m_counts.readKey;
        if (auto fault = takeFaultLocked(request.key, SmcOperation::read)) {
            reply.result = *fault;
            break;
        }
        const SmcKeyEntry* key = keys.find(request.key);
        if (key == nullptr) {
            reply.result = kSmcResultKeyNotFound;
            break;
        }
        // The record carries at most 32 value bytes; longer keys read back truncated.
        reply.keyInfo = {key->size(), smcFourCC(key->type), key->attributes};
        std::copy_n(key->bytes.begin(), std::min<std::size_t>(key->size(), reply.bytes.size()),
                    reply.bytes.begin());
        break;
    }
    case SMCCommand::writeKey: {
        ++m_counts.writeKey;
        const std::size_t sent =
            std::min<std::size_t>(request.keyInfo.dataSize, request.bytes.size());
        std::vector<std::uint8_t> bytes(request.bytes.begin(), request.bytes.begin() + sent);
        SmcKeyEntry* key = keys.find(request.key);
        if (auto fault = takeFaultLocked(request.key, SmcOperation::write))
            reply.result = *fault;
        else if (key == nullptr)
            reply.result = kSmcResultKeyNotFound;
        else if (request.keyInfo.dataSize != key->size() || key->size() > request.bytes.size())
            reply.result = kSmcResultWriteRefused;
        else
            reply.result = writeLocked(*key, bytes);
        m_journal.push_back({m_time, smcFourCCString(request.key), std::move(bytes), reply.result});
        break;
    }
    case SMCCommand::getKeyFromIndex: {
        ++m_counts.getKeyFromIndex;
        if (request.data32 >= keys.size()) {
            reply.result = kSmcResultKeyNotFound;
            break;
        }
        reply.key = keys.at(request.data32).code();
        break;
    }
    default:
        ++m_counts.other;
        reply.result = kSmcResultBadCommand;
        break;
    }
    return reply;
}

std::uint8_t VirtualSmc::writeLocked(SmcKeyEntry& key, const std::vector<std::uint8_t>& bytes)
{
    if (!key.writable)
        return kSmcResultWriteRefused;
    if (auto verdict = m_firmware->screenWrite(key, bytes, m_time); verdict && *verdict != 0)
        return *verdict;
    key.bytes = bytes;
    m_firmware->noteWrite(key, m_time);
    return kSmcResultSuccess;
}

std::optional<std::uint8_t> VirtualSmc::takeFaultLocked(std::uint32_t key, SmcOperation operation)
{
    auto it = m_faults.find({key, operation});
    if (it == m_faults.end())
        return std::nullopt;
    const std::uint8_t result = it->second.result;
    if (it->second.remaining && --*it->second.remaining <= 0)
        m_faults.erase(it);
    return result;
}

std::size_t VirtualSmc::keyCount() const
{
    std::lock_guard lock(m_mutex);
    return m_profile.keys.size();
}

std::optional<SMCValue> VirtualSmc::key(const std::string& name) const
{
    std::lock_guard lock(m_mutex);
    const SmcKeyEntry* key = m_profile.keys.find(name);
    if (key == nullptr)
        return std::nullopt;
    return SMCValue{key->type, key->bytes};
}

void VirtualSmc::setKeyBytes(const std::string& name, const std::vector<std::uint8_t>& bytes)
{
    std::lock_guard lock(m_mutex);
    syncLocked();
    SmcKeyEntry* key = m_profile.keys.find(name);
    if (key == nullptr)
        throw std::invalid_argument("no key " + name);
    if (bytes.size() != key->size())
        throw std::invalid_argument(name + " takes " + std::to_string(key->size()) +
                                    " bytes, not " + std::to_string(bytes.size()));
    key->bytes = bytes;
    m_firmware->noteWrite(*key, m_time); // a mode byte set here is a mode change all the same
}

std::optional<float> VirtualSmc::readFloatKey(const std::string& name) const
{
    std::lock_guard lock(m_mutex);
    const SmcKeyEntry* key = m_profile.keys.find(name);
    if (key == nullptr || key->type != "flt ")
        return std::nullopt;
    return SmcValueCodec::bytesFloat(key->bytes);
}

VirtualSmcStatus VirtualSmc::status()
{
    std::lock_guard lock(m_mutex);
    syncLocked();
    VirtualSmcStatus status;
    status.profile = m_profile.name;
    status.t = m_time;
    for (const VirtualFirmware::Fan& fan : m_firmware->fans()) {
        VirtualFanStatus view;
        view.index = fan.index;
        if (fan.mode != nullptr && !fan.mode->bytes.empty())
            view.mode = fan.mode->bytes[0];
        view.target = fan.targetRPM();
        view.actual = fan.actual != nullptr
                          ? SmcValueCodec::bytesFloat(fan.actual->bytes).value_or(0.0f)
                          : 0.0;
        view.min = fan.minRPM();
        view.max = fan.maxRPM();
        view.stalled = fan.stalled;
        status.fans.push_back(view);
    }
    if (const SmcKeyEntry* unlock = m_profile.keys.find(std::string("Ftst"));
        unlock != nullptr && !unlock->bytes.empty())
        status.ftst = unlock->bytes[0];
    status.hottest = m_thermal->hottestSensor();
    status.cpuLoad = m_cpuLoad;
    status.gpuLoad = m_gpuLoad;
    status.cpuCelsius = m_thermal->cpuCelsius();
    status.gpuCelsius = m_thermal->gpuCelsius();
    status.pinnedCelsius = m_pinnedCelsius;
    status.acceptModeAfterSeconds = m_firmware->acceptModeAfter();
    return status;
}

void VirtualSmc::setWorkload(double cpu, double gpu)
{
    if (!(cpu >= 0 && cpu <= 1 && gpu >= 0 && gpu <= 1))
        throw std::invalid_argument("a workload is between 0 and 1");
    std::lock_guard lock(m_mutex);
    syncLocked();
    m_cpuLoad = cpu;
    m_gpuLoad = gpu;
    m_anyLoadSeen = m_anyLoadSeen || cpu > 0 || gpu > 0;
    m_thermal->publish(m_pinnedCelsius, m_anyLoadSeen);
}

void VirtualSmc::pinTemperature(std::optional<double> celsius)
{
    if (celsius && !std::isfinite(*celsius))
        throw std::invalid_argument("a pinned temperature must be a finite number");
    std::lock_guard lock(m_mutex);
    syncLocked();
    m_pinnedCelsius = celsius;
    m_thermal->publish(m_pinnedCelsius, m_anyLoadSeen);
}

void VirtualSmc::setModeAcceptDelay(std::optional<double> seconds)
{
    if (seconds && !(*seconds >= 0 && std::isfinite(*seconds)))
        throw std::invalid_argument("a delay is a number of seconds, 0 or more");
    std::lock_guard lock(m_mutex);
    syncLocked();
    m_firmware->setAcceptModeAfter(seconds);
}

void VirtualSmc::setFanNoise(double amplitudeRPM, std::uint32_t seed)
{
    std::lock_guard lock(m_mutex);
    syncLocked();
    m_firmware->setNoise(amplitudeRPM, seed);
}

void VirtualSmc::setFanStalled(int index, bool stalled)
{
    std::lock_guard lock(m_mutex);
    syncLocked();
    if (!m_firmware->setStalled(index, stalled))
        throw std::invalid_argument("no fan " + std::to_string(index));
}

void VirtualSmc::injectFault(const std::string& key, SmcOperation operation, std::uint8_t result,
                             std::optional<int> count)
{
    if (key.size() != 4)
        throw std::invalid_argument("a key name has four characters");
    if (result == 0)
        throw std::invalid_argument("a fault answers a non-zero result");
    if (count && *count < 1)
        throw std::invalid_argument("a fault count is at least 1");
    std::lock_guard lock(m_mutex);
    m_faults[{smcFourCC(key), operation}] = Fault{result, count};
}

void VirtualSmc::clearFaults()
{
    std::lock_guard lock(m_mutex);
    m_faults.clear();
}

void VirtualSmc::injectTransportFault(kern_return_t code, std::optional<int> count)
{
    if (code == KERN_SUCCESS)
        throw std::invalid_argument("a transport fault is a non-zero kern_return_t");
    if (count && *count < 1)
        throw std::invalid_argument("a fault count is at least 1");
    std::lock_guard lock(m_mutex);
    m_transportFault = TransportFault{code, count};
}

void VirtualSmc::setCallLatency(double seconds)
{
    m_callLatencySeconds = seconds > 0 ? seconds : 0.0;
}

void VirtualSmc::clearTransportFault()
{
    std::lock_guard lock(m_mutex);
    m_transportFault.reset();
}

std::vector<SafetyViolation> VirtualSmc::violations()
{
    std::lock_guard lock(m_mutex);
    syncLocked();
    return m_monitor.violations();
}

void VirtualSmc::clearViolations()
{
    std::lock_guard lock(m_mutex);
    m_monitor.clear();
}

std::vector<SmcJournalEntry> VirtualSmc::journal() const
{
    std::lock_guard lock(m_mutex);
    return m_journal;
}

std::vector<SmcJournalEntry> VirtualSmc::takeJournal()
{
    std::lock_guard lock(m_mutex);
    return std::exchange(m_journal, {});
}

SmcCallCounts VirtualSmc::callCounts() const
{
    std::lock_guard lock(m_mutex);
    return m_counts;
}

void VirtualSmc::resetCallCounts()
{
    std::lock_guard lock(m_mutex);
    m_counts = {};
}

double VirtualSmc::now()
{
    std::lock_guard lock(m_mutex);
    syncLocked();
    return m_time;
}

void VirtualSmc::advance(double seconds)
{
    std::lock_guard lock(m_mutex);
    syncLocked();
    if (!(seconds > 0))
        return;
    advanceLocked(seconds);
    m_clockBase += seconds;
}

void VirtualSmc::followClock(const Clock& clock, double timeScale)
{
    std::lock_guard lock(m_mutex);
    m_clock = &clock;
    m_clockOrigin = clock.now();
    m_clockBase = m_time;
    m_timeScale = timeScale > 0 ? timeScale : 1.0;
}

void VirtualSmc::syncLocked()
{
    if (m_clock == nullptr)
        return;
    const double target =
        m_clockBase + m_timeScale * Clock::secondsBetween(m_clockOrigin, m_clock->now());
    if (target > m_time)
        advanceLocked(target - m_time);
}

void VirtualSmc::advanceLocked(double seconds)
{
    const double end = m_time + seconds;
    while (m_time < end) {
        // Steps end on every whole second, where the firmware and the monitor act.
        const double dt = std::min({kStepSeconds, end - m_time, m_nextSecond - m_time});
        stepLocked(dt);
        m_time += dt;
        if (m_time >= m_nextSecond - 1e-9) {
            m_time = std::max(m_time, m_nextSecond);
            secondLocked(m_nextSecond);
            m_nextSecond += 1;
        }
    }
}

void VirtualSmc::stepLocked(double dt)
{
    m_firmware->stepFans(dt, m_time);
    m_thermal->step(dt, m_cpuLoad, m_gpuLoad, m_firmware->airflow());
    m_thermal->publish(m_pinnedCelsius, m_anyLoadSeen);
}

void VirtualSmc::secondLocked(double t)
{
    const double hottest = m_thermal->hottestSensor();
    m_firmware->control(hottest);

    std::vector<SafetyMonitor::FanSample> samples;
    for (const VirtualFirmware::Fan& fan : m_firmware->fans()) {
        SafetyMonitor::FanSample sample;
        sample.index = fan.index;
        sample.manual = fan.manual;
        sample.targetRPM = fan.targetRPM();
        sample.minRPM = fan.minRPM();
        sample.maxRPM = fan.maxRPM();
        sample.firmwareReferenceRPM = fan.takeoverReference;
        sample.secondsSinceTarget =
            t - std::max(fan.manualSince, fan.lastTargetWrite.value_or(0.0));
        samples.push_back(sample);
    }
    // A controller that samples once a second may still be acting on last second's heat.
    m_monitor.record(t, std::min(hottest, m_lastSecondHottest), samples);
    m_lastSecondHottest = hottest;
}

} // namespace brisvane
