#pragma once

#include <iosfwd>
#include <string>
#include <vector>

#include "platform/hid/HidrawBackend.h"

// The decision of the udev checker program: is a hidraw node the mouse's vendor collection?
namespace hid {

// True when one of the node's top-level collections passes the mouse's capability test.
bool IsMouseNode(const HidrawNode& node);

// The checker's command line, without the program name: [--sysfs DIR] NODE, where NODE is the
// kernel name "hidrawN" (or a path ending in it). Prints "KDZ_MOUSE=1" or "KDZ_MOUSE=0" for udev
// to import and returns 0; returns 1 when the node cannot be read, 2 on a bad command line.
int RunHidCheck(const std::vector<std::string>& args, std::ostream& out, std::ostream& err);

}  // namespace hid
