#include <fcntl.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <future>
#include <memory>
#include <thread>

#include "platform/hid/HidBackend.h"
#include "platform/hid/HidrawBackend.h"
#include "platform/sys/WinError.h"
#include "tests/platform/hid/Descriptors.h"
#include "tests/platform/hid/FakeSysfs.h"

namespace {

using hid::HidAccess;
using hid::HidDevice;
using testdesc::Bytes;

// The device nodes are FIFOs. The test's end writes in packet mode, so that each write arrives
// as one read, as a report does on hidraw.
class HidrawIo : public testing::Test {
 protected:
  void AddNode(unsigned number, const Bytes& descriptor) {
    fake_.Add({.number = number, .descriptor = descriptor});
    fake_.MakeFifo(number);
  }

  // The test's side of the FIFO, opened before the backend's end. A writing peer opens it for
  // reading and writing, which never fails for want of a reader, and never reads.
  int OpenPeer(unsigned number, int access) {
    const bool writer = access == O_WRONLY;
    const int fd = ::open(fake_.NodePath(number).c_str(),
                          (writer ? O_RDWR : access) | O_NONBLOCK | O_CLOEXEC);
    EXPECT_GE(fd, 0);
    if (writer) ::fcntl(fd, F_SETFL, ::fcntl(fd, F_GETFL) | O_DIRECT);
    peers_.push_back(fd);
    return fd;
  }

  std::unique_ptr<HidDevice> Open(const std::string& path, HidAccess access) {
    std::unique_ptr<HidDevice> dev;
    EXPECT_EQ(backend_.Open(path, access, dev), 0) << path;
    return dev;
  }

  static void Inject(int fd, const Bytes& report) {
    ASSERT_EQ(::write(fd, report.data(), report.size()), static_cast<ssize_t>(report.size()));
  }

  void TearDown() override {
    for (int fd : peers_) ::close(fd);
  }

