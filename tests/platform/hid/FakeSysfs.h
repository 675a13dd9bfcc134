#pragma once

#include <sys/stat.h>
#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <optional>
#include <string>
#include <vector>

// A sysfs tree and a /dev folder in a temporary folder, laid out as the kernel does it:
// class/hidraw/hidrawN links to .../<hid device>/hidraw/hidrawN, whose "device" link leads to
// the HID device (uevent, report_descriptor) below its USB interface and USB device (bcdDevice).
class FakeSysfs {
 public:
  struct Node {
    unsigned number = 0;
    uint16_t bus = 0x0003;
    uint16_t vendor = 0x1234;
    uint16_t product = 0x5678;
    std::optional<uint16_t> bcdDevice = 0x0200;
    std::vector<uint8_t> descriptor;
  };

  FakeSysfs() {
    char pattern[] = "/tmp/kdz-hidraw-XXXXXX";
    const char* made = ::mkdtemp(pattern);
    if (!made) std::abort();
    root_ = made;
    std::filesystem::create_directories(sysfs() + "/class/hidraw");
    std::filesystem::create_directories(dev());
  }
  ~FakeSysfs() {
    std::error_code ec;
    std::filesystem::remove_all(root_, ec);
  }
  FakeSysfs(const FakeSysfs&) = delete;
  FakeSysfs& operator=(const FakeSysfs&) = delete;

  std::string sysfs() const { return root_ + "/sys"; }
  std::string dev() const { return root_ + "/dev"; }
  std::string NodePath(unsigned number) const { return dev() + "/hidraw" + std::to_string(number); }

  // Adds the node's sysfs entries and an ordinary file as its device node.
  void Add(const Node& n) {
    namespace fs = std::filesystem;
    const std::string num = std::to_string(n.number);
    char hidName[32];
    std::snprintf(hidName, sizeof(hidName), "%04X:%04X:%04X.%04u", n.bus, n.vendor, n.product,
                  n.number);
    std::string usbDevice;
    std::string hid;
    if (n.bus == 0x0003) {
      usbDevice = sysfs() + "/devices/pci0000:00/0000:00:14.0/usb1/1-" + num;
      hid = usbDevice + "/1-" + num + ":1.0/" + hidName;
    } else {
      // A Bluetooth device under a USB adapter: the adapter's bcdDevice is not the device's.
      usbDevice = sysfs() + "/devices/pci0000:00/0000:00:14.0/usb1/1-9";
      hid = usbDevice + "/1-9:1.0/bluetooth/hci0/hci0:" + num + "/" + hidName;
    }
    fs::create_directories(hid + "/hidraw/hidraw" + num);
    if (n.bcdDevice) {
      char text[16];
      std::snprintf(text, sizeof(text), "%04x\n", *n.bcdDevice);
      Write(usbDevice + "/bcdDevice", text);
    }
    char uevent[128];
    std::snprintf(uevent, sizeof(uevent), "DRIVER=hid-generic\nHID_ID=%04X:%08X:%08X\nHID_NAME=x\n",
                  n.bus, n.vendor, n.product);
    Write(hid + "/uevent", uevent);
    Write(hid + "/report_descriptor",
          std::string(reinterpret_cast<const char*>(n.descriptor.data()), n.descriptor.size()));
    fs::create_directory_symlink("../..", hid + "/hidraw/hidraw" + num + "/device");
    const std::string classDir = sysfs() + "/class/hidraw";
    fs::create_directory_symlink(fs::relative(hid + "/hidraw/hidraw" + num, classDir),
                                 classDir + "/hidraw" + num);
    Write(NodePath(n.number), "");
  }

  // Replaces the node's device file with a FIFO, so reads block and writes can be read back.
  std::string MakeFifo(unsigned number) {
    const std::string path = NodePath(number);
    std::filesystem::remove(path);
    ::mkfifo(path.c_str(), 0600);
    return path;
  }

  void RemoveDeviceNode(unsigned number) { std::filesystem::remove(NodePath(number)); }

  static void Write(const std::string& path, const std::string& content) {
    std::ofstream(path, std::ios::binary) << content;
  }

 private:
  std::string root_;
};
