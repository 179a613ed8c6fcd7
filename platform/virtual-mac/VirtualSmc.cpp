#include "VirtualSmc.h"

#include "SmcValueCodec.h"

#include <algorithm>
#include <cstring>
#include <stdexcept>

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
    : m_serviceClass(std::move(serviceClass)), m_forwarder(std::move(forwarder))
{
    iokit::registerService(m_serviceClass, m_forwarder);
}

VirtualSmc::ServiceRegistration::ServiceRegistration(ServiceRegistration&& other) noexcept
    : m_serviceClass(std::move(other.m_serviceClass)), m_forwarder(std::move(other.m_forwarder))
{
}

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
    iokit::unregisterService(m_serviceClass);
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
    m_journal.clear();
    m_counts = {};
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
    const bool outputUsable = output != nullptr && outputSize != nullptr && *outputSize >= kRecordSize;
    if (outputUsable) {
        std::memset(output, 0, kRecordSize);
        *outputSize = kRecordSize;
    }
    std::lock_guard lock(m_mutex);
    syncLocked();
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
        const std::size_t sent = std::min<std::size_t>(request.keyInfo.dataSize, request.bytes.size());
        std::vector<std::uint8_t> bytes(request.bytes.begin(), request.bytes.begin() + sent);
        SmcKeyEntry* key = keys.find(request.key);
        if (key == nullptr)
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
    key.bytes = bytes;
    return kSmcResultSuccess;
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
        throw std::invalid_argument(name + " takes " + std::to_string(key->size()) + " bytes, not " +
                                    std::to_string(bytes.size()));
    key->bytes = bytes;
}

std::optional<float> VirtualSmc::readFloatKey(const std::string& name) const
{
    std::lock_guard lock(m_mutex);
    const SmcKeyEntry* key = m_profile.keys.find(name);
    if (key == nullptr || key->type != "flt ")
        return std::nullopt;
    return SmcValueCodec::bytesFloat(key->bytes);
}

double VirtualSmc::floatKeyLocked(const std::string& name) const
{
    const SmcKeyEntry* key = m_profile.keys.find(name);
    if (key == nullptr || key->type != "flt ")
        return 0;
    return SmcValueCodec::bytesFloat(key->bytes).value_or(0.0f);
}

std::optional<std::uint8_t> VirtualSmc::byteKeyLocked(const std::string& name) const
{
    const SmcKeyEntry* key = m_profile.keys.find(name);
    if (key == nullptr || key->bytes.empty())
        return std::nullopt;
    return key->bytes[0];
}

int VirtualSmc::fanCountLocked() const
{
    return byteKeyLocked("FNum").value_or(0);
}

double VirtualSmc::hottestLocked() const
{
    double hottest = 0;
    for (std::size_t i = 0; i < m_profile.keys.size(); ++i) {
        const SmcKeyEntry& key = m_profile.keys.at(i);
        if (key.type != "flt " || key.name[0] != 'T' ||
            (key.name[1] != 'p' && key.name[1] != 'e' && key.name[1] != 'g'))
            continue;
        const double value = SmcValueCodec::bytesFloat(key.bytes).value_or(0.0f);
        if (value > 1.0 && value < 128.0)
            hottest = std::max(hottest, value);
    }
    return hottest;
}

VirtualSmcStatus VirtualSmc::status()
{
    std::lock_guard lock(m_mutex);
    syncLocked();
    VirtualSmcStatus status;
    status.profile = m_profile.name;
    status.t = m_time;
    for (int i = 0, n = fanCountLocked(); i < n; ++i) {
        const std::string f = "F" + std::to_string(i);
        VirtualFanStatus fan;
        fan.index = i;
        fan.mode = byteKeyLocked(f + "Md");
        if (!fan.mode)
            fan.mode = byteKeyLocked(f + "md");
        fan.target = floatKeyLocked(f + "Tg");
        fan.actual = floatKeyLocked(f + "Ac");
        fan.min = floatKeyLocked(f + "Mn");
        fan.max = floatKeyLocked(f + "Mx");
        status.fans.push_back(fan);
    }
    status.ftst = byteKeyLocked("Ftst");
    status.hottest = hottestLocked();
    return status;
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
        const double dt = std::min(kStepSeconds, end - m_time);
        stepLocked(dt);
        m_time += dt;
    }
    m_time = end;
}

void VirtualSmc::stepLocked(double)
{
}

} // namespace brisvane
