#include <gtest/gtest.h>

#include <chrono>
#include <condition_variable>
#include <functional>
#include <mutex>
#include <string>
#include <vector>

#include "device/HIDCommMFC.h"
#include "platform/sys/WinError.h"
#include "sim/SimulatedHidBackend.h"
#include "tests/device/FakeHidBackend.h"
#include "tests/device/RecordingWindow.h"

namespace {

using namespace std::chrono_literals;
using device::CHIDComm;
using device::CHIDCommMFC;
using device::HidDeviceInfo;
using device::HidReport;

constexpr uint16_t kVendorUsagePage = 0xFFB3;
constexpr uint16_t kPointerUsagePage = 0x01;

// The transport with a reader thread that keeps every report it was handed.
class ReportRecorder : public CHIDCommMFC {
 public:
  using CHIDCommMFC::CHIDCommMFC;
  ~ReportRecorder() override { Close(); }

  bool OnReport(const uint8_t* buffer, size_t length) override {
    {
      std::lock_guard<std::mutex> guard(mutex_);
      reports_.emplace_back(buffer, buffer + length);
    }
    changed_.notify_all();
    return true;
  }

  bool WaitForReports(size_t count, std::chrono::milliseconds timeout = 5s) {
    std::unique_lock<std::mutex> guard(mutex_);
    return changed_.wait_for(guard, timeout, [&] { return reports_.size() >= count; });
  }

  std::vector<std::vector<uint8_t>> Reports() {
    std::lock_guard<std::mutex> guard(mutex_);
    return reports_;
  }

  uint16_t OpenUsagePage() {
    HidDeviceInfo d;
    return GetDeviceInfo(d) ? d.caps.UsagePage : 0;
  }

