#pragma once
// The virtual Mac's SMC: a key directory from a machine profile behind the SMC user-client
// protocol, with the machine around it stepped in model time. Used in-process by tests and
// behind sockets by brisvane-vsmc. Every public member takes one mutex, so each SMC call is
// atomic on the model whatever thread it comes from.

#include "MachineProfile.h"
#include "SafetyMonitor.h"
#include "ThermalModel.h"
#include "VirtualFirmware.h"

#include "smc/Clock.h"
#include "smc/IOKit.h"
#include "smc/SMCKit.h"

#include <atomic>
#include <cstdint>
#include <filesystem>
#include <map>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <vector>

namespace brisvane {

// SMC result bytes the virtual firmware answers with.
inline constexpr std::uint8_t kSmcResultSuccess = 0x00;
inline constexpr std::uint8_t kSmcResultBadCommand = 0x82;
inline constexpr std::uint8_t kSmcResultKeyNotFound = 0x84;
inline constexpr std::uint8_t kSmcResultWriteRefused = 0x86;

struct SmcJournalEntry {
    double t = 0; // model seconds since start
    std::string key;
    std::vector<std::uint8_t> bytes;
    std::uint8_t result = 0;
};

struct SmcCallCounts {
    std::uint64_t readKey = 0;
    std::uint64_t writeKey = 0;
    std::uint64_t getKeyFromIndex = 0;
    std::uint64_t getKeyInfo = 0;
    std::uint64_t other = 0; // unknown commands, other selectors, malformed calls

    std::uint64_t total() const
    {
        return readKey + writeKey + getKeyFromIndex + getKeyInfo + other;
    }
};

enum class SmcOperation { info, read, write };

struct VirtualFanStatus {
    int index = 0;
    std::optional<std::uint8_t> mode; // absent when the fan has no mode key
    double target = 0;
    double actual = 0;
    double min = 0;
    double max = 0;
    bool stalled = false;
};

struct VirtualSmcStatus {
    std::string profile;
    double t = 0;
    std::vector<VirtualFanStatus> fans;
    std::optional<std::uint8_t> ftst; // absent on machines without the unlock key
    double hottest = 0;               // hottest die sensor reading
    double cpuLoad = 0;
    double gpuLoad = 0;
    double cpuCelsius = 0; // the dies as modelled, whatever the sensors are pinned to
    double gpuCelsius = 0;
    std::optional<double> pinnedCelsius;
    std::optional<double> acceptModeAfterSeconds; // absent: manual mode is never accepted
};

class VirtualSmc final : public iokit::UserClient {
public:
    static constexpr const char* kDefaultProfile = "two-fan-laptop";

    // Registers a VirtualSmc as its profile's IOKit service for as long as it lives. Calls that
    // arrive after it ends answer kIOReturnNotResponding, so connections opened meanwhile never
    // reach a destroyed model.
    class ServiceRegistration {
    public:
        ServiceRegistration(ServiceRegistration&&) noexcept;
        ServiceRegistration& operator=(ServiceRegistration&&) noexcept;
        ~ServiceRegistration();
        const std::string& serviceClass() const { return m_serviceClass; }

    private:
        friend class VirtualSmc;
        struct Forwarder;
        ServiceRegistration(std::string serviceClass, std::shared_ptr<Forwarder> forwarder);
        void release();
        std::string m_serviceClass;
        std::shared_ptr<Forwarder> m_forwarder;
    };

    explicit VirtualSmc(const std::string& profileName = kDefaultProfile);
    explicit VirtualSmc(MachineProfile profile);

    // Replace the whole machine; model time, journal and counters start again.
    void loadProfile(const std::string& name);
    void loadProfileFile(const std::filesystem::path& file);
    void loadProfile(MachineProfile profile);

    std::string profileName() const;
    std::string serviceClass() const;

    kern_return_t callStructMethod(std::uint32_t selector, const void* input, std::size_t inputSize,
                                   void* output, std::size_t* outputSize) override;

    [[nodiscard]] ServiceRegistration registerAsService();

