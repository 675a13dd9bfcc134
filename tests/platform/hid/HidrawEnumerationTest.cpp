#include <gtest/gtest.h>

#include <filesystem>

#include "device/MouseCapabilities.h"
#include "platform/hid/HidrawBackend.h"
#include "platform/sys/WinError.h"
#include "tests/platform/hid/Descriptors.h"
#include "tests/platform/hid/FakeSysfs.h"

namespace {

using hid::HidChange;
using hid::HidrawBackend;
using hid::HidInterfaceDescription;

// hidraw1: boot mouse; hidraw2: the four-collection node; hidraw10: the vendor collection alone
// on Bluetooth; hidraw11: the vendor collection on USB without bcdDevice. Created out of order.
class HidrawTree : public testing::Test {
 protected:
  void SetUp() override {
    fake_.Add({.number = 10, .bus = 0x0005, .vendor = 0xAAAA, .product = 0xBBBB,
               .descriptor = testdesc::kVendorMouse});
    fake_.Add({.number = 2, .vendor = 0x1234, .product = 0x5678, .bcdDevice = 0x0200,
               .descriptor = testdesc::kComposite});
    fake_.Add({.number = 1, .vendor = 0x046D, .product = 0xC077, .bcdDevice = 0x7200,
               .descriptor = testdesc::kBootMouse});
    fake_.Add({.number = 11, .bcdDevice = std::nullopt, .descriptor = testdesc::kVendorMouse});
    std::filesystem::create_directory(fake_.sysfs() + "/class/hidraw/not-a-node");
  }

  std::string Dev(const std::string& rest) const { return fake_.dev() + "/" + rest; }

  FakeSysfs fake_;
  HidrawBackend backend_{fake_.sysfs(), fake_.dev()};
};

TEST_F(HidrawTree, EnumeratesNodesInNumericOrderWithOnePathPerCollection) {
  std::vector<std::string> paths;
  ASSERT_EQ(backend_.Enumerate(paths), 0);
  EXPECT_EQ(paths, (std::vector<std::string>{Dev("hidraw1"), Dev("hidraw2#0"), Dev("hidraw2#1"),
                                             Dev("hidraw2#2"), Dev("hidraw2#3"), Dev("hidraw10"),
                                             Dev("hidraw11")}));
}

TEST_F(HidrawTree, DescribeGivesIdsVersionAndCaps) {
  struct Case {
    const char* path;
    uint16_t vendor, product, version, usagePage;
    bool isMouse;
  };
  const Case cases[] = {
      {"hidraw1", 0x046D, 0xC077, 0x7200, 0x0001, false},
      {"hidraw2#0", 0x1234, 0x5678, 0x0200, 0x0001, false},
      {"hidraw2#3", 0x1234, 0x5678, 0x0200, 0xFFB3, true},
      // Bluetooth: the adapter's bcdDevice above the device is not the device's version.
      {"hidraw10", 0xAAAA, 0xBBBB, 0x0000, 0xFFB3, false},
      {"hidraw11", 0x1234, 0x5678, 0x0000, 0xFFB3, false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.path);
    HidInterfaceDescription d;
    ASSERT_EQ(backend_.Describe(Dev(c.path), d), 0);
    EXPECT_EQ(d.path, Dev(c.path));
    EXPECT_EQ(d.attributes.VendorID, c.vendor);
    EXPECT_EQ(d.attributes.ProductID, c.product);
    EXPECT_EQ(d.attributes.VersionNumber, c.version);
    EXPECT_EQ(d.caps.UsagePage, c.usagePage);
    EXPECT_EQ(device::IsMouseVendorCollection(d), c.isMouse);
  }
}

TEST_F(HidrawTree, PathsThatEnumerateDoesNotGiveAreNotFound) {
  fake_.RemoveDeviceNode(11);
  const std::string bad[] = {
      Dev("hidraw2"),     // several collections need "#K"
      Dev("hidraw1#0"),   // one collection has no "#K"
      Dev("hidraw2#4"),   // past the last collection
      Dev("hidraw2#03"),  // not the spelling Enumerate gives
      Dev("hidraw2#"),
      Dev("hidraw7"),     // no such node
      Dev("hidraw11"),    // sysfs knows it, but the device node is gone
      Dev("mouse0"),
      fake_.sysfs() + "/hidraw1",
      "",
  };
  for (const std::string& path : bad) {
    SCOPED_TRACE(path);
    HidInterfaceDescription d;
    EXPECT_EQ(backend_.Describe(path, d), winerr::ERROR_FILE_NOT_FOUND);
    std::unique_ptr<hid::HidDevice> dev;
    EXPECT_EQ(backend_.Open(path, hid::HidAccess::Read, dev), winerr::ERROR_FILE_NOT_FOUND);
    EXPECT_EQ(dev, nullptr);
  }
}

TEST_F(HidrawTree, ChangesNameEveryInterfaceOnArrivalAndTheNodeOnRemoval) {
  using V = std::vector<std::string>;
  EXPECT_EQ(backend_.ChangePaths(HidChange::Arrival, "hidraw2"),
            (V{Dev("hidraw2#0"), Dev("hidraw2#1"), Dev("hidraw2#2"), Dev("hidraw2#3")}));
  EXPECT_EQ(backend_.ChangePaths(HidChange::Arrival, "hidraw1"), V{Dev("hidraw1")});
  EXPECT_EQ(backend_.ChangePaths(HidChange::Removal, "hidraw2"), V{Dev("hidraw2")});
  // A node whose sysfs entries are already gone is still reported by its node path.
  EXPECT_EQ(backend_.ChangePaths(HidChange::Arrival, "hidraw9"), V{Dev("hidraw9")});
  EXPECT_EQ(backend_.ChangePaths(HidChange::Arrival, "event3"), V{});
}

TEST(HidrawNodes, BrokenNodesOfferOnlyWhatCanBeRead) {
  FakeSysfs fake;
  // A descriptor cut inside its second collection keeps the first; one whose report descriptor
  // cannot be read offers nothing; an unreadable uevent neither.
  fake.Add({.number = 0, .descriptor = testdesc::Concat({testdesc::kVendorMouse,
                                                         {0x05, 0x01, 0x09, 0x02, 0xA1, 0x01}})});
  fake.Add({.number = 1, .descriptor = testdesc::kBootMouse});
  fake.Add({.number = 2, .descriptor = testdesc::kBootMouse});
  std::filesystem::remove(fake.sysfs() + "/class/hidraw/hidraw1/device/report_descriptor");
  FakeSysfs::Write(fake.sysfs() + "/class/hidraw/hidraw2/device/uevent", "HID_ID=0003:zz:1\n");
  HidrawBackend backend(fake.sysfs(), fake.dev());
  std::vector<std::string> paths;
  ASSERT_EQ(backend.Enumerate(paths), 0);
  EXPECT_EQ(paths, std::vector<std::string>{fake.NodePath(0)});
  HidInterfaceDescription d;
  EXPECT_EQ(backend.Describe(fake.NodePath(0), d), 0);
  EXPECT_TRUE(device::IsMouseVendorCollection(d));
}

TEST(HidrawNodes, NoHidrawClassMeansNoInterfaces) {
  HidrawBackend backend("/nonexistent-sysfs", "/dev");
  std::vector<std::string> paths{"stale"};
  EXPECT_EQ(backend.Enumerate(paths), 0);
  EXPECT_TRUE(paths.empty());
}

}  // namespace
