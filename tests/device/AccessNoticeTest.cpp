#include <gtest/gtest.h>

#include <string>

#include "device/KavrinUSBComm.h"
#include "platform/hid/UdevRule.h"
#include "platform/sys/WinError.h"
#include "tests/device/FakeHidBackend.h"

namespace {

// The notice is printed once per process, so this file holds the only test that provokes it.
TEST(AccessNotice, PermissionProblemOnTheMouseIsReportedOnce) {
  FakeHidBackend backend;
  FakeHidBackend::Interface other{
      .description = FakeHidBackend::Description("/dev/hidraw0", 1, 2, 8, 8),
      .openResult = winerr::ERROR_ACCESS_DENIED};
  backend.Add(other);
  backend.Add({.description = FakeHidBackend::MouseDescription("/dev/hidraw7#1"),
               .openResult = winerr::ERROR_ACCESS_DENIED});
  device::CKavrinUSBComm comm(&backend);

  testing::internal::CaptureStderr();
  EXPECT_EQ(comm.Open("/dev/hidraw0", nullptr), winerr::ERROR_ACCESS_DENIED);
  const std::string otherDevice = testing::internal::GetCapturedStderr();
  EXPECT_EQ(otherDevice, "") << "only the mouse is worth a notice";

  std::string path;
  ASSERT_TRUE(comm.FindMouseDevice(path));
  testing::internal::CaptureStderr();
  EXPECT_EQ(comm.Open(path, nullptr), winerr::ERROR_ACCESS_DENIED);
  EXPECT_EQ(comm.Open(path, nullptr), winerr::ERROR_ACCESS_DENIED);
  const std::string notice = testing::internal::GetCapturedStderr();
  EXPECT_NE(notice.find("/dev/hidraw7 "), std::string::npos) << notice;
  EXPECT_EQ(notice.find("#1"), std::string::npos) << "names the node, not the collection";
  EXPECT_NE(notice.find(hid::kUdevRuleName), std::string::npos) << notice;
  EXPECT_EQ(notice.find('\n'), notice.size() - 1) << "one line, once: " << notice;
}

}  // namespace
