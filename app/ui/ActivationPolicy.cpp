#include "app/ui/ActivationPolicy.h"

namespace brisvane {
namespace {

ActivationPolicy g_policy = ActivationPolicy::regular;

} // namespace

void setActivationPolicy(ActivationPolicy policy)
{
    // macOS: NSApp.setActivationPolicy(.regular / .accessory). Nothing to switch here.
    g_policy = policy;
}

ActivationPolicy activationPolicy()
{
    return g_policy;
}

} // namespace brisvane
