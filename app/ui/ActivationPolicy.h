#pragma once
// Whether the application shows a Dock icon and main menu (regular) or only its menu-bar item
// (accessory). Linux desktops have no Dock: there the policy is only recorded, and hiding the
// main window is all a close does.

namespace brisvane {

enum class ActivationPolicy { regular, accessory };

void setActivationPolicy(ActivationPolicy policy);
// The policy last set; regular at launch.
ActivationPolicy activationPolicy();

} // namespace brisvane
