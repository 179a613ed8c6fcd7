#pragma once

#include <filesystem>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace brisvane::test {

// Sets (or, given nullopt, unsets) a variable and puts back what was there at the end.
class ScopedEnv {
public:
    ScopedEnv(std::string name, const std::optional<std::string>& value);
    ~ScopedEnv();
    ScopedEnv(const ScopedEnv&) = delete;
    ScopedEnv& operator=(const ScopedEnv&) = delete;

private:
    std::string m_name;
    std::optional<std::string> m_old;
};

// Several guards, undone newest first so that each restores what it found.
class ScopedEnvironment {
public:
    ScopedEnvironment() = default;
    explicit ScopedEnvironment(const std::map<std::string, std::string>& values);
    ~ScopedEnvironment();
    void set(const std::string& name, const std::optional<std::string>& value);

private:
    std::vector<std::unique_ptr<ScopedEnv>> m_guards;
};

// HOME and the XDG folders a user's programs write to, fresh under `root` (the runtime folder
// private, as programs demand), as an environment for a child or for this process.
std::map<std::string, std::string> userFolders(const std::filesystem::path& root);

// The system-bus address of a test root: nothing listens there unless a test starts a bus, so
// the daemon and the app run without sleep handling.
std::string systemBusAddress(const std::filesystem::path& root);

} // namespace brisvane::test
