#pragma once

#include <string>
#include <string_view>

namespace brisvane {

// The folder every system path is taken under: BRISVANE_SYSTEM_ROOT, or "/" when that is
// empty or unset (as on a Mac). Read on every call, so tests can point it elsewhere.
std::string systemRoot();

// `absolutePath` (which starts with '/') under the system root. For the root "/" the path is
// returned unchanged, so on a Mac every path reads exactly as the system names it.
std::string systemPath(std::string_view absolutePath);

} // namespace brisvane
