#include "MachineProfile.h"

#include "SmcValueCodec.h"

#include <cctype>
#include <cstdlib>
#include <fstream>
#include <random>
#include <set>

#include <unistd.h>

namespace brisvane {
namespace {

using nlohmann::json;

constexpr int kMaxExtendsDepth = 8;

json readDocument(const std::filesystem::path& file)
{
    std::ifstream in(file);
    if (!in)
        throw ProfileError("cannot open profile " + file.string());
    try {
        return json::parse(in);
    } catch (const json::exception& e) {
        throw ProfileError("profile " + file.string() + " is not valid JSON: " + e.what());
    }
}

bool validName(const std::string& name)
{
    if (name.empty() || name.size() > 64)
        return false;
    for (char c : name)
        if (!(std::isalnum(static_cast<unsigned char>(c)) || c == '-' || c == '_'))
            return false;
    return true;
}

// Applies "extends": the parent's keys come first and the child's replace them by name; the
// other sections merge field by field.
json resolveExtends(json document, const std::filesystem::path& baseDirectory, int depth)
{
    if (!document.is_object())
        throw ProfileError("a profile must be a JSON object");
    if (!document.contains("extends"))
        return document;
    if (depth >= kMaxExtendsDepth)
        throw ProfileError("profiles extend each other too deeply (a cycle?)");
    const json& parentName = document["extends"];
    if (!parentName.is_string() || !validName(parentName.get<std::string>()))
        throw ProfileError("\"extends\" must name a profile");
    json parent =
        resolveExtends(readDocument(baseDirectory / (parentName.get<std::string>() + ".json")),
                       baseDirectory, depth + 1);

    json merged = parent;
    merged.erase("removeKeys");
    merged.erase("generate");
    for (auto& [field, value] : document.items()) {
        if (field == "extends")
            continue;
        if (field == "keys") {
            if (!value.is_array())
                throw ProfileError("\"keys\" must be an array");
            json& keys = merged["keys"];
            if (!keys.is_array())
                keys = json::array();
            for (const json& key : value)
                keys.push_back(key); // later entries of the same name win when loaded
        } else if (value.is_object() && merged.contains(field) && merged[field].is_object()) {
            // Shallow, and null is kept: "acceptModeAfterSeconds": null means never.
            for (auto& [name, setting] : value.items())
                merged[field][name] = setting;
        } else {
            merged[field] = value;
        }
    }
    return merged;
}

SmcKeyEntry parseKey(const json& entry)
{
    if (!entry.is_object())
        throw std::invalid_argument("a key must be an object");
    SmcKeyEntry key;
    key.name = entry.at("name").get<std::string>();
    key.type = entry.at("type").get<std::string>();
    if (key.name.size() != 4)
        throw std::invalid_argument("a key name has four characters");
    if (key.type.size() != 4)
        throw std::invalid_argument("a type name has four characters");
    key.writable = entry.value("writable", false);

    std::optional<std::uint32_t> size;
    if (entry.contains("size"))
        size = entry["size"].get<std::uint32_t>();
    // Raw bytes may contradict their type, as a quirky firmware's do; a typed value may not.
    if (auto fixed = SmcValueCodec::fixedSize(key.type);
        fixed && size && *size != *fixed && !entry.contains("hex"))
        throw std::invalid_argument("type " + key.type + " has size " + std::to_string(*fixed));
    if (!size)
        size = SmcValueCodec::fixedSize(key.type);

    if (entry.contains("hex")) {
        key.bytes = SmcValueCodec::fromHex(entry["hex"].get<std::string>());
        if (size && key.bytes.size() != *size)
            throw std::invalid_argument("hex value is not " + std::to_string(*size) + " bytes");
    } else if (entry.contains("value")) {
        key.bytes = SmcValueCodec::encode(key.type, entry["value"], size);
    } else if (size) {
        key.bytes.assign(*size, 0);
    } else {
        throw std::invalid_argument("type " + key.type + " needs a size, a hex or a value");
    }

    // Read permission, plus write permission where the key takes writes.
    const int defaultAttributes = key.writable ? 0xD4 : 0x84;
    key.attributes = static_cast<std::uint8_t>(entry.value("attr", defaultAttributes));
    return key;
}

// Filler keys of assorted types, so a directory can be as large as a real one. Names avoid the
// F and T prefixes so that fans and die sensors stay exactly as the profile lists them.
void generateKeys(KeyDirectory& keys, const json& rule)
{
    const auto count = rule.at("count").get<std::size_t>();
    std::mt19937 random(rule.value("seed", 1u));
    static const char firstLetters[] = "ABCDEGHILMNOPRSUVWXZ";
    static const char others[] = "0123456789ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz";
    struct Shape {
        const char* type;
        std::uint32_t size;
    };
    static const Shape shapes[] = {{"ui8 ", 1},  {"ui16", 2}, {"ui32", 4}, {"flt ", 4},
                                   {"flag", 1},  {"si16", 2}, {"ch8*", 8}, {"hex_", 6},
                                   {"{jst", 12}, {"sp78", 2}, {"si8 ", 1}, {"ui64", 8}};
    std::set<std::string> taken;
    for (std::size_t i = 0; i < keys.size(); ++i)
        taken.insert(keys.at(i).name);
    std::size_t made = 0;
    for (std::size_t serial = 0; made < count; ++serial) {
        if (serial > 40 * count + 1000)
            throw std::invalid_argument("cannot find enough free key names");
        std::string name(4, ' ');
        name[0] = firstLetters[random() % (sizeof firstLetters - 1)];
        for (int i = 1; i < 4; ++i)
            name[i] = others[random() % (sizeof others - 1)];
        if (!taken.insert(name).second)
            continue;
        const Shape& shape = shapes[made % std::size(shapes)];
        SmcKeyEntry key{name, shape.type, 0x84, false, std::vector<std::uint8_t>(shape.size)};
        if (std::string(shape.type) == "flt ")
            key.bytes = SmcValueCodec::floatBytes(static_cast<float>(random() % 10000) / 100.0f);
        else
            for (auto& b : key.bytes)
                b = static_cast<std::uint8_t>(random());
        keys.add(std::move(key));
        ++made;
    }
    keys.finalize();
}

template <typename T> void readField(const json& section, const char* field, T& target)
{
    if (section.contains(field))
        target = section[field].get<T>();
}

} // namespace

MachineProfile MachineProfile::fromJson(const json& source, const std::string& name,
                                        const std::filesystem::path& baseDirectory)
{
    const json document = resolveExtends(source, baseDirectory, 0);
    MachineProfile profile;
    profile.name = name;
    try {
        profile.description = document.value("description", "");
        profile.serviceClass = document.value("serviceClass", profile.serviceClass);
        if (profile.serviceClass != "AppleSMCKeysEndpoint" && profile.serviceClass != "AppleSMC")
            throw std::invalid_argument("serviceClass must be AppleSMCKeysEndpoint or AppleSMC");

        if (document.contains("firmware")) {
            const json& fw = document["firmware"];
            if (fw.contains("acceptModeAfterSeconds")) {
                const json& delay = fw["acceptModeAfterSeconds"];
                if (delay.is_null())
                    profile.firmware.acceptModeAfterSeconds.reset();
                else
                    profile.firmware.acceptModeAfterSeconds = delay.get<double>();
            }
            if (fw.contains("curve")) {
                profile.firmware.curve.clear();
                for (const json& point : fw["curve"])
                    profile.firmware.curve.emplace_back(point.at(0).get<double>(),
                                                        point.at(1).get<double>());
                if (profile.firmware.curve.empty())
                    throw std::invalid_argument("the firmware curve needs a point");
            }
        }
        if (document.contains("fans")) {
            const json& fans = document["fans"];
            readField(fans, "lagSeconds", profile.fans.lagSeconds);
            readField(fans, "noiseRPM", profile.fans.noiseRPM);
            readField(fans, "noiseSeed", profile.fans.noiseSeed);
        }
        if (document.contains("thermal")) {
            const json& th = document["thermal"];
            ThermalParameters& t = profile.thermal;
            readField(th, "ambientCelsius", t.ambientCelsius);
            readField(th, "cpuIdleWatts", t.cpuIdleWatts);
            readField(th, "cpuLoadWatts", t.cpuLoadWatts);
            readField(th, "gpuIdleWatts", t.gpuIdleWatts);
            readField(th, "gpuLoadWatts", t.gpuLoadWatts);
            readField(th, "heatCapacity", t.heatCapacity);
            readField(th, "passiveConductance", t.passiveConductance);
            readField(th, "fanConductance", t.fanConductance);
            readField(th, "gpuSensorsDormantUntilLoad", t.gpuSensorsDormantUntilLoad);
            if (!(t.heatCapacity > 0) || !(t.passiveConductance > 0) || t.fanConductance < 0)
                throw std::invalid_argument("thermal capacity and conductances must be positive");
        }
    } catch (const std::exception& e) {
        throw ProfileError("profile " + name + ": " + e.what());
    }

    if (!document.contains("keys") || !document["keys"].is_array())
        throw ProfileError("profile " + name + ": \"keys\" must be an array");
    std::size_t index = 0;
    for (const json& entry : document["keys"]) {
        try {
            profile.keys.add(parseKey(entry));
        } catch (const std::exception& e) {
            std::string label = entry.is_object() ? entry.value("name", "?") : "?";
            throw ProfileError("profile " + name + ": key " + std::to_string(index) + " (" + label +
                               "): " + e.what());
        }
        ++index;
    }
    if (document.contains("removeKeys"))
        for (const json& key : document["removeKeys"])
            profile.keys.remove(key.get<std::string>());
    profile.keys.finalize();
    if (document.contains("generate")) {
        try {
            generateKeys(profile.keys, document["generate"]);
        } catch (const std::exception& e) {
            throw ProfileError("profile " + name + ": generate: " + e.what());
        }
    }
    return profile;
}

MachineProfile MachineProfile::load(const std::filesystem::path& file)
{
    json document = readDocument(file);
    try {
        return fromJson(document, file.stem().string(), file.parent_path());
    } catch (const json::exception& e) {
        throw ProfileError("profile " + file.string() + ": " + e.what());
    }
}

MachineProfile MachineProfile::loadNamed(const std::string& name)
{
    if (!validName(name))
        throw ProfileError("not a profile name: \"" + name + "\"");
    return load(directory() / (name + ".json"));
}

std::filesystem::path MachineProfile::directory()
{
    if (const char* env = std::getenv("BRISVANE_VSMC_PROFILES"); env != nullptr && *env != '\0')
        return env;
    std::error_code error;
    const auto self = std::filesystem::read_symlink("/proc/self/exe", error);
    return self.parent_path().parent_path() / "share/brisvane/virtual-mac/profiles";
}

} // namespace brisvane
