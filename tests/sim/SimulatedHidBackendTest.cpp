#include <gtest/gtest.h>

#include <chrono>
#include <condition_variable>
#include <mutex>
#include <thread>
#include <vector>

#include "device/MouseCapabilities.h"
#include "platform/sys/WinError.h"
#include "sim/SimulatedHidBackend.h"

namespace sim {
namespace {

using Bytes = std::vector<uint8_t>;

const Bytes kVersionCommand = {0xB3, 0x23, 0, 0, 0, 0, 0, 0};

struct Backend : ::testing::Test {
  std::unique_ptr<hid::HidDevice> OpenOk(const char* path, hid::HidAccess access) {
    std::unique_ptr<hid::HidDevice> device;
    EXPECT_EQ(backend.Open(path, access, device), winerr::ERROR_SUCCESS) << path;
    return device;
  }
  SimulatedHidBackend backend;
};

// Reads one report; the result code, and the bytes on success.
std::pair<int, Bytes> ReadOne(hid::HidDevice& device, uint32_t timeoutMs = 2000,
                              size_t length = 8) {
  Bytes buffer(length, 0xEE);
  size_t n = 99;
  const int rc = device.Read(buffer.data(), buffer.size(), &n, timeoutMs);
  buffer.resize(rc == 0 ? n : 0);
  return {rc, buffer};
}

int WriteOne(hid::HidDevice& device, const Bytes& report, size_t* transferred = nullptr) {
  return device.Write(report.data(), report.size(), transferred, 1000);
}

// Collects watcher callbacks with the thread they ran on.
struct ChangeLog {
  void Add(hid::HidChange change, const std::string& path) {
    std::lock_guard<std::mutex> lock(mutex);
    changes.emplace_back(change, path);
    threads.push_back(std::this_thread::get_id());
    cv.notify_all();
  }
  bool WaitFor(size_t n) {
    std::unique_lock<std::mutex> lock(mutex);
    return cv.wait_for(lock, std::chrono::seconds(2), [&] { return changes.size() >= n; });
  }
  std::mutex mutex;
  std::condition_variable cv;
  std::vector<std::pair<hid::HidChange, std::string>> changes;
  std::vector<std::thread::id> threads;
};

TEST_F(Backend, EnumeratesDecoysBeforeTheMouseAndOnlyTheMousePassesTheCapabilityTest) {
  std::vector<std::string> paths;
  ASSERT_EQ(backend.Enumerate(paths), winerr::ERROR_SUCCESS);
  ASSERT_EQ(paths, (std::vector<std::string>{kDecoyMousePath, kDecoyVendorPath, kMousePath}));
  struct Expect {
    uint16_t productId, version, usagePage, usage;
    bool isMouse;
  };
  const Expect expected[] = {{kProductId, kMouseVersionNumber, 0x0001, 0x0002, false},
                             {kDecoyProductId, kDecoyVersionNumber, 0xFFB3, 0x0001, false},
                             {kProductId, kMouseVersionNumber, 0xFFB3, 0x0001, true}};
  for (size_t i = 0; i < paths.size(); ++i) {
    SCOPED_TRACE(paths[i]);
    hid::HidInterfaceDescription d;
    ASSERT_EQ(backend.Describe(paths[i], d), winerr::ERROR_SUCCESS);
    EXPECT_EQ(d.path, paths[i]);
    EXPECT_EQ(d.attributes.VendorID, kVendorId);
    EXPECT_EQ(d.attributes.ProductID, expected[i].productId);
    EXPECT_EQ(d.attributes.VersionNumber, expected[i].version);
    EXPECT_EQ(d.caps.UsagePage, expected[i].usagePage);
    EXPECT_EQ(d.caps.Usage, expected[i].usage);
    EXPECT_EQ(device::IsMouseVendorCollection(d), expected[i].isMouse);
    // The counts agree with the lists.
    EXPECT_EQ(d.caps.NumberInputButtonCaps, d.inputButtonCaps.size());
    EXPECT_EQ(d.caps.NumberInputValueCaps, d.inputValueCaps.size());
    EXPECT_EQ(d.caps.NumberOutputButtonCaps, d.outputButtonCaps.size());
    EXPECT_EQ(d.caps.NumberOutputValueCaps, d.outputValueCaps.size());
    EXPECT_EQ(d.caps.NumberFeatureValueCaps, d.featureValueCaps.size());
  }
  hid::HidInterfaceDescription d;
  EXPECT_EQ(backend.Describe("sim:/hidraw9", d), winerr::ERROR_FILE_NOT_FOUND);
  std::unique_ptr<hid::HidDevice> device;
  EXPECT_EQ(backend.Open("sim:/hidraw9", hid::HidAccess::ReadWrite, device),
            winerr::ERROR_FILE_NOT_FOUND);
  EXPECT_EQ(device, nullptr);
}

TEST_F(Backend, EveryReadHandleOnTheMouseGetsEachInputReport) {
  auto writer = OpenOk(kMousePath, hid::HidAccess::ReadWrite);
  auto reader = OpenOk(kMousePath, hid::HidAccess::ReadWrite);
  auto writeOnly = OpenOk(kMousePath, hid::HidAccess::Write);
  auto decoy = OpenOk(kDecoyVendorPath, hid::HidAccess::ReadWrite);
  size_t n = 0;
  ASSERT_EQ(WriteOne(*writeOnly, kVersionCommand, &n), winerr::ERROR_SUCCESS);
  EXPECT_EQ(n, 8u);
  const Bytes reply = {0xB3, 0x23, 0x01, 0xA0, 0x17, 0x44, 0, 0};
  EXPECT_EQ(ReadOne(*reader), std::pair(winerr::ERROR_SUCCESS, reply));
  EXPECT_EQ(ReadOne(*writer), std::pair(winerr::ERROR_SUCCESS, reply));
  EXPECT_EQ(ReadOne(*writeOnly).first, winerr::ERROR_INVALID_HANDLE);
  // The decoy takes the command and never answers.
  ASSERT_EQ(WriteOne(*decoy, kVersionCommand, &n), winerr::ERROR_SUCCESS);
  EXPECT_EQ(n, 8u);
  EXPECT_EQ(ReadOne(*decoy, 10).first, winerr::ERROR_TIMEOUT);
  EXPECT_EQ(backend.Mouse().CommandLog().size(), 1u);
}

TEST_F(Backend, WriteChecksAccessAndLength) {
  auto readOnly = OpenOk(kMousePath, hid::HidAccess::Read);
  auto device = OpenOk(kMousePath, hid::HidAccess::ReadWrite);
  auto pointer = OpenOk(kDecoyMousePath, hid::HidAccess::ReadWrite);
  EXPECT_EQ(WriteOne(*readOnly, kVersionCommand), winerr::ERROR_INVALID_HANDLE);
  EXPECT_EQ(WriteOne(*device, Bytes(7, 0xB3)), winerr::ERROR_INVALID_PARAMETER);
  EXPECT_EQ(WriteOne(*device, Bytes(9, 0xB3)), winerr::ERROR_INVALID_PARAMETER);
  EXPECT_EQ(WriteOne(*pointer, kVersionCommand), winerr::ERROR_INVALID_PARAMETER);  // no output
  EXPECT_TRUE(backend.Mouse().CommandLog().empty());
}

TEST_F(Backend, ReadTimesOutCutsLongReportsAndKeepsTheNewestWhenFull) {
  auto device = OpenOk(kMousePath, hid::HidAccess::ReadWrite);
  EXPECT_EQ(ReadOne(*device, 5).first, winerr::ERROR_TIMEOUT);

  const Bytes shortReport = {0xB3, 0x24, 0x05};
  backend.Mouse().InjectReport(shortReport);
  backend.Mouse().InjectKeyStatus(0x0102);
  EXPECT_EQ(ReadOne(*device), std::pair(winerr::ERROR_SUCCESS, shortReport));  // as it came
  EXPECT_EQ(ReadOne(*device, 1000, 3), std::pair(winerr::ERROR_SUCCESS, Bytes{0xB3, 0x24, 0x02}));

  for (unsigned i = 0; i < kInputQueueCapacity + 6; ++i)
    backend.Mouse().InjectKeyStatus(static_cast<uint16_t>(i));
  for (unsigned i = 6; i < kInputQueueCapacity + 6; ++i) {
    const auto [rc, report] = ReadOne(*device);
    ASSERT_EQ(rc, winerr::ERROR_SUCCESS);
    EXPECT_EQ(report[2], i);
  }
  EXPECT_EQ(ReadOne(*device, 5).first, winerr::ERROR_TIMEOUT);
}

TEST_F(Backend, CancelWakesABlockedReadAndEveryLaterCall) {
  auto device = OpenOk(kMousePath, hid::HidAccess::ReadWrite);
  int result = -1;
  std::thread reader([&] { result = ReadOne(*device, 60000).first; });
  std::this_thread::sleep_for(std::chrono::milliseconds(5));
  device->Cancel();
  reader.join();  // hangs for a minute if Cancel did not wake it
  EXPECT_EQ(result, winerr::ERROR_OPERATION_ABORTED);
  backend.Mouse().InjectKeyStatus(1);
  EXPECT_EQ(ReadOne(*device).first, winerr::ERROR_OPERATION_ABORTED);
  EXPECT_EQ(WriteOne(*device, kVersionCommand), winerr::ERROR_OPERATION_ABORTED);
  device->Cancel();  // again: harmless
}

TEST_F(Backend, UnpluggingRemovesTheMouseInterfacesAndFailsItsHandles) {
  ChangeLog log;
  auto watcher = backend.Watch([&](hid::HidChange c, const std::string& p) { log.Add(c, p); });
  ASSERT_NE(watcher, nullptr);
  auto device = OpenOk(kMousePath, hid::HidAccess::ReadWrite);
  auto decoy = OpenOk(kDecoyVendorPath, hid::HidAccess::ReadWrite);
  int blockedRead = -1;
  std::thread reader([&] { blockedRead = ReadOne(*device, 60000).first; });
  std::this_thread::sleep_for(std::chrono::milliseconds(5));

  backend.Mouse().Disconnect();
  reader.join();
  EXPECT_EQ(blockedRead, winerr::ERROR_DEVICE_NOT_CONNECTED);
  EXPECT_EQ(WriteOne(*device, kVersionCommand), winerr::ERROR_DEVICE_NOT_CONNECTED);
  EXPECT_EQ(WriteOne(*decoy, kVersionCommand), winerr::ERROR_SUCCESS);  // another device
  std::vector<std::string> paths;
  backend.Enumerate(paths);
  EXPECT_EQ(paths, std::vector<std::string>{kDecoyVendorPath});
  hid::HidInterfaceDescription d;
  EXPECT_EQ(backend.Describe(kMousePath, d), winerr::ERROR_FILE_NOT_FOUND);
  std::unique_ptr<hid::HidDevice> absent;
  EXPECT_EQ(backend.Open(kMousePath, hid::HidAccess::ReadWrite, absent),
            winerr::ERROR_FILE_NOT_FOUND);

  backend.Mouse().Reconnect();
  ASSERT_TRUE(log.WaitFor(4));
  using C = hid::HidChange;
  EXPECT_EQ(log.changes, (std::vector<std::pair<C, std::string>>{{C::Removal, kDecoyMousePath},
                                                                 {C::Removal, kMousePath},
                                                                 {C::Arrival, kDecoyMousePath},
                                                                 {C::Arrival, kMousePath}}));
  // The old handle stays dead; a new one works.
  EXPECT_EQ(ReadOne(*device, 5).first, winerr::ERROR_DEVICE_NOT_CONNECTED);
  auto reopened = OpenOk(kMousePath, hid::HidAccess::ReadWrite);
  ASSERT_EQ(WriteOne(*reopened, kVersionCommand), winerr::ERROR_SUCCESS);
  EXPECT_EQ(ReadOne(*reopened).first, winerr::ERROR_SUCCESS);
}

TEST_F(Backend, DisconnectAtACommandFailsThatWriteAndNotifiesFromAnotherThread) {
  auto device = OpenOk(kMousePath, hid::HidAccess::ReadWrite);
  ChangeLog log;
  // The handler closes the device, as the device layer does on removal.
  auto watcher = backend.Watch([&](hid::HidChange c, const std::string& p) {
    if (c == hid::HidChange::Removal) device.reset();
    log.Add(c, p);
  });
  backend.Mouse().DisconnectAtCommand(2);
  ASSERT_EQ(WriteOne(*device, kVersionCommand), winerr::ERROR_SUCCESS);
  EXPECT_EQ(WriteOne(*device, kVersionCommand), winerr::ERROR_DEVICE_NOT_CONNECTED);
  ASSERT_TRUE(log.WaitFor(2));
  EXPECT_NE(log.threads[0], std::this_thread::get_id());
  EXPECT_EQ(backend.OpenHandleCount(kMousePath), 0);
}

TEST_F(Backend, WatcherMayDropItselfFromItsCallbackAndStopsHearingWhenGone) {
  ChangeLog kept;
  std::unique_ptr<hid::HidWatcher> selfDropping;
  int selfDroppingCalls = 0;
  selfDropping = backend.Watch([&](hid::HidChange, const std::string&) {
    ++selfDroppingCalls;
    selfDropping.reset();
  });
  auto dropped = backend.Watch([&](hid::HidChange c, const std::string& p) { kept.Add(c, p); });
  dropped.reset();
  auto watcher = backend.Watch([&](hid::HidChange c, const std::string& p) { kept.Add(c, p); });
  backend.Mouse().Disconnect();
  ASSERT_TRUE(kept.WaitFor(2));
  EXPECT_EQ(kept.changes.size(), 2u);  // only the live watcher, once per interface
  EXPECT_EQ(selfDroppingCalls, 1);
}

TEST_F(Backend, CountsOpenHandlesAndHandlesMayOutliveTheBackend) {
  std::unique_ptr<hid::HidDevice> survivor;
  {
    SimulatedHidBackend local;
    ASSERT_EQ(local.Open(kMousePath, hid::HidAccess::ReadWrite, survivor), winerr::ERROR_SUCCESS);
    std::unique_ptr<hid::HidDevice> second;
    local.Open(kMousePath, hid::HidAccess::Read, second);
    EXPECT_EQ(local.OpenHandleCount(kMousePath), 2);
    second.reset();
    EXPECT_EQ(local.OpenHandleCount(kMousePath), 1);
    EXPECT_EQ(local.OpenHandleCount(kDecoyMousePath), 0);
  }
  ASSERT_EQ(WriteOne(*survivor, kVersionCommand), winerr::ERROR_SUCCESS);
  EXPECT_EQ(ReadOne(*survivor).first, winerr::ERROR_SUCCESS);
}

}  // namespace
}  // namespace sim
