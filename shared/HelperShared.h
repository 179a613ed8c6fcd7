#pragma once
// The contract between the app and the daemon: the remote-call protocol, the status record and
// its JSON form, the control phases, the shared constants and the temperature safety floor.
// Compiled unchanged into both programs.

#include <cstdint>
#include <functional>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace brisvane {

// The daemon's controller phase; travels as its raw string.
enum class HelperControlPhase { idle, unlocking, controlling, failed };

// "idle", "unlocking", "controlling", "failed".
std::string_view rawValue(HelperControlPhase phase);
// Exactly one of the four raw strings (case-sensitive), else nothing.
std::optional<HelperControlPhase> helperControlPhase(std::string_view raw);

struct HelperStatus {
    std::string version;
    HelperControlPhase phase = HelperControlPhase::idle;
    // Per fan: the target RPM macOS last set while the daemon was not controlling.
    std::vector<double> autoFloors;
    // Per fan: the target RPM last written; empty unless controlling.
    std::vector<double> effectiveTargets;
    double hottestSensorCelsius = 0;
    std::optional<std::string> lastError;

    bool isControlling() const { return phase == HelperControlPhase::controlling; }

    // The JSON document, keys in declaration order, `lastError` only when present. Empty when
    // the record cannot be encoded (a non-finite number, text that is not UTF-8).
    std::vector<std::uint8_t> encode() const;
    // Nothing for anything but a JSON object with the five required keys of the right types and
    // a known phase; a missing or null `lastError` is absent.
    static std::optional<HelperStatus> decode(std::span<const std::uint8_t> data);

    friend bool operator==(const HelperStatus&, const HelperStatus&) = default;
};

struct HelperConstants {
    static constexpr std::string_view applicationIdentifier = "org.brisvane.Brisvane";
    // The daemon's launchd label, service name and logging subsystem.
    static constexpr std::string_view machServiceName = "org.brisvane.Brisvane.helper";
    static constexpr std::string_view helperVersion = "1.0.2";
    // The paths as a Mac names them (the shipped plist names these).
    static constexpr std::string_view daemonPlistPath =
        "/Library/LaunchDaemons/org.brisvane.Brisvane.helper.plist";
    static constexpr std::string_view helperInstallPath =
        "/Library/PrivilegedHelperTools/org.brisvane.Brisvane.helper";
    // The uid of the user who installed the helper, in decimal: written by the installer's
    // script as root, removed on uninstall. Only root and this user may uninstall or stop it.
    static constexpr std::string_view installerRecordPath =
        "/Library/PrivilegedHelperTools/org.brisvane.Brisvane.helper.installer";
    // Seconds the daemon keeps the fans after the last setTargets.
    static constexpr double heartbeatTimeout = 6.0;

    // The same files under the current system root, for the programs to open.
    static std::string daemonPlistSystemPath();
    static std::string helperInstallSystemPath();
    static std::string installerRecordSystemPath();
    // The daemon's listening socket: <root>/var/run/<machServiceName>.socket.
    static std::string daemonSocketPath();
};

struct HelperSafetyFloor {
    // Minimum effort in percent of each fan's range for the hottest sensor temperature;
    // piecewise linear from 0 below 60 °C to 100 at 90 °C, and 100 for NaN.
    static double floorPercent(double hottestCelsius);
};

// The five remote operations. Each reply callback is called exactly once, when the operation
// has been carried out; callers must not assume on which thread.
class BrisvaneHelperProtocol {
public:
    virtual ~BrisvaneHelperProtocol() = default;

    // Requested target RPM per fan, index = fan index; replies with the targets in force.
    virtual void setTargets(std::vector<double> targets,
                            std::function<void(std::vector<double>)> reply) = 0;
    virtual void releaseControl(std::function<void()> reply) = 0;
    // Replies with the JSON of a HelperStatus, or empty data when it could not be encoded.
    virtual void status(std::function<void(std::vector<std::uint8_t>)> reply) = 0;
    // Replies true.
    virtual void uninstall(std::function<void(bool)> reply) = 0;
    virtual void shutDown(std::function<void()> reply) = 0;
};

} // namespace brisvane
