#pragma once

// The udev rule that gives the logged-in user access to the mouse's hidraw node. The device
// layer names it when the mouse is found but cannot be opened for lack of permission.
#ifndef KDZ_UDEV_RULES_DIR
#define KDZ_UDEV_RULES_DIR "/usr/local/lib/udev/rules.d"
#endif

namespace hid {

inline constexpr char kUdevRuleName[] = "70-kavrin-direzerud.rules";
// Where `cmake --install` puts the rule, for the prefix the build was configured with.
inline constexpr char kUdevRulePath[] = KDZ_UDEV_RULES_DIR "/70-kavrin-direzerud.rules";

}  // namespace hid
