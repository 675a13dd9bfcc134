#include "platform/hid/udev/HidCheck.h"

#include <ostream>

#include "device/MouseCapabilities.h"

namespace hid {

bool IsMouseNode(const HidrawNode& node) {
  for (const HidInterfaceDescription& d : HidrawBackend::Interfaces(node, ""))
    if (device::IsMouseVendorCollection(d)) return true;
  return false;
}

int RunHidCheck(const std::vector<std::string>& args, std::ostream& out, std::ostream& err) {
  std::string sysfs = "/sys";
  std::string node;
  for (size_t i = 0; i < args.size(); ++i) {
    if (args[i] == "--sysfs" && i + 1 < args.size()) {
      sysfs = args[++i];
    } else if (node.empty() && !args[i].empty() && args[i][0] != '-') {
      node = args[i];
    } else {
      node.clear();
      break;
    }
  }
  if (node.empty()) {
    err << "usage: kavrin-direzerud-hidcheck [--sysfs DIR] hidrawN\n";
    return 2;
  }
  if (const size_t slash = node.rfind('/'); slash != std::string::npos) node.erase(0, slash + 1);
  const HidrawBackend backend(sysfs);
  HidrawNode probe;
  if (backend.ReadNode(node, probe) != 0) {
    err << "kavrin-direzerud-hidcheck: cannot read " << node << " under " << sysfs << "\n";
    return 1;
  }
  out << "KDZ_MOUSE=" << (IsMouseNode(probe) ? 1 : 0) << "\n";
  return 0;
}

}  // namespace hid
