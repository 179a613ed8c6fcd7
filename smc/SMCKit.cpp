#include "SMCKit.h"

#include "IOKit.h"

#include <algorithm>
#include <cstdio>
#include <cstring>

namespace brisvane {
namespace {

std::string hexCode(std::int32_t code)
{
    char text[16];
    std::snprintf(text, sizeof text, "0x%x", static_cast<unsigned>(code));
    return text;
}

std::string fanKey(int index, const char* suffix)
{
    return "F" + std::to_string(index) + suffix;
}

} // namespace

SMCParamStruct SMCParamStruct::zeroed()
{
    SMCParamStruct record;
    std::memset(&record, 0, sizeof record);
    return record;
}

SMCError SMCError::openFailed(std::int32_t code)
{
    SMCError e(Kind::openFailed, "IOServiceOpen failed (" + hexCode(code) + ")");
    e.m_code = code;
    return e;
}

SMCError SMCError::callFailed(std::int32_t code)
{
    SMCError e(Kind::callFailed, "SMC call failed (" + hexCode(code) + ")");
    e.m_code = code;
    return e;
}

SMCError SMCError::keyError(std::string key, std::uint8_t smcResult)
{
    SMCError e(Kind::keyError,
               "SMC key " + key + " error (result " + std::to_string(smcResult) + ")");
    e.m_key = std::move(key);
    e.m_smcResult = smcResult;
    return e;
}

SMCError SMCError::typeMismatch(std::string key, std::string expected, std::string actual)
{
    SMCError e(Kind::typeMismatch,
               "SMC key " + key + " is type " + actual + ", expected " + expected);
    e.m_key = std::move(key);
    e.m_expected = std::move(expected);
    e.m_actual = std::move(actual);
    return e;
}

SMCError SMCError::serviceNotFound()
{
    return SMCError(Kind::serviceNotFound, "AppleSMC service not found");
}

bool SMCError::isTransportFailure() const
{
    switch (m_kind) {
    case Kind::serviceNotFound:
    case Kind::openFailed:
    case Kind::callFailed:
        return true;
    case Kind::keyError:
    case Kind::typeMismatch:
    case Kind::sizeMismatch:
        return false;
    }
    return false;
}

SMCError SMCError::sizeMismatch(std::string key, std::size_t expectedSize, std::size_t actualSize)
{
    SMCError e(Kind::sizeMismatch, "SMC key " + key + " takes " + std::to_string(expectedSize) +
                                       " bytes, not " + std::to_string(actualSize));
    e.m_key = std::move(key);
    return e;
}

std::uint32_t smcFourCC(std::string_view key)
{
    std::uint32_t code = 0;
    for (char c : key)
        code = (code << 8) | static_cast<std::uint8_t>(c);
    return code;
}

std::string smcFourCCString(std::uint32_t code)
{
    std::string text(4, '\0');
    for (int i = 0; i < 4; ++i) {
        auto byte = static_cast<std::uint8_t>(code >> (8 * (3 - i)));
        if (byte >= 0x80)
            return "????";
        text[i] = static_cast<char>(byte);
    }
    return text;
}

std::optional<std::string>
FanModeKey::resolve(int fanIndex, const std::function<bool(const std::string&)>& keyExists)
{
    for (const char* suffix : {"Md", "md"}) {
        std::string candidate = fanKey(fanIndex, suffix);
        if (keyExists(candidate))
            return candidate;
    }
    return std::nullopt;
}

SMCConnection::SMCConnection()
{
    io_service_t service =
        IOServiceGetMatchingService(kIOMainPortDefault, IOServiceMatching("AppleSMCKeysEndpoint"));
    if (service == 0)
        service = IOServiceGetMatchingService(kIOMainPortDefault, IOServiceMatching("AppleSMC"));
    if (service == 0)
        throw SMCError::serviceNotFound();

    io_connect_t connection = 0;
    kern_return_t rc = IOServiceOpen(service, mach_task_self_, 0, &connection);
    IOObjectRelease(service);
    if (rc != KERN_SUCCESS)
        throw SMCError::openFailed(rc);
    m_connection = connection;
}

SMCConnection::~SMCConnection()
{
    if (m_connection != 0)
        IOServiceClose(m_connection);
}

SMCParamStruct SMCConnection::call(const SMCParamStruct& input)
{
    SMCParamStruct output = SMCParamStruct::zeroed();
    std::size_t outputSize = sizeof output;
    kern_return_t rc = IOConnectCallStructMethod(m_connection, kSMCUserClientSelector, &input,
                                                 sizeof input, &output, &outputSize);
    if (rc != KERN_SUCCESS)
        throw SMCError::callFailed(rc);
    return output;
}

SMCKeyInfoData SMCConnection::keyInfo(std::string_view key)
{
    const std::uint32_t packed = smcFourCC(key);
    if (auto it = m_keyInfoCache.find(packed); it != m_keyInfoCache.end())
        return it->second;

    SMCParamStruct input = SMCParamStruct::zeroed();
    input.key = packed;
    input.data8 = static_cast<std::uint8_t>(SMCCommand::getKeyInfo);
    SMCParamStruct output = call(input);
    if (output.result != 0)
        throw SMCError::keyError(std::string(key), output.result);
    m_keyInfoCache.emplace(packed, output.keyInfo);
    return output.keyInfo;
}

SMCValue SMCConnection::readBytes(std::string_view key)
{
    const SMCKeyInfoData info = keyInfo(key);
    SMCParamStruct input = SMCParamStruct::zeroed();
    input.key = smcFourCC(key);
    input.keyInfo.dataSize = info.dataSize;
    input.data8 = static_cast<std::uint8_t>(SMCCommand::readKey);
    SMCParamStruct output = call(input);
    if (output.result != 0)
        throw SMCError::keyError(std::string(key), output.result);

    const std::size_t size = std::min<std::size_t>(info.dataSize, output.bytes.size());
    return {smcFourCCString(info.dataType),
            std::vector<std::uint8_t>(output.bytes.begin(), output.bytes.begin() + size)};
}

void SMCConnection::writeBytes(std::string_view key, const std::vector<std::uint8_t>& data)
{
    const SMCKeyInfoData info = keyInfo(key);
    // A record carries at most 32 value bytes, so a longer key can never match.
    if (data.size() != info.dataSize || data.size() > SMCParamStruct{}.bytes.size())
        throw SMCError::sizeMismatch(std::string(key), info.dataSize, data.size());

    SMCParamStruct input = SMCParamStruct::zeroed();
    input.key = smcFourCC(key);
    input.keyInfo.dataSize = info.dataSize;
    input.data8 = static_cast<std::uint8_t>(SMCCommand::writeKey);
    std::copy(data.begin(), data.end(), input.bytes.begin());
    SMCParamStruct output = call(input);
    if (output.result != 0)
        throw SMCError::keyError(std::string(key), output.result);
}

bool SMCConnection::keyExists(std::string_view key)
{
    try {
        keyInfo(key);
        return true;
    } catch (const SMCError&) {
        return false;
    }
}

std::uint32_t SMCConnection::keyCount()
{
    const SMCValue value = readBytes("#KEY");
    if (value.data.size() != 4)
        throw SMCError::keyError("#KEY", 255);
    return (std::uint32_t(value.data[0]) << 24) | (std::uint32_t(value.data[1]) << 16) |
           (std::uint32_t(value.data[2]) << 8) | std::uint32_t(value.data[3]);
}

std::string SMCConnection::keyName(std::uint32_t index)
{
    SMCParamStruct input = SMCParamStruct::zeroed();
    input.data8 = static_cast<std::uint8_t>(SMCCommand::getKeyFromIndex);
    input.data32 = index;
    SMCParamStruct output = call(input);
    if (output.result != 0)
        throw SMCError::keyError("#" + std::to_string(index), output.result);
    return smcFourCCString(output.key);
}

float SMCConnection::readFloat(std::string_view key)
{
    const SMCValue value = readBytes(key);
    if (value.type != "flt " || value.data.size() != 4)
        throw SMCError::typeMismatch(std::string(key), "flt ", value.type);
    const std::uint32_t bits = std::uint32_t(value.data[0]) | (std::uint32_t(value.data[1]) << 8) |
                               (std::uint32_t(value.data[2]) << 16) |
                               (std::uint32_t(value.data[3]) << 24);
    float result;
    std::memcpy(&result, &bits, sizeof result);
    return result;
}

std::uint8_t SMCConnection::readUInt8(std::string_view key)
{
    const SMCValue value = readBytes(key);
    if (value.data.empty())
        throw SMCError::keyError(std::string(key), 255);
    return value.data[0];
}

void SMCConnection::writeFloat(std::string_view key, float value)
{
    std::uint32_t bits;
    std::memcpy(&bits, &value, sizeof bits);
    writeBytes(key, {static_cast<std::uint8_t>(bits), static_cast<std::uint8_t>(bits >> 8),
                     static_cast<std::uint8_t>(bits >> 16), static_cast<std::uint8_t>(bits >> 24)});
}

void SMCConnection::writeUInt8(std::string_view key, std::uint8_t value)
{
    writeBytes(key, {value});
}

int SMCConnection::fanCount()
{
    try {
        const SMCValue value = readBytes("FNum");
        return value.data.empty() ? 0 : value.data[0];
    } catch (const SMCError&) {
        return 0;
    }
}

std::optional<std::string> SMCConnection::fanModeKey(int index)
{
    return FanModeKey::resolve(index, [this](const std::string& key) { return keyExists(key); });
}

SMCFanReading SMCConnection::readFan(int index)
{
    SMCFanReading fan;
    fan.index = index;
    fan.actualRPM = readFloat(fanKey(index, "Ac"));
    fan.targetRPM = readFloat(fanKey(index, "Tg"));
    fan.minRPM = readFloat(fanKey(index, "Mn"));
    fan.maxRPM = readFloat(fanKey(index, "Mx"));
    if (auto modeKey = fanModeKey(index)) {
        try {
            const SMCValue value = readBytes(*modeKey);
            if (!value.data.empty())
                fan.modeRaw = value.data[0];
        } catch (const SMCError&) {
            // An unreadable mode is reported as absent, not as a failed fan.
        }
    }
    return fan;
}

std::vector<SMCFanReading> SMCConnection::readAllFans()
{
    const int count = fanCount();
    std::vector<SMCFanReading> fans;
    fans.reserve(count);
    for (int i = 0; i < count; ++i)
        fans.push_back(readFan(i));
    return fans;
}

} // namespace brisvane
