#include "device/AccessNotice.h"

#include <atomic>
#include <cstdio>

#include "platform/hid/UdevRule.h"

namespace device {

void ReportMouseAccessDenied(const std::string& path) {
  static std::atomic<bool> reported{false};
  if (reported.exchange(true)) return;
  // An interface path names its node, followed by "#K" when the node has several collections.
  const std::string node = path.substr(0, path.find('#'));
  std::fprintf(stderr,
               "kavrin-direzerud: the mouse was found at %s but cannot be opened: permission "
               "denied. Install the udev rule %s (%s, e.g. with cmake --install) and plug the "
               "mouse in again.\n",
               node.c_str(), hid::kUdevRuleName, hid::kUdevRulePath);
  std::fflush(stderr);
}

}  // namespace device
