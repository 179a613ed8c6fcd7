#pragma once

namespace brisvane {

// Qt Quick (6.4) tells assistive technology that every item is usable, even one the app has
// disabled: a screen-reader user would press a control that does nothing. Installed once per
// process, after Qt Quick is loaded, this reports a disabled item as unavailable ("enabled" and
// "sensitive" cleared over AT-SPI) and announces the change when the item's enabled flag flips.
void installAccessibleEnabledState();

} // namespace brisvane
