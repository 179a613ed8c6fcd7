#pragma once
// SMC key access: the 80-byte user-client record, one connection with its key-info cache, the
// typed reads and writes, and the fan keys. Compiled unchanged into the app and the daemon.

#include <array>
#include <cstddef>
#include <cstdint>
#include <exception>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

namespace brisvane {

struct SMCVersion {
    std::uint8_t major;
    std::uint8_t minor;
    std::uint8_t build;
    std::uint8_t reserved;
    std::uint16_t release;
};

struct SMCPLimitData {
    std::uint16_t version;
    std::uint16_t length;
    std::uint32_t cpuPLimit;
    std::uint32_t gpuPLimit;
    std::uint32_t memPLimit;
};

// Packed to its 9 bytes: in the record the fields after it follow at offset 37, not 40.
struct __attribute__((packed)) SMCKeyInfoData {
    std::uint32_t dataSize;
    std::uint32_t dataType;
    std::uint8_t dataAttributes;

    friend bool operator==(const SMCKeyInfoData&, const SMCKeyInfoData&) = default;
};

// The record exchanged with the SMC user client in both directions; a wire format, host order.
struct SMCParamStruct {
    std::uint32_t key;
    SMCVersion vers;
    SMCPLimitData pLimitData;
    SMCKeyInfoData keyInfo;
    std::uint16_t padding;
    std::uint8_t result;
    std::uint8_t status;
    std::uint8_t data8;
    std::uint32_t data32;
    std::array<std::uint8_t, 32> bytes;

    // Every request starts from all zeroes, alignment gaps included.
    static SMCParamStruct zeroed();
};

static_assert(sizeof(SMCParamStruct) == 80);
static_assert(offsetof(SMCParamStruct, key) == 0);
static_assert(offsetof(SMCParamStruct, vers) == 4);
static_assert(offsetof(SMCParamStruct, pLimitData) == 12);
static_assert(offsetof(SMCParamStruct, keyInfo) == 28);
static_assert(offsetof(SMCParamStruct, keyInfo) + offsetof(SMCKeyInfoData, dataType) == 32);
static_assert(offsetof(SMCParamStruct, keyInfo) + offsetof(SMCKeyInfoData, dataAttributes) == 36);
static_assert(offsetof(SMCParamStruct, padding) == 38);
static_assert(offsetof(SMCParamStruct, result) == 40);
static_assert(offsetof(SMCParamStruct, status) == 41);
static_assert(offsetof(SMCParamStruct, data8) == 42);
static_assert(offsetof(SMCParamStruct, data32) == 44);
static_assert(offsetof(SMCParamStruct, bytes) == 48);

enum class SMCCommand : std::uint8_t {
    readKey = 5,
    writeKey = 6,
    getKeyFromIndex = 8,
    getKeyInfo = 9,
};

// The user-client selector of every SMC command.
inline constexpr std::uint32_t kSMCUserClientSelector = 2;

class SMCError : public std::exception {
public:
    enum class Kind {
        openFailed,
        callFailed,
        keyError,
        typeMismatch,
        serviceNotFound,
        sizeMismatch
    };

    static SMCError openFailed(std::int32_t code);
    static SMCError callFailed(std::int32_t code);
    static SMCError keyError(std::string key, std::uint8_t smcResult);
    static SMCError typeMismatch(std::string key, std::string expected, std::string actual);
    static SMCError serviceNotFound();
    // A write whose length is not the key's size; it is refused before anything is sent.
    static SMCError sizeMismatch(std::string key, std::size_t expectedSize, std::size_t actualSize);

    Kind kind() const { return m_kind; }
    std::int32_t code() const { return m_code; }
    const std::string& key() const { return m_key; }
    std::uint8_t smcResult() const { return m_smcResult; }
    const std::string& expected() const { return m_expected; }
    const std::string& actual() const { return m_actual; }

    // The SMC did not answer (no service, no connection, a failed call), as opposed to an answer
    // that refused: the same request may succeed later.
    bool isTransportFailure() const;

    const std::string& description() const { return m_description; }
    const char* what() const noexcept override { return m_description.c_str(); }

    friend bool operator==(const SMCError& a, const SMCError& b)
    {
        return a.m_kind == b.m_kind && a.m_description == b.m_description;
    }

private:
    SMCError(Kind kind, std::string description)
        : m_kind(kind)
        , m_description(std::move(description))
    {}

    Kind m_kind;
    std::string m_description;
    std::int32_t m_code = 0;
    std::string m_key;
    std::uint8_t m_smcResult = 0;
    std::string m_expected;
    std::string m_actual;
};

// Packs a key or type name, first character most significant; longer text keeps its last four
// bytes.
std::uint32_t smcFourCC(std::string_view key);
// The inverse; "????" when any byte is not ASCII. Zero bytes are kept as characters.
std::string smcFourCCString(std::uint32_t code);

struct SMCValue {
    std::string type;
    std::vector<std::uint8_t> data;

    friend bool operator==(const SMCValue&, const SMCValue&) = default;
};

struct SMCFanReading {
    int index = 0;
    double actualRPM = 0;
    double targetRPM = 0;
    double minRPM = 0;
    double maxRPM = 0;
    std::optional<std::uint8_t> modeRaw;

    friend bool operator==(const SMCFanReading&, const SMCFanReading&) = default;
};

namespace FanModeKey {
// F<i>Md if it exists, else F<i>md if it exists, else nothing.
std::optional<std::string> resolve(int fanIndex,
                                   const std::function<bool(const std::string&)>& keyExists);
} // namespace FanModeKey

// One open SMC user client. Not thread-safe: each owner uses it from one serial context. Shared
// through std::shared_ptr where a sensor reader uses its owner's connection.
class SMCConnection {
public:
    // Opens "AppleSMCKeysEndpoint", or "AppleSMC" when there is none; throws SMCError.
    SMCConnection();
    ~SMCConnection();
    SMCConnection(const SMCConnection&) = delete;
    SMCConnection& operator=(const SMCConnection&) = delete;

    SMCKeyInfoData keyInfo(std::string_view key);
    SMCValue readBytes(std::string_view key);
    bool keyExists(std::string_view key);
    std::uint32_t keyCount();
    std::string keyName(std::uint32_t index);

    float readFloat(std::string_view key);
    std::uint8_t readUInt8(std::string_view key);
    void writeFloat(std::string_view key, float value);
    void writeUInt8(std::string_view key, std::uint8_t value);

    // Never fails: an unreadable or empty FNum counts as no fans.
    int fanCount();
    std::optional<std::string> fanModeKey(int index);
    SMCFanReading readFan(int index);
    // All fans or an error; never a partial list.
    std::vector<SMCFanReading> readAllFans();

private:
    void writeBytes(std::string_view key, const std::vector<std::uint8_t>& data);
    SMCParamStruct call(const SMCParamStruct& input);

    std::uint32_t m_connection = 0;
    std::unordered_map<std::uint32_t, SMCKeyInfoData> m_keyInfoCache;
};

} // namespace brisvane
