#include "platform/hid/udev/HidCheck.h"

#include <gtest/gtest.h>

#include <sstream>

#include "tests/platform/hid/Descriptors.h"
#include "tests/platform/hid/FakeSysfs.h"

namespace {

using testdesc::Bytes;

struct CheckCase {
  const char* name;
  FakeSysfs::Node node;
  int exitCode;
  const char* output;
};

void PrintTo(const CheckCase& c, std::ostream* os) { *os << c.name; }

// The vendor collection with an 8-byte output value: a 9-byte output report.
Bytes LongOutputVendor() {
  Bytes d = testdesc::kVendorMouse;
  d.insert(d.end() - 3, {0x95, 0x08});  // Report Count 8 before the Output item
  return d;
}

class HidCheckDecision : public testing::TestWithParam<CheckCase> {};

TEST_P(HidCheckDecision, GrantsOnlyTheMouseVendorCollection) {
  const CheckCase& c = GetParam();
  FakeSysfs fake;
  fake.Add(c.node);
  std::ostringstream out, err;
  const std::string node = "hidraw" + std::to_string(c.node.number);
  const int rc = hid::RunHidCheck({"--sysfs", fake.sysfs(), node}, out, err);
  EXPECT_EQ(rc, c.exitCode) << err.str();
  EXPECT_EQ(out.str(), c.output);
}

INSTANTIATE_TEST_SUITE_P(
    Table, HidCheckDecision,
    testing::Values(
        CheckCase{"VendorCollection", {.number = 4, .descriptor = testdesc::kVendorMouse}, 0,
                  "KDZ_MOUSE=1\n"},
        CheckCase{"VendorCollectionAmongOthers", {.number = 5, .descriptor = testdesc::kComposite},
                  0, "KDZ_MOUSE=1\n"},
        CheckCase{"OtherVersion",
                  {.number = 6, .bcdDevice = 0x0100, .descriptor = testdesc::kVendorMouse}, 0,
                  "KDZ_MOUSE=0\n"},
        CheckCase{"NoVersion",
                  {.number = 7, .bcdDevice = std::nullopt, .descriptor = testdesc::kVendorMouse},
                  0, "KDZ_MOUSE=0\n"},
        CheckCase{"OrdinaryMouse", {.number = 8, .descriptor = testdesc::kBootMouse}, 0,
                  "KDZ_MOUSE=0\n"},
        CheckCase{"LongerOutputReport", {.number = 9, .descriptor = LongOutputVendor()}, 0,
                  "KDZ_MOUSE=0\n"}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(HidCheckCommandLine, BadArgumentsAndUnknownNodes) {
  FakeSysfs fake;
  fake.Add({.number = 3, .descriptor = testdesc::kVendorMouse});
  struct Case {
    std::vector<std::string> args;
    int exitCode;
    const char* output;
  };
  const Case cases[] = {
      {{}, 2, ""},
      {{"--sysfs"}, 2, ""},
      {{"--sysfs", fake.sysfs()}, 2, ""},
      {{"--sysfs", fake.sysfs(), "hidraw3", "hidraw4"}, 2, ""},
      {{"--sysfs", fake.sysfs(), "hidraw4"}, 1, ""},
      {{"--sysfs", fake.sysfs(), "../hidraw3x"}, 1, ""},
      // A sysfs path is taken by its last component, the kernel name.
      {{"--sysfs", fake.sysfs(), "/devices/x/hidraw/hidraw3"}, 0, "KDZ_MOUSE=1\n"},
  };
  for (const Case& c : cases) {
    std::ostringstream out, err;
    EXPECT_EQ(hid::RunHidCheck(c.args, out, err), c.exitCode) << testing::PrintToString(c.args);
    EXPECT_EQ(out.str(), c.output);
    EXPECT_EQ(err.str().empty(), c.exitCode == 0);
  }
}

}  // namespace
