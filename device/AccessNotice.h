#pragma once

#include <string>

namespace device {

// Says once per process on standard error that the mouse was found at `path` but its node
// cannot be opened for lack of permission, naming the node and the udev rule that grants
// access. Later calls print nothing.
void ReportMouseAccessDenied(const std::string& path);

}  // namespace device