 private:
  std::mutex mutex_;
  std::condition_variable changed_;
  std::vector<std::vector<uint8_t>> reports_;
};

TEST(FindDevicePath, CountsMatchesOfTheIdsInEnumerationOrder) {
  sim::SimulatedHidBackend backend;
  struct Case {
    const char* name;
    uint16_t vendor, product, index;
    int result;
    std::string path;
  };
  const Case cases[] = {
      {"first with the ids", sim::kVendorId, sim::kProductId, 0, 0, sim::kDecoyMousePath},
      {"second with the ids", sim::kVendorId, sim::kProductId, 1, 0, sim::kMousePath},
      {"index past the matches", sim::kVendorId, sim::kProductId, 2, 2, ""},
      {"other product", sim::kVendorId, sim::kDecoyProductId, 0, 0, sim::kDecoyVendorPath},
      {"unknown vendor", 0x1234, sim::kProductId, 0, 2, ""},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    device::CStdHIDComm comm(&backend);
    std::string path;
    EXPECT_EQ(comm.FindDevicePath(c.vendor, c.product, c.index, path), c.result);
    EXPECT_EQ(comm.GetLastResult(), c.result);
    EXPECT_EQ(path, c.path);
  }

  device::CStdHIDComm stored(&backend);
  std::string path;
  EXPECT_EQ(stored.FindDevicePath(path), -1) << "no ids stored";
  stored.SetVendorId(sim::kVendorId);
  EXPECT_EQ(stored.FindDevicePath(path), -1) << "product id still 0";
  stored.SetProductId(sim::kProductId);
  stored.SetDeviceIndex(1);
  EXPECT_EQ(stored.FindDevicePath(path), 0);
  EXPECT_EQ(path, sim::kMousePath);

  FakeHidBackend failing;
  failing.SetEnumerateResult(winerr::ERROR_GEN_FAILURE);
  device::CStdHIDComm none(&failing);
  EXPECT_EQ(none.FindDevicePath(sim::kVendorId, sim::kProductId, 0, path), -1);
}

TEST(HidTransportOpen, ResultsOfOpeningAndClosing) {
  sim::SimulatedHidBackend backend;
  struct Case {
    const char* name;
    std::function<int(ReportRecorder&)> act;
    int result;
    bool open;
    uint16_t usagePage;  // of the open interface
  };
  const Case cases[] = {
      {"by path", [](ReportRecorder& c) { return c.Open(sim::kMousePath); }, 0, true,
       kVendorUsagePage},
      {"open while open keeps the first",
       [](ReportRecorder& c) {
         c.Open(sim::kMousePath);
         return c.Open(sim::kDecoyMousePath);
       },
       winerr::ERROR_ALREADY_INITIALIZED, true, kVendorUsagePage},
      {"close while closed", [](ReportRecorder& c) { return c.Close(); }, winerr::ERROR_NOT_OPEN,
       false, 0},
      {"close reader while closed", [](ReportRecorder& c) { return c.CloseReader(); },
       winerr::ERROR_NOT_OPEN, false, 0},
      {"absent path", [](ReportRecorder& c) { return c.Open("sim:/hidraw9"); },
       winerr::ERROR_NOT_ENOUGH_MEMORY, false, 0},
      {"absent ids", [](ReportRecorder& c) { return c.Open(0x1234, 0x5678, 0); },
       winerr::ERROR_FILE_NOT_FOUND, false, 0},
      {"a zero id", [](ReportRecorder& c) { return c.Open(0, sim::kProductId, 0); }, -1, false, 0},
      {"stored without ids", [](ReportRecorder& c) { return c.OpenStored(); }, -1, false, 0},
      {"ids at index 1",
       [](ReportRecorder& c) { return c.OpenWithReader(sim::kVendorId, sim::kProductId, 1); }, 0,
       true, kVendorUsagePage},
      // Opening by path keeps the ids, which the decoy shares: the stored device is the first
      // interface with them.
      {"stored after opening by path",
       [](ReportRecorder& c) {
         c.Open(sim::kMousePath);
         c.Close();
         return c.OpenWithReader();
       },
       0, true, kPointerUsagePage},
      {"window with an absent path",
       [](ReportRecorder& c) {
         return c.Open("sim:/hidraw9", static_cast<sys::MessageWindow*>(nullptr));
       },
       winerr::ERROR_NOT_ENOUGH_MEMORY, false, 0},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    ReportRecorder comm(&backend);
    EXPECT_EQ(c.act(comm), c.result);
    EXPECT_EQ(comm.GetLastResult(), c.result);
    EXPECT_EQ(comm.IsOpen(), c.open);
    EXPECT_EQ(comm.OpenUsagePage(), c.usagePage);
  }
}

TEST(HidTransportOpen, ClosedObjectRefusesTransfersWith6) {
  sim::SimulatedHidBackend backend;
  ReportRecorder comm(&backend);
  uint8_t buffer[8] = {};
  size_t n = 99;
  EXPECT_EQ(comm.Write(buffer, sizeof buffer, &n, 10), winerr::ERROR_INVALID_HANDLE);
  EXPECT_EQ(n, 0u);
  EXPECT_EQ(comm.Write("abc", nullptr, 10), winerr::ERROR_INVALID_HANDLE);
  n = 99;
  EXPECT_EQ(comm.Read(buffer, sizeof buffer, &n, 10), winerr::ERROR_INVALID_HANDLE);
  EXPECT_EQ(n, 0u);
  HidDeviceInfo d;
  EXPECT_FALSE(comm.GetDeviceInfo(d));
  EXPECT_EQ(comm.GetLastResult(), winerr::ERROR_INVALID_HANDLE);
  comm.Close();
  EXPECT_EQ(comm.GetInputReportLength(), 0u);
  EXPECT_EQ(comm.GetLastResult(), winerr::ERROR_INVALID_HANDLE);
}

TEST(HidTransportOpen, AccessFollowsTheReportLengths) {
  struct Case {
    const char* name;
    uint16_t input, output;
    std::vector<hid::HidAccess> opens;  // the device's handle, then the reader's
  };
  const Case cases[] = {
      {"both", 8, 8, {hid::HidAccess::ReadWrite, hid::HidAccess::ReadWrite}},
      {"input only: read-only", 8, 0, {hid::HidAccess::Read, hid::HidAccess::Read}},
      {"output only: write-only, no reader", 0, 8, {hid::HidAccess::Write}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    FakeHidBackend backend;
    backend.Add(
        {.description = FakeHidBackend::Description("/dev/hidraw0", 1, 2, c.input, c.output)});
    {
      ReportRecorder comm(&backend);
      EXPECT_EQ(comm.OpenWithReader("/dev/hidraw0"), 0);
      EXPECT_TRUE(comm.IsOpen());
      EXPECT_EQ(comm.GetInputReportLength(), c.input);
      EXPECT_EQ(backend.Opens("/dev/hidraw0"), c.opens);
    }
  }
}

TEST(HidTransportOpen, FailuresAroundTheHandle) {
  struct Case {
    const char* name;
    int describeLimit;
    int openResult;
    int result;
    size_t handlesMade;
  };
  const Case cases[] = {
      {"information unreadable before opening", 0, 0, winerr::ERROR_NOT_ENOUGH_MEMORY, 0},
      {"information unreadable after opening", 1, 0, winerr::ERROR_NOT_ENOUGH_MEMORY, 1},
      {"permission refused", -1, winerr::ERROR_ACCESS_DENIED, winerr::ERROR_ACCESS_DENIED, 0},
      {"node gone between describe and open", -1, winerr::ERROR_FILE_NOT_FOUND,
       winerr::ERROR_FILE_NOT_FOUND, 0},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    FakeHidBackend backend;
    backend.Add({.description = FakeHidBackend::Description("/dev/hidraw0", 1, 2, 8, 8),
                 .openResult = c.openResult,
                 .describeLimit = c.describeLimit});
    ReportRecorder comm(&backend);
    EXPECT_EQ(comm.OpenWithReader("/dev/hidraw0"), c.result);
    EXPECT_FALSE(comm.IsOpen());
    EXPECT_EQ(backend.Opens("/dev/hidraw0").size(), c.handlesMade);
  }
}

TEST(HidDeviceInfo, KeepsTheFirstFourEntriesOfEachKind) {
  struct Case {
    const char* name;
    uint16_t count;  // the caps' count of each kind
    size_t entries;  // entries the backend lists
    size_t kept;
  };
  const Case cases[] = {
      {"more than four", 6, 6, 4},
      {"fewer than four", 2, 2, 2},
      {"count above the entries listed", 3, 1, 1},
      {"count zero", 0, 2, 0},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    hid::HidInterfaceDescription d = FakeHidBackend::Description("/dev/hidraw0", 1, 2, 8, 8);
    d.caps.NumberInputButtonCaps = d.caps.NumberOutputButtonCaps = d.caps.NumberFeatureButtonCaps =
        d.caps.NumberInputValueCaps = d.caps.NumberOutputValueCaps = d.caps.NumberFeatureValueCaps =
            c.count;
    for (size_t i = 0; i < c.entries; ++i) {
      hid::HidButtonCaps button;
      button.UsageMin = static_cast<uint16_t>(i + 1);
      hid::HidValueCaps value;
      value.UsageMin = static_cast<uint16_t>(i + 1);
      d.inputButtonCaps.push_back(button);
      d.outputButtonCaps.push_back(button);
      d.featureButtonCaps.push_back(button);
      d.inputValueCaps.push_back(value);
      d.outputValueCaps.push_back(value);
      d.featureValueCaps.push_back(value);
    }
    FakeHidBackend backend;
    backend.Add({.description = d});
    CHIDComm comm(&backend);
    HidDeviceInfo info;
    info.inputButtonCaps[3].UsageMin = 77;  // a stale value the fill must clear
    ASSERT_TRUE(comm.GetDeviceInfo("/dev/hidraw0", info));
    const auto check = [&](const auto& kept) {
      for (size_t i = 0; i < kept.size(); ++i) {
        EXPECT_EQ(kept[i].UsageMin, i < c.kept ? i + 1 : 0u) << "entry " << i;
      }
    };
    check(info.inputButtonCaps);
    check(info.outputButtonCaps);
    check(info.featureButtonCaps);
    check(info.inputValueCaps);
    check(info.outputValueCaps);
    check(info.featureValueCaps);
  }
}

TEST(BuildReport, LengthLimitsAndLayout) {
  CHIDComm comm;  // needs no backend
  std::vector<uint8_t> bytes(300, 0x5A);
  struct Case {
    const char* name;
    bool build;  // BuildReport with an id, else CopyReport
    size_t length;
    int result;
    int32_t reportLength;  // -1: the report stays as it was
  };
  const Case cases[] = {
      {"build 254 bytes", true, 254, 0, 255},
      {"build 255 bytes", true, 255, winerr::ERROR_REPORT_TOO_LONG, -1},
      {"build nothing", true, 0, 0, 1},
      {"copy 255 bytes", false, 255, 0, 255},
      {"copy 256 bytes", false, 256, winerr::ERROR_REPORT_TOO_LONG, -1},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    HidReport report;
    report.length = -1;
    report.data[0] = 0xEE;
    const int result = c.build ? comm.BuildReport(bytes.data(), c.length, report, 0xB3)
                               : comm.CopyReport(bytes.data(), c.length, report);
    EXPECT_EQ(result, c.result);
    EXPECT_EQ(comm.GetLastResult(), c.result);
    EXPECT_EQ(report.length, c.reportLength);
    if (c.reportLength < 0) {
      EXPECT_EQ(report.data[0], 0xEE);
    } else if (c.build) {
      EXPECT_EQ(report.data[0], 0xB3);
      if (c.length != 0) {
        EXPECT_EQ(report.data[c.length], 0x5A);
      }
    }
  }

  HidReport text;
  EXPECT_EQ(comm.BuildReport("ab", text), 0);
  EXPECT_EQ(text.length, 3);
  EXPECT_EQ(text.data[0], 0);
  EXPECT_EQ(text.data[1], 'a');
  EXPECT_EQ(text.data[2], 'b');
  EXPECT_EQ(comm.CopyReport("ab", text), 0);
  EXPECT_EQ(text.length, 2);
  EXPECT_EQ(text.data[0], 'a');
}

TEST(ReaderThread, OnlyWholeReportsReachOnReport) {
  sim::SimulatedHidBackend backend;
  ReportRecorder comm(&backend);
  ASSERT_EQ(comm.OpenWithReader(sim::kMousePath), 0);
  const std::vector<uint8_t> whole = {0xB3, 0x24, 1, 2, 3, 4, 5, 6};
  const std::vector<uint8_t> last = {0xB3, 0x24, 9, 9, 9, 9, 9, 9};
  backend.Mouse().InjectReport(std::vector<uint8_t>(whole.begin(), whole.begin() + 5));
  backend.Mouse().InjectReport(std::vector<uint8_t>(whole.begin(), whole.begin() + 7));
  backend.Mouse().InjectReport(whole);
  backend.Mouse().InjectReport(std::vector<uint8_t>{0xB3});
  backend.Mouse().InjectReport(last);
  ASSERT_TRUE(comm.WaitForReports(2));
  EXPECT_EQ(comm.Reports(), (std::vector<std::vector<uint8_t>>{whole, last}));
}

TEST(ReaderThread, ReadTimesOutWith1460) {
  sim::SimulatedHidBackend backend;
  CHIDComm comm(&backend);
  ASSERT_EQ(comm.Open(sim::kMousePath), 0);
  uint8_t buffer[8];
  size_t n = 99;
  EXPECT_EQ(comm.Read(buffer, sizeof buffer, &n, 20), winerr::ERROR_TIMEOUT);
  EXPECT_EQ(n, 0u);
  EXPECT_EQ(comm.GetLastResult(), winerr::ERROR_TIMEOUT);
}

TEST(ReaderThread, CloseDoesNotWaitOutTheRead) {
  FakeHidBackend backend;
  backend.Add({.description = FakeHidBackend::Description("/dev/hidraw0", 1, 2, 8, 8)});
  ReportRecorder comm(&backend, /*readTimeoutMs=*/40000);
  ASSERT_EQ(comm.OpenWithReader("/dev/hidraw0"), 0);
  ASSERT_TRUE(backend.WaitForReadCalls(1, 5s)) << "the reader is in its read";
  const auto start = std::chrono::steady_clock::now();
  EXPECT_EQ(comm.Close(), 0);
  EXPECT_LT(std::chrono::steady_clock::now() - start, 20s);
  EXPECT_FALSE(comm.IsOpen());
}

TEST(ReaderThread, PausesAfterAFailedReadButNotAfterATimeOut) {
  constexpr uint32_t kLongPause = 40000;
  {
    SCOPED_TRACE("failing reads");
    FakeHidBackend backend;
    backend.Add({.description = FakeHidBackend::Description("/dev/hidraw0", 1, 2, 8, 8),
                 .readFailure = winerr::ERROR_DEVICE_NOT_CONNECTED});
    ReportRecorder comm(&backend, 1000, kLongPause);
    ASSERT_EQ(comm.OpenWithReader("/dev/hidraw0"), 0);
    ASSERT_TRUE(backend.WaitForReadCalls(1, 5s));
    EXPECT_FALSE(backend.WaitForReadCalls(2, 50ms)) << "the reader reads again at once";
    const auto start = std::chrono::steady_clock::now();
    comm.Close();
    EXPECT_LT(std::chrono::steady_clock::now() - start, 20s) << "Close waited out the pause";
  }
  {
    SCOPED_TRACE("time-outs");
    FakeHidBackend backend;
    FakeHidBackend::Interface i{.description =
                                    FakeHidBackend::Description("/dev/hidraw0", 1, 2, 8, 8)};
    for (int k = 0; k < 3; ++k) i.scriptedReads.push_back({winerr::ERROR_TIMEOUT, {}});
    i.scriptedReads.push_back({winerr::ERROR_SUCCESS, {1, 2, 3, 4, 5, 6, 7, 8}});
    backend.Add(std::move(i));
    ReportRecorder comm(&backend, 1000, kLongPause);
    ASSERT_EQ(comm.OpenWithReader("/dev/hidraw0"), 0);
    EXPECT_TRUE(comm.WaitForReports(1, 20s)) << "a time-out was followed by a pause";
  }
}

TEST(DeviceNotifications, FollowTheStoredDeviceThroughRemovalAndArrival) {
  sim::SimulatedHidBackend backend;
  RecordingWindow window;
  ReportRecorder comm(&backend);
  backend.Mouse().Disconnect();

  EXPECT_EQ(comm.Open(sim::kVendorId, sim::kProductId, &window, 1), winerr::ERROR_FILE_NOT_FOUND);
  EXPECT_FALSE(comm.IsOpen());
  EXPECT_EQ(comm.GetNotifyWindow(), &window);
  EXPECT_FALSE(comm.RegisterNotification());
  EXPECT_EQ(comm.GetLastResult(), winerr::ERROR_ALREADY_EXISTS) << "the window was not registered";

  size_t changes = 0;
  const auto deviceChange = [&] {
    ++changes;
    ASSERT_TRUE(window.WaitForPosted(sys::WM_DEVICECHANGE, changes));
    const RecordingWindow::Message m = window.Posted().back();
    EXPECT_EQ(m.wParam, 0u);
    EXPECT_EQ(m.lParam, 0);
    EXPECT_EQ(comm.OnDeviceChange(m.wParam, m.lParam), 1);
  };

  backend.Mouse().Reconnect();
  deviceChange();
  ASSERT_TRUE(comm.IsOpen()) << "arrival of the stored device";
  EXPECT_EQ(comm.OpenUsagePage(), kVendorUsagePage) << "index 1 of the ids";

  backend.Mouse().Disconnect();
  deviceChange();
  EXPECT_FALSE(comm.IsOpen()) << "removal";
  EXPECT_EQ(comm.GetNotifyWindow(), &window);

  backend.Mouse().Reconnect();
  deviceChange();
  EXPECT_TRUE(comm.IsOpen()) << "the second arrival";
  backend.Mouse().InjectKeyStatus(1);
  EXPECT_TRUE(comm.WaitForReports(1)) << "the reopened device has a reader";

  EXPECT_EQ(comm.Close(), 0);
  EXPECT_EQ(comm.GetNotifyWindow(), nullptr);
}

TEST(DeviceNotifications, WithoutAWindowNothingReopens) {
  sim::SimulatedHidBackend backend;
  ReportRecorder comm(&backend);
  ASSERT_EQ(comm.OpenWithReader(sim::kVendorId, sim::kProductId, 1), 0);
  backend.Mouse().Disconnect();
  comm.OnDeviceChange(0, 0);
  EXPECT_FALSE(comm.IsOpen());
  backend.Mouse().Reconnect();
  comm.OnDeviceChange(0, 0);
  EXPECT_FALSE(comm.IsOpen());
}

}  // namespace
