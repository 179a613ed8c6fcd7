#pragma once

#include <filesystem>
#include <string>

namespace brisvane::test {

// A folder under /tmp (short, for socket paths) removed with everything in it.
class TemporaryRoot {
public:
    TemporaryRoot();
    ~TemporaryRoot();
    TemporaryRoot(const TemporaryRoot&) = delete;
    TemporaryRoot& operator=(const TemporaryRoot&) = delete;

    const std::filesystem::path& path() const { return m_path; }
    // A folder of its own inside the root.
    std::filesystem::path makeDirectory(const std::string& name) const;

private:
    std::filesystem::path m_path;
};

std::string readFile(const std::filesystem::path& path);
// A socket file nobody listens on, as a killed server leaves it; false if it could not be made.
bool leaveStaleSocket(const std::filesystem::path& path);
// Creates the folder first; `executable` gives the owner and group the right to run it.
void writeFile(const std::filesystem::path& path, const std::string& content,
               bool executable = false);

} // namespace brisvane::test
