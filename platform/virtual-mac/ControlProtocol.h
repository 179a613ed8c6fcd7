#pragma once
// The virtual SMC's control language: one request line in, one JSON object out
// ({"ok":true,…} or {"ok":false,"error":"…"}). brisvane-vsmc serves it on vsmc.control; tests
// may call it in-process.

#include <nlohmann/json.hpp>

#include <string_view>

namespace brisvane {

class VirtualSmc;

class ControlProtocol {
public:
    // Never throws: every failure becomes {"ok":false,"error":…}.
    static nlohmann::json execute(VirtualSmc& smc, std::string_view line);
};

} // namespace brisvane
