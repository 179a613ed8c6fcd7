#include "SystemRoot.h"

#include <cstdlib>

namespace brisvane {

std::string systemRoot()
{
    const char* root = std::getenv("BRISVANE_SYSTEM_ROOT");
    if (root == nullptr || *root == '\0')
        return "/";
    return root;
}

std::string systemPath(std::string_view absolutePath)
{
    std::string root = systemRoot();
    while (root.size() > 1 && root.back() == '/')
        root.pop_back();
    if (root == "/")
        return std::string(absolutePath);
    return root + std::string(absolutePath);
}

} // namespace brisvane