    // Direct access to the directory, bypassing faults, journal and counters.
    std::size_t keyCount() const;
    std::optional<SMCValue> key(const std::string& name) const;
    // Throws std::invalid_argument for an unknown key or bytes of the wrong size.
    void setKeyBytes(const std::string& name, const std::vector<std::uint8_t>& bytes);
    std::optional<float> readFloatKey(const std::string& name) const;

    VirtualSmcStatus status();

    // The machine around the SMC. Each takes effect from the current model time on.
    // Workloads 0…1 per die; throws std::invalid_argument outside that.
    void setWorkload(double cpu, double gpu);
    // Every temperature sensor reads `celsius`; nothing returns them to the thermal model.
    void pinTemperature(std::optional<double> celsius);
    // Seconds after the Ftst unlock before manual mode is taken; nothing means never.
    void setModeAcceptDelay(std::optional<double> seconds);
    // Jitter of the actual fan speeds; 0 makes every reading exact.
    void setFanNoise(double amplitudeRPM, std::uint32_t seed = 1);
    // A blocked rotor: the fan's actual speed falls to 0 with the usual lag whatever its
    // target and mode, and its airflow leaves the thermal model. Throws std::invalid_argument
    // for an unknown fan.
    void setFanStalled(int index, bool stalled);

    // That operation on that key answers `result` (non-zero), `count` times or always.
    void injectFault(const std::string& key, SmcOperation operation, std::uint8_t result,
                     std::optional<int> count = std::nullopt);
    void clearFaults();
    // Calls fail with `code` before reaching the SMC, `count` times or always.
    void injectTransportFault(kern_return_t code, std::optional<int> count = std::nullopt);
    void clearTransportFault();
    // Every call is held this long before the SMC handles it (a slow SMC), from any thread.
    void setCallLatency(double seconds);

    std::vector<SafetyViolation> violations();
    void clearViolations();

    std::vector<SmcJournalEntry> journal() const;
    std::vector<SmcJournalEntry> takeJournal();
    SmcCallCounts callCounts() const;
    void resetCallCounts();

    // Model time. Tests step it by hand; brisvane-vsmc lets it follow a real clock. While a
    // clock is followed every member first catches up with it (scaled by timeScale).
    double now();
    void advance(double seconds);
    // The clock must outlive the model (or the next followClock call).
    void followClock(const Clock& clock, double timeScale = 1.0);

private:
    void resetLocked(MachineProfile profile);
    void syncLocked();
    void advanceLocked(double seconds);
    void stepLocked(double dt);
    void secondLocked(double t);
    SMCParamStruct handleLocked(const SMCParamStruct& request);
    std::uint8_t writeLocked(SmcKeyEntry& key, const std::vector<std::uint8_t>& bytes);
    std::optional<std::uint8_t> takeFaultLocked(std::uint32_t key, SmcOperation operation);

    struct Fault {
        std::uint8_t result = 0;
        std::optional<int> remaining;
    };
    struct TransportFault {
        kern_return_t code = 0;
        std::optional<int> remaining;
    };

    mutable std::mutex m_mutex;
    MachineProfile m_profile;
    double m_time = 0;
    double m_nextSecond = 1;
    double m_lastSecondHottest = 0;
    std::optional<VirtualFirmware> m_firmware;
    std::optional<ThermalModel> m_thermal;
    SafetyMonitor m_monitor;
    double m_cpuLoad = 0;
    double m_gpuLoad = 0;
    bool m_anyLoadSeen = false;
    std::optional<double> m_pinnedCelsius;
    std::map<std::pair<std::uint32_t, SmcOperation>, Fault> m_faults;
    std::optional<TransportFault> m_transportFault;
    std::atomic<double> m_callLatencySeconds{0.0}; // read before the mutex is taken

    const Clock* m_clock = nullptr;
    Clock::time_point m_clockOrigin{};
    double m_clockBase = 0; // model time at m_clockOrigin plus every manual advance since
    double m_timeScale = 1.0;

    std::vector<SmcJournalEntry> m_journal;
    SmcCallCounts m_counts;
};

} // namespace brisvane