  FakeSysfs fake_;
  hid::HidrawBackend backend_{fake_.sysfs(), fake_.dev()};
  std::vector<int> peers_;
};

struct ReadCase {
  const char* name;
  const Bytes* descriptor;
  const char* suffix;  // of the interface path
  std::vector<Bytes> injected;
  size_t bufferLength;
  Bytes expected;
};

void PrintTo(const ReadCase& c, std::ostream* os) { *os << c.name; }

class HidrawRead : public HidrawIo, public testing::WithParamInterface<ReadCase> {};

TEST_P(HidrawRead, DeliversTheCollectionsReportsWholeAndPadded) {
  const ReadCase& c = GetParam();
  AddNode(0, *c.descriptor);
  const int peer = OpenPeer(0, O_WRONLY);
  auto dev = Open(fake_.NodePath(0) + c.suffix, HidAccess::Read);
  ASSERT_TRUE(dev);
  for (const Bytes& r : c.injected) Inject(peer, r);
  Bytes buffer(c.bufferLength, 0xEE);
  size_t n = 99;
  ASSERT_EQ(dev->Read(buffer.data(), buffer.size(), &n, 1000), 0);
  EXPECT_EQ(Bytes(buffer.begin(), buffer.begin() + n), c.expected);
}

const Bytes kB3Report = {0xB3, 0x20, 1, 2, 3, 4, 5, 6};

INSTANTIATE_TEST_SUITE_P(
    Table, HidrawRead,
    testing::Values(
        // Reports of the node's other collections are passed over.
        ReadCase{"OtherCollectionsSkipped", &testdesc::kComposite, "#3",
                 {{0x01, 1, 2, 3, 4, 5, 6}, {0x02, 0xE9, 0x00}, kB3Report}, 8, kB3Report},
        ReadCase{"MouseCollectionOfComposite", &testdesc::kComposite, "#0",
                 {kB3Report, {0x01, 1, 2, 3, 4, 5, 6}}, 7, {0x01, 1, 2, 3, 4, 5, 6}},
        // Without report ids the id 0 is put in front.
        ReadCase{"NoReportIdsPrependsZero", &testdesc::kBootMouse, "", {{0x01, 0xFE, 0x02}}, 8,
                 {0x00, 0x01, 0xFE, 0x02}},
        ReadCase{"ShortReportPadded", &testdesc::kVendorMouse, "", {{0xB3, 0x24, 0x01}}, 8,
                 {0xB3, 0x24, 0x01, 0, 0, 0, 0, 0}},
        ReadCase{"LongReportCutToLength", &testdesc::kVendorMouse, "",
                 {{0xB3, 1, 2, 3, 4, 5, 6, 7, 8, 9}}, 16, {0xB3, 1, 2, 3, 4, 5, 6, 7}},
        ReadCase{"SmallBuffer", &testdesc::kVendorMouse, "", {kB3Report}, 3, {0xB3, 0x20, 1}}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(HidrawIo, ReadTimesOutWhenNoReportOfTheCollectionCame) {
  AddNode(0, testdesc::kComposite);
  const int peer = OpenPeer(0, O_WRONLY);
  auto dev = Open(fake_.NodePath(0) + "#3", HidAccess::Read);
  ASSERT_TRUE(dev);
  uint8_t buffer[8];
  size_t n = 99;
  EXPECT_EQ(dev->Read(buffer, sizeof(buffer), &n, 0), winerr::ERROR_TIMEOUT);
  EXPECT_EQ(n, 0u);
  Inject(peer, {0x01, 1, 2, 3, 4, 5, 6});  // another collection's report does not count
  const auto start = std::chrono::steady_clock::now();
  EXPECT_EQ(dev->Read(buffer, sizeof(buffer), &n, 30), winerr::ERROR_TIMEOUT);
  EXPECT_GE(std::chrono::steady_clock::now() - start, std::chrono::milliseconds(30));
  // A report that is already there is delivered even with no time to wait.
  Inject(peer, kB3Report);
  EXPECT_EQ(dev->Read(buffer, sizeof(buffer), &n, 0), 0);
  EXPECT_EQ(n, 8u);
}

TEST_F(HidrawIo, CancelWakesABlockedReadAndRefusesLaterCalls) {
  AddNode(0, testdesc::kVendorMouse);
  OpenPeer(0, O_WRONLY);
  auto dev = Open(fake_.NodePath(0), HidAccess::Read);
  ASSERT_TRUE(dev);
  const auto start = std::chrono::steady_clock::now();
  auto reader = std::async(std::launch::async, [&] {
    uint8_t buffer[8];
    size_t n = 0;
    return dev->Read(buffer, sizeof(buffer), &n, 60000);
  });
  // Give the reader time to block; Cancel must wake it whether or not it got there.
  EXPECT_EQ(reader.wait_for(std::chrono::milliseconds(20)), std::future_status::timeout);
  dev->Cancel();
  EXPECT_EQ(reader.get(), winerr::ERROR_OPERATION_ABORTED);
  EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(10));
  uint8_t buffer[8] = {};
  size_t n = 0;
  EXPECT_EQ(dev->Read(buffer, sizeof(buffer), &n, 60000), winerr::ERROR_OPERATION_ABORTED);
  dev->Cancel();  // a second Cancel is harmless
}

TEST_F(HidrawIo, ReadReportsTheDeviceGone) {
  AddNode(0, testdesc::kVendorMouse);
  const int peer = OpenPeer(0, O_WRONLY);
  auto dev = Open(fake_.NodePath(0), HidAccess::Read);
  ASSERT_TRUE(dev);
  ::close(peer);
  peers_.clear();
  uint8_t buffer[8];
  size_t n = 0;
  EXPECT_EQ(dev->Read(buffer, sizeof(buffer), &n, 1000), winerr::ERROR_DEVICE_NOT_CONNECTED);
}

TEST_F(HidrawIo, WriteSendsTheReportAsGiven) {
  AddNode(0, testdesc::kVendorMouse);
  AddNode(1, testdesc::kKeyboard);
  struct Case {
    unsigned node;
    Bytes report;
  };
  // With report ids the id goes first; without, the 0 in byte 0 goes to hidraw as well, which
  // takes the first byte as the report number and drops it for a device without ids.
  const Case cases[] = {{0, {0xB3, 0x21, 0x0F, 0x21, 0x43, 0, 0, 0}}, {1, {0x00, 0x05}}};
  for (const Case& c : cases) {
    const int peer = OpenPeer(c.node, O_RDONLY);
    auto dev = Open(fake_.NodePath(c.node), HidAccess::Write);
    ASSERT_TRUE(dev);
    size_t n = 0;
    ASSERT_EQ(dev->Write(c.report.data(), c.report.size(), &n, 1000), 0);
    EXPECT_EQ(n, c.report.size());
    Bytes got(64);
    const ssize_t r = ::read(peer, got.data(), got.size());
    ASSERT_GE(r, 0);
    got.resize(static_cast<size_t>(r));
    EXPECT_EQ(got, c.report);
  }
}

TEST_F(HidrawIo, RefusedWrites) {
  AddNode(0, testdesc::kVendorMouse);
  AddNode(1, testdesc::kKeyboard);
  OpenPeer(0, O_RDONLY);
  OpenPeer(1, O_RDONLY);
  auto withIds = Open(fake_.NodePath(0), HidAccess::Write);
  auto withoutIds = Open(fake_.NodePath(1), HidAccess::Write);
  auto readOnly = Open(fake_.NodePath(0), HidAccess::Read);
  ASSERT_TRUE(withIds && withoutIds && readOnly);
  struct Case {
    HidDevice* dev;
    Bytes report;
    int result;
  };
  const Case cases[] = {
      {withIds.get(), {0x00, 0x21}, winerr::ERROR_INVALID_PARAMETER},     // id 0, node has ids
      {withoutIds.get(), {0x05, 0x01}, winerr::ERROR_INVALID_PARAMETER},  // id, node has none
      {withIds.get(), {}, winerr::ERROR_INVALID_PARAMETER},
      {readOnly.get(), kB3Report, winerr::ERROR_INVALID_HANDLE},
  };
  for (const Case& c : cases) {
    size_t n = 99;
    EXPECT_EQ(c.dev->Write(c.report.data(), c.report.size(), &n, 100), c.result);
    EXPECT_EQ(n, 0u);
  }
  uint8_t buffer[8];
  size_t n = 99;
  EXPECT_EQ(withIds->Read(buffer, sizeof(buffer), &n, 0), winerr::ERROR_INVALID_HANDLE);
}

TEST_F(HidrawIo, WriteTimesOutWhenTheDeviceTakesNothing) {
  AddNode(0, testdesc::kVendorMouse);
  OpenPeer(0, O_RDONLY);
  // Fill the FIFO through a second writer so that the next write would block.
  const int filler = OpenPeer(0, O_WRONLY);
  const Bytes chunk(4096, 0);
  while (::write(filler, chunk.data(), chunk.size()) > 0) {
  }
  auto dev = Open(fake_.NodePath(0), HidAccess::Write);
  ASSERT_TRUE(dev);
  size_t n = 99;
  EXPECT_EQ(dev->Write(kB3Report.data(), kB3Report.size(), &n, 20), winerr::ERROR_TIMEOUT);
  EXPECT_EQ(n, 0u);
  dev->Cancel();
  EXPECT_EQ(dev->Write(kB3Report.data(), kB3Report.size(), &n, 1000),
            winerr::ERROR_OPERATION_ABORTED);
}

TEST_F(HidrawIo, OpenMapsPermissionFailures) {
  AddNode(0, testdesc::kVendorMouse);
  ::chmod(fake_.NodePath(0).c_str(), 0600);
  namespace fs = std::filesystem;
  fs::permissions(fs::path(fake_.sysfs()).parent_path(),
                  fs::perms::owner_all | fs::perms::others_read | fs::perms::others_exec);
  // The node belongs to its creator; another user may read sysfs but not open the node. Under
  // root the open runs in a child that has given up root.
  auto openAsOtherUser = [&](HidAccess access) {
    if (::geteuid() != 0) {
      std::unique_ptr<HidDevice> dev;
      ::chmod(fake_.NodePath(0).c_str(), 0);
      return backend_.Open(fake_.NodePath(0), access, dev);
    }
    const pid_t child = ::fork();
    if (child == 0) {
      std::unique_ptr<HidDevice> dev;
      if (::setgid(65534) != 0 || ::setuid(65534) != 0) ::_exit(255);
      ::_exit(backend_.Open(fake_.NodePath(0), access, dev));
    }
    int status = 0;
    ::waitpid(child, &status, 0);
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
  };
  EXPECT_EQ(openAsOtherUser(HidAccess::ReadWrite), winerr::ERROR_ACCESS_DENIED);
  // A handle without access needs no permission on the node; it can neither read nor write.
  EXPECT_EQ(openAsOtherUser(HidAccess::None), 0);
  auto bare = Open(fake_.NodePath(0), HidAccess::None);
  ASSERT_TRUE(bare);
  uint8_t buffer[8] = {0xB3};
  size_t n = 0;
  EXPECT_EQ(bare->Read(buffer, sizeof(buffer), &n, 0), winerr::ERROR_INVALID_HANDLE);
  EXPECT_EQ(bare->Write(buffer, sizeof(buffer), &n, 0), winerr::ERROR_INVALID_HANDLE);
}

TEST(HidrawWatch, StopsPromptlyWhenDestroyed) {
  hid::HidrawBackend backend;
  auto watcher = backend.Watch([](hid::HidChange, const std::string&) {});
  if (!watcher) GTEST_SKIP() << "no udev monitor in this environment";
  // The destructor wakes the monitor thread (asleep in poll() with no time-out) and joins it.
  // It runs on a thread of its own, so that one that never returns fails the test instead of
  // hanging it; that thread is then left behind, since joining it would hang as well.
  auto stopped = std::make_shared<std::promise<void>>();
  std::future<void> done = stopped->get_future();
  std::thread destroyer([stopped, w = std::move(watcher)]() mutable {
    w.reset();
    stopped->set_value();
  });
  const bool prompt = done.wait_for(std::chrono::seconds(2)) == std::future_status::ready;
  if (prompt) {
    destroyer.join();
  } else {
    destroyer.detach();
  }
  EXPECT_TRUE(prompt) << "the watcher did not stop within 2 s";
}

TEST(DefaultBackend, IsHidrawUnlessAnotherIsInstalled) {
  EXPECT_NE(dynamic_cast<hid::HidrawBackend*>(&hid::DefaultBackend()), nullptr);
  hid::HidrawBackend other("/other-sysfs");
  hid::SetDefaultBackend(&other);
  EXPECT_EQ(&hid::DefaultBackend(), &other);
  hid::SetDefaultBackend(nullptr);
  EXPECT_NE(&hid::DefaultBackend(), &other);
  EXPECT_NE(dynamic_cast<hid::HidrawBackend*>(&hid::DefaultBackend()), nullptr);
}

}  // namespace
