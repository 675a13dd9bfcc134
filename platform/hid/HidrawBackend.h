#pragma once

#include <memory>
#include <string>
#include <vector>

#include "platform/hid/HidBackend.h"
#include "platform/hid/ReportDescriptor.h"

// The HID backend of the kernel's hidraw interface. Nodes are found under
// <sysfs>/class/hidraw/hidrawN and opened as <dev>/hidrawN. Each top-level collection of a node's
// report descriptor is one interface: its path is the node's path when the node has one
// collection, and "<node>#K" (K = 0, 1, ...) for collection K when it has several.
namespace hid {

// What sysfs tells of one hidraw node.
struct HidrawNode {
  std::string name;  // "hidrawN"
  HidAttributes attributes;
  ParsedDescriptor descriptor;  // only complete top-level collections
};

class HidrawBackend final : public HidBackend {
 public:
  explicit HidrawBackend(std::string sysfsRoot = "/sys", std::string devRoot = "/dev");

  int Enumerate(std::vector<std::string>& paths) override;
  int Describe(const std::string& path, HidInterfaceDescription& out) override;
  int Open(const std::string& path, HidAccess access, std::unique_ptr<HidDevice>& out) override;
  // Runs a libudev monitor on the "hidraw" subsystem on a thread of its own. An arrival reports
  // the path of every interface of the new node; a removal reports the node path only, since the
  // removed node's descriptor can no longer be read.
  std::unique_ptr<HidWatcher> Watch(HidChangeCallback callback) override;

  // The hidraw node names under <sysfs>/class/hidraw in numeric order (hidraw2 before hidraw10).
  int ListNodes(std::vector<std::string>& names) const;
  // Reads one node's attributes and report descriptor from sysfs alone (the device node is not
  // touched). ERROR_FILE_NOT_FOUND for an unknown node.
  int ReadNode(const std::string& name, HidrawNode& out) const;
  // The descriptions of every interface of a node, paths included.
  static std::vector<HidInterfaceDescription> Interfaces(const HidrawNode& node,
                                                         const std::string& devRoot);
  // The paths a change of node `name` is reported with (see Watch).
  std::vector<std::string> ChangePaths(HidChange change, const std::string& name) const;

  const std::string& devRoot() const { return devRoot_; }

 private:
  // Splits an interface path into node name and collection index and loads the node; 0 or
  // ERROR_FILE_NOT_FOUND when the path is not one that Enumerate gives.
  int Resolve(const std::string& path, HidrawNode& node, size_t& collection) const;

  std::string sysfsRoot_;
  std::string devRoot_;
};

}  // namespace hid
