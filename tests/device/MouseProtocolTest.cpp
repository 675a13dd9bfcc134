#include <gtest/gtest.h>

#include <array>
#include <atomic>
#include <chrono>
#include <condition_variable>
#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "device/KavrinUSBComm.h"
#include "platform/sys/WinError.h"
#include "sim/SimulatedHidBackend.h"
#include "tests/device/FakeHidBackend.h"
#include "tests/device/RecordingWindow.h"

namespace {

using namespace std::chrono_literals;
using Bytes = std::array<uint8_t, 7>;

// The protocol with a count of the reports it parsed and of the reports it wrote, so that a
// test can tell when a reply was handled or a command is in flight.
class TestComm : public device::CKavrinUSBComm {
 public:
  using CKavrinUSBComm::CKavrinUSBComm;
  using CKavrinUSBComm::Write;
  ~TestComm() override { Close(); }

  bool OnReport(const uint8_t* buffer, size_t length) override {
    CKavrinUSBComm::OnReport(buffer, length);
    Bump(parsed_);
    return true;
  }

  int Write(const uint8_t* data, size_t length, size_t* transferred, uint32_t timeoutMs) override {
    const int result = CKavrinUSBComm::Write(data, length, transferred, timeoutMs);
    Bump(writes_);
    return result;
  }

  size_t Parsed() { return Get(parsed_); }
  bool WaitParsed(size_t count) { return WaitFor(parsed_, count); }
  bool WaitWrites(size_t count) { return WaitFor(writes_, count); }

  // What a reply leaves behind when it comes just after its command gave up, before the
  // command stopped awaiting it: the event signalled and `replied` set.
  void LeaveLateReplyBehind() {
    std::lock_guard<std::mutex> guard(replyLock);
    replied = 1;
    hReplyEvent.Set();
  }

  // Stops the device notifications, so that only the reader can tell the window of a loss.
  void StopWatching() { hDevNotify.reset(); }

  uint16_t OpenUsagePage() {
    device::HidDeviceInfo d;
    return GetDeviceInfo(d) ? d.caps.UsagePage : 0;
  }

 private:
  void Bump(size_t& counter) {
    {
      std::lock_guard<std::mutex> guard(mutex_);
      ++counter;
    }
    changed_.notify_all();
  }
  size_t Get(const size_t& counter) {
    std::lock_guard<std::mutex> guard(mutex_);
    return counter;
  }
  bool WaitFor(const size_t& counter, size_t count) {
    std::unique_lock<std::mutex> guard(mutex_);
    return changed_.wait_for(guard, 5s, [&] { return counter >= count; });
  }

  std::mutex mutex_;
  std::condition_variable changed_;
  size_t parsed_ = 0;
  size_t writes_ = 0;
};

// Flash contents with no two neighbouring bytes alike and no 0xFF run.
sim::FlashBlock Pattern(uint8_t seed) {
  sim::FlashBlock b;
  for (size_t i = 0; i < b.size(); ++i) b[i] = static_cast<uint8_t>(seed + i * 7);
  return b;
}

sim::FlashBlock Erased() {
  sim::FlashBlock b;
  b.fill(0xFF);
  return b;
}

class MouseProtocol : public ::testing::Test {
 protected:
  static constexpr uint32_t kShortReplyMs = 100;

  // Opens the mouse as the main window does: find it by its capabilities, open it with the
  // window. The log then starts empty.
  void OpenMouse(uint32_t replyTimeoutMs = 1000, sys::MessageWindow* notify = nullptr) {
    comm = std::make_unique<TestComm>(&backend, replyTimeoutMs);
    std::string path;
    ASSERT_TRUE(comm->FindMouseDevice(path));
    ASSERT_EQ(path, sim::kMousePath);
    ASSERT_EQ(comm->Open(path, notify != nullptr ? notify : &window), 0);
    mouse.ClearCommandLog();
  }

  std::vector<sim::Report> Log() { return mouse.CommandLog(); }

  sim::SimulatedHidBackend backend;
  sim::SimulatedMouse& mouse = backend.Mouse();
  RecordingWindow window;
  std::unique_ptr<TestComm> comm;
  const uint32_t modeMsg = sys::RegisterWindowMessage(u"MODEDPICHANGE_MSG");
  const uint32_t keyMsg = sys::RegisterWindowMessage(u"KEYSTATUS_MSG");
};

TEST_F(MouseProtocol, FindsTheMouseAmongDecoysByItsCapabilities) {
  device::CKavrinUSBComm finder(&backend);
  std::string path;
  ASSERT_TRUE(finder.FindMouseDevice(path));
  EXPECT_EQ(path, sim::kMousePath);

  // Left: the decoy vendor collection, which differs only in its version.
  mouse.Disconnect();
  path.clear();
  EXPECT_FALSE(finder.FindMouseDevice(path));
  EXPECT_EQ(path, "");

  FakeHidBackend failing;
  failing.SetEnumerateResult(winerr::ERROR_GEN_FAILURE);
  device::CKavrinUSBComm none(&failing);
  EXPECT_FALSE(none.FindMouseDevice(path));
}

struct CommandCase {
  const char* name;
  std::function<void(sim::SimulatedMouse&)> setup;
  std::function<int(TestComm&)> run;
  Bytes sent;
  std::function<void(TestComm&, sim::SimulatedMouse&)> check;
};

std::vector<CommandCase> CommandCases() {
  const auto levels = [](TestComm& c) {
    std::array<uint8_t, 4> dpi{}, rate{};
    EXPECT_EQ(c.GetDpiAndRate(dpi.data(), rate.data()), 1);
    return std::make_pair(dpi, rate);
  };
  return {
      {"GetModeInfo",
       [](sim::SimulatedMouse& m) {
         m.SetCurrentMode(3);
         m.SetDpiLevel(3, 5);
         m.SetRateIndex(3, 2);
       },
       [](TestComm& c) { return c.GetModeInfo(); },
       {0x20, 0, 0, 0, 0, 0, 0},
       [](TestComm& c, sim::SimulatedMouse&) {
         EXPECT_EQ(c.GetCurrentMode(), 3);
         EXPECT_EQ(c.GetCurrentDpiIndex(), 5);
         EXPECT_EQ(c.GetCurrentRateIndex(), 2);
       }},
      {"GetDeviceVersion",
       [](sim::SimulatedMouse& m) { m.SetDeviceId(0x12345678); },
       [](TestComm& c) { return c.GetDeviceVersion(); },
       {0x23, 0, 0, 0, 0, 0, 0},
       [](TestComm& c, sim::SimulatedMouse&) { EXPECT_EQ(c.GetVersionBytes(), 0x12345678u); }},
      {"SetDpi",
       [](sim::SimulatedMouse&) {},
       [](TestComm& c) { return c.SetDpi(0x0F, 0x21, 0x43); },
       {0x21, 0x0F, 0x21, 0x43, 0, 0, 0},
       [=](TestComm& c, sim::SimulatedMouse& m) {
         EXPECT_EQ(m.DpiLevel(0), 1);
         EXPECT_EQ(m.DpiLevel(3), 4);
         EXPECT_EQ(levels(c).first, (std::array<uint8_t, 4>{1, 2, 3, 4}));
       }},
      {"GetDpi",
       [](sim::SimulatedMouse& m) {
         const int levels[4] = {7, 0, 0, 6};
         for (int mode = 0; mode < 4; ++mode) m.SetDpiLevel(mode, levels[mode]);
       },
       [](TestComm& c) { return c.GetDpi(); },
       {0x21, 0, 0, 0, 0, 0, 0},
       [=](TestComm& c, sim::SimulatedMouse&) {
         EXPECT_EQ(levels(c).first, (std::array<uint8_t, 4>{7, 0, 0, 6}));
       }},
      {"SetReportRate",
       [](sim::SimulatedMouse&) {},
       [](TestComm& c) { return c.SetReportRate(0x0F, 0x10, 0x32); },
       {0x22, 0x0F, 0x10, 0x32, 0, 0, 0},
       [=](TestComm& c, sim::SimulatedMouse& m) {
         EXPECT_EQ(m.RateIndex(3), 3);
         EXPECT_EQ(levels(c).second, (std::array<uint8_t, 4>{0, 1, 2, 3}));
       }},
      {"GetReportRate",
       [](sim::SimulatedMouse& m) {
         const int rates[4] = {0, 3, 0, 0};
         for (int mode = 0; mode < 4; ++mode) m.SetRateIndex(mode, rates[mode]);
       },
       [](TestComm& c) { return c.GetReportRate(); },
       {0x22, 0, 0, 0, 0, 0, 0},
       [=](TestComm& c, sim::SimulatedMouse&) {
         EXPECT_EQ(levels(c).second, (std::array<uint8_t, 4>{0, 3, 0, 0}));
       }},
      {"SetCustomMode",
       [](sim::SimulatedMouse&) {},
       [](TestComm& c) { return c.SetCustomMode(2); },
       {0x20, 0x08, 2, 0, 0, 0, 0},
       [](TestComm& c, sim::SimulatedMouse& m) {
         EXPECT_EQ(m.CurrentMode(), 2);
         EXPECT_EQ(c.GetCurrentMode(), 2);
       }},
      {"SetMcuMode test",
       [](sim::SimulatedMouse&) {},
       [](TestComm& c) { return c.SetMcuMode(1); },
       {0x20, 0x84, 0, 0, 0, 0, 0},
       [](TestComm&, sim::SimulatedMouse& m) { EXPECT_TRUE(m.InTestMode()); }},
      {"SetMcuMode normal",
       [](sim::SimulatedMouse& m) { m.SetTestMode(true); },
       [](TestComm& c) { return c.SetMcuMode(0); },
       {0x20, 0x80, 0, 0, 0, 0, 0},
       [](TestComm&, sim::SimulatedMouse& m) { EXPECT_FALSE(m.InTestMode()); }},
      {"EraseFlash",
       [](sim::SimulatedMouse& m) {
         m.SetTestMode(true);
         m.SetFlashBlock(3, sim::FlashBlock{});
       },
       [](TestComm& c) { return c.EraseFlash(3); },
       {0x03, 0x03, 0xFC, 0x55, 0xAA, 0x55, 0},
       [](TestComm&, sim::SimulatedMouse& m) { EXPECT_EQ(m.GetFlashBlock(3), Erased()); }},
      {"WriteFlash",
       [](sim::SimulatedMouse& m) {
         m.SetTestMode(true);
         m.SetFlashBlock(1, Erased());
       },
       [](TestComm& c) {
         const uint8_t data[4] = {1, 2, 3, 4};
         return c.WriteFlash(1, 8, 4, data);
       },
       {0x01, 8, 0x14, 1, 2, 3, 4},
       [](TestComm&, sim::SimulatedMouse& m) {
         EXPECT_EQ(m.GetFlashBlock(1)[8], 1);
         EXPECT_EQ(m.GetFlashBlock(1)[11], 4);
       }},
      {"ReadFlash",
       [](sim::SimulatedMouse& m) {
         m.SetTestMode(true);
         m.SetFlashBlock(2, Pattern(2));
       },
       [](TestComm& c) {
         uint8_t out[4] = {};
         const int result = c.ReadFlash(2, 8, 4, out);
         const sim::FlashBlock expected = Pattern(2);
         if (result == 1) {
           EXPECT_TRUE(std::equal(out, out + 4, expected.begin() + 8));
         }
         return result;
       },
       {0x02, 8, 4, 2, 0, 0, 0},
       [](TestComm&, sim::SimulatedMouse&) {}},
  };
}

TEST_F(MouseProtocol, EveryCommandSendsItsBytesAndTakesItsReply) {
  for (const CommandCase& c : CommandCases()) {
    SCOPED_TRACE(c.name);
    OpenMouse();
    c.setup(mouse);
    EXPECT_EQ(c.run(*comm), 1);
    const std::vector<sim::Report> log = Log();
    ASSERT_EQ(log.size(), 1u);
    EXPECT_EQ(log[0][0], device::MOUSE_REPORT_ID);
    EXPECT_TRUE(std::equal(c.sent.begin(), c.sent.end(), log[0].begin() + 1));
    c.check(*comm, mouse);
  }
  // Mode-info replies that a command awaited are not the mouse's own changes.
  EXPECT_EQ(window.PostedCount(modeMsg), 0u);
}

TEST_F(MouseProtocol, EveryCommandIsRefusedWhileClosed) {
  TestComm closed(&backend);
  for (const CommandCase& c : CommandCases()) {
    SCOPED_TRACE(c.name);
    c.setup(mouse);
    mouse.ClearCommandLog();
    EXPECT_EQ(c.run(closed), 0);
    EXPECT_TRUE(Log().empty());
  }
}

TEST_F(MouseProtocol, SuccessTestsOfTheReplies) {
  struct Case {
    const char* name;
    std::function<int(TestComm&)> run;
    std::function<void(sim::Report&)> patch;
    int result;
  };
  const uint8_t data[4] = {1, 2, 3, 4};
  uint8_t out[4] = {};
  const Case cases[] = {
      {"SetDpi echoing byte 3 only", [](TestComm& c) { return c.SetDpi(0x0F, 0x21, 0x43); },
       [](sim::Report& r) { r[3] = 0x21, r[4] = 0x00; }, 1},
      {"SetDpi echoing byte 4 only", [](TestComm& c) { return c.SetDpi(0x0F, 0x21, 0x43); },
       [](sim::Report& r) { r[3] = 0x00, r[4] = 0x43; }, 1},
      {"SetDpi echoing neither", [](TestComm& c) { return c.SetDpi(0x0F, 0x21, 0x43); },
       [](sim::Report& r) { r[3] = 0x20, r[4] = 0x00; }, 0},
      {"SetReportRate echoing neither",
       [](TestComm& c) { return c.SetReportRate(0x0F, 0x10, 0x32); },
       [](sim::Report& r) { r[3] = 0x11, r[4] = 0x33; }, 0},
      {"SetCustomMode another mode", [](TestComm& c) { return c.SetCustomMode(2); },
       [](sim::Report& r) { r[4] = static_cast<uint8_t>((r[4] & ~0x30) | 0x10); }, 0},
      {"SetMcuMode(1) still normal", [](TestComm& c) { return c.SetMcuMode(1); },
       [](sim::Report& r) { r[4] &= 0x7F; }, 0},
      {"SetMcuMode(0) still test", [](TestComm& c) { return c.SetMcuMode(0); },
       [](sim::Report& r) { r[4] |= 0x80; }, 0},
      {"EraseFlash refused", [](TestComm& c) { return c.EraseFlash(1); },
       [](sim::Report& r) { r[2] = 0; }, 0},
      {"WriteFlash refused", [&](TestComm& c) { return c.WriteFlash(1, 0, 4, data); },
       [](sim::Report& r) { r[2] = 0; }, 0},
      {"WriteFlash echoing other data", [&](TestComm& c) { return c.WriteFlash(1, 0, 4, data); },
       [](sim::Report& r) { r[7] ^= 1; }, 0},
      {"ReadFlash of another offset", [&](TestComm& c) { return c.ReadFlash(1, 0, 4, out); },
       [](sim::Report& r) { r[2] = 4; }, 0},
      {"GetDpi takes any reply", [](TestComm& c) { return c.GetDpi(); },
       [](sim::Report& r) { r[3] = 0x77; }, 1},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    // A flash reply of another offset or data is taken for a late one and waited past.
    OpenMouse(kShortReplyMs);
    mouse.SetTestMode(true);
    mouse.SetFlashBlock(1, Erased());
    mouse.AddFault({.kind = sim::FaultKind::WrongData, .patch = c.patch});
    EXPECT_EQ(c.run(*comm), c.result);
    mouse.ClearFaults();
  }
}

TEST_F(MouseProtocol, RepliesThatAreNotTheAwaitedOneAreDropped) {
  struct Case {
    const char* name;
    sim::Fault fault;
  };
  const Case cases[] = {
      {"no reply", {.kind = sim::FaultKind::NoReply}},
      {"another command byte", {.kind = sim::FaultKind::WrongEcho, .echo = device::CMD_DPI}},
      {"another report id", {.kind = sim::FaultKind::WrongReportId, .reportId = 0xB2}},
      {"seven bytes", {.kind = sim::FaultKind::WrongLength, .length = 7}},
      {"two bytes", {.kind = sim::FaultKind::WrongLength, .length = 2}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    OpenMouse(kShortReplyMs);
    mouse.AddFault(c.fault);
    EXPECT_EQ(comm->GetModeInfo(), 0);
    EXPECT_EQ(comm->GetModeInfo(), 1) << "the next command is not disturbed";
  }
}

TEST_F(MouseProtocol, FlashBlockRoundTrip) {
  OpenMouse();
  ASSERT_EQ(comm->SetMcuMode(1), 1);
  const sim::FlashBlock pattern = Pattern(9);
  ASSERT_EQ(comm->EraseFlash(4), 1);
  mouse.ClearCommandLog();
  ASSERT_EQ(comm->WriteFlash(4, 0, 256, pattern.data()), 1);
  EXPECT_EQ(Log().size(), 64u);
  EXPECT_EQ(mouse.GetFlashBlock(4), pattern);
  sim::FlashBlock read{};
  ASSERT_EQ(comm->ReadFlash(4, 0, 256, read.data()), 1);
  EXPECT_EQ(read, pattern);
}

TEST_F(MouseProtocol, ShortLastChunkCarriesOnlyItsBytes) {
  OpenMouse();
  mouse.SetTestMode(true);
  mouse.SetFlashBlock(0, Erased());
  const std::vector<uint8_t> data = {1, 2, 3, 4, 5, 6};  // exactly six: no byte beyond is read
  ASSERT_EQ(comm->WriteFlash(0, 0, data.size(), data.data()), 1);
  const std::vector<sim::Report> log = Log();
  ASSERT_EQ(log.size(), 2u);
  EXPECT_EQ(log[1], (sim::Report{0xB3, 0x01, 4, 0x02, 5, 6, 0, 0}));
  EXPECT_EQ(mouse.GetFlashBlock(0)[6], 0xFF);
  std::vector<uint8_t> read(6);
  ASSERT_EQ(comm->ReadFlash(0, 0, read.size(), read.data()), 1);
  EXPECT_EQ(read, data);
}

TEST_F(MouseProtocol, FlashFailures) {
  {
    SCOPED_TRACE("write over unerased bits stops at the first chunk");
    OpenMouse(kShortReplyMs);
    mouse.SetTestMode(true);
    mouse.SetFlashBlock(2, sim::FlashBlock{});
    const sim::FlashBlock pattern = Pattern(1);
    EXPECT_EQ(comm->WriteFlash(2, 0, 256, pattern.data()), 0);
    EXPECT_EQ(Log().size(), 1u);
  }
  {
    SCOPED_TRACE("normal mode: the mouse does not answer");
    OpenMouse(kShortReplyMs);
    mouse.SetTestMode(false);
    sim::FlashBlock read{};
    EXPECT_EQ(comm->ReadFlash(0, 0, 256, read.data()), 0);
    EXPECT_EQ(Log().size(), 1u);
  }
}

TEST_F(MouseProtocol, FlashRangeRefusals) {
  struct Case {
    const char* name;
    std::function<int(TestComm&)> run;
    int result;
    size_t sent;
  };
  static uint8_t buffer[256] = {};
  const Case cases[] = {
      {"write at offset 2", [](TestComm& c) { return c.WriteFlash(0, 2, 4, buffer); }, 0, 0},
      {"write up to 257", [](TestComm& c) { return c.WriteFlash(0, 252, 5, buffer); }, 0, 0},
      {"write past the block", [](TestComm& c) { return c.WriteFlash(0, 260, 0, buffer); }, 0, 0},
      {"write without data", [](TestComm& c) { return c.WriteFlash(0, 0, 4, nullptr); }, 0, 0},
      {"write of nothing", [](TestComm& c) { return c.WriteFlash(0, 0, 0, buffer); }, 1, 0},
      {"read at offset 2", [](TestComm& c) { return c.ReadFlash(0, 2, 4, buffer); }, 1, 1},
      {"read up to 256", [](TestComm& c) { return c.ReadFlash(0, 252, 4, buffer); }, 1, 1},
      {"read up to 257", [](TestComm& c) { return c.ReadFlash(0, 1, 256, buffer); }, 0, 0},
      {"read without a buffer", [](TestComm& c) { return c.ReadFlash(0, 0, 4, nullptr); }, 0, 0},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    OpenMouse();
    mouse.SetTestMode(true);
    EXPECT_EQ(c.run(*comm), c.result);
    EXPECT_EQ(Log().size(), c.sent);
  }
}

TEST_F(MouseProtocol, OneCommandInFlight) {
  OpenMouse(300);
  mouse.AddFault({.kind = sim::FaultKind::NoReply});
  std::thread first([&] { EXPECT_EQ(comm->GetModeInfo(), 0); });
  ASSERT_TRUE(comm->WaitWrites(1));
  uint8_t buffer[4] = {};
  EXPECT_EQ(comm->GetDpi(), 0);
  EXPECT_EQ(comm->ReadFlash(0, 0, 4, buffer), 0);
  EXPECT_EQ(comm->WriteFlash(0, 0, 4, buffer), 0);
  EXPECT_EQ(comm->EraseFlash(0), 0);
  first.join();
  EXPECT_EQ(Log().size(), 1u) << "the refused commands sent nothing";
  EXPECT_EQ(comm->GetDpi(), 1) << "free again once the first gave up";
}

TEST_F(MouseProtocol, ParserTable) {
  struct Case {
    const char* name;
    std::vector<uint8_t> report;
    int mode, dpi, rate;
    uint32_t deviceId;
    uint8_t dpiLevel0;
    std::vector<RecordingWindow::Message> posted;
  };
  const uint32_t mode = modeMsg, key = keyMsg;
  const std::vector<Case> cases = {
      {"mode info of the mouse's own",
       {0xB3, 0x20, 0, 0, 0xB2, 0x50, 0, 0},
       3,
       5,
       2,
       0,
       0,
       {{mode, 0, 0}}},
      {"key status", {0xB3, 0x24, 0x05, 0x02, 0, 0, 0, 0}, 0, 0, 0, 0, 0, {{key, 0x0205, 0}}},
      {"version", {0xB3, 0x23, 0x01, 0xA0, 0x17, 0x44, 0, 0}, 0, 0, 0, 0x4417A001, 0, {}},
      {"DPI nobody asked for", {0xB3, 0x21, 0x0F, 0x21, 0x43, 0, 0, 0}, 0, 0, 0, 0, 0, {}},
      {"flash read nobody asked for", {0xB3, 0x02, 0, 4, 1, 2, 3, 4}, 0, 0, 0, 0, 0, {}},
      {"other report id", {0xB2, 0x20, 0, 0, 0xB2, 0x50, 0, 0}, 0, 0, 0, 0, 0, {}},
      {"seven bytes", {0xB3, 0x20, 0, 0, 0xB2, 0x50, 0}, 0, 0, 0, 0, 0, {}},
      {"nine bytes", {0xB3, 0x24, 0x05, 0x02, 0, 0, 0, 0, 0}, 0, 0, 0, 0, 0, {}},
      {"unknown command", {0xB3, 0x30, 1, 2, 3, 4, 5, 6}, 0, 0, 0, 0, 0, {}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    RecordingWindow target;
    TestComm parser(&backend);
    // An absent path: the object stays closed but the window is set, as after a failed open.
    parser.Open("sim:/absent", &target);
    ASSERT_EQ(parser.GetNotifyWindow(), &target);
    EXPECT_TRUE(parser.OnReport(c.report.data(), c.report.size()));
    EXPECT_EQ(parser.GetCurrentMode(), c.mode);
    EXPECT_EQ(parser.GetCurrentDpiIndex(), c.dpi);
    EXPECT_EQ(parser.GetCurrentRateIndex(), c.rate);
    EXPECT_EQ(parser.GetVersionBytes(), c.deviceId);
    uint8_t dpi[4], rate[4];
    parser.GetDpiAndRate(dpi, rate);
    EXPECT_EQ(dpi[0], c.dpiLevel0);
    const std::vector<RecordingWindow::Message> posted = target.Posted();
    ASSERT_EQ(posted.size(), c.posted.size());
    for (size_t i = 0; i < posted.size(); ++i) {
      EXPECT_EQ(posted[i].msg, c.posted[i].msg);
      EXPECT_EQ(posted[i].wParam, c.posted[i].wParam);
      EXPECT_EQ(posted[i].lParam, c.posted[i].lParam);
    }
  }
}

TEST_F(MouseProtocol, UnsolicitedReportsReachTheWindowFromTheReaderThread) {
  OpenMouse();
  mouse.InjectKeyStatus(0x0301);
  mouse.SetCurrentMode(1);
  mouse.InjectModeInfo();
  ASSERT_TRUE(window.WaitForPosted(keyMsg));
  ASSERT_TRUE(window.WaitForPosted(modeMsg));
  EXPECT_EQ(window.Posted().front().wParam, 0x0301u);
  EXPECT_EQ(comm->GetCurrentMode(), 1);
}

TEST_F(MouseProtocol, AReplyParsedBeforeTheWriteReturnsIsTaken) {
  OpenMouse();
  // The hook runs inside the write, right after the reply was handed over; it holds the write
  // until the reader thread has parsed that reply.
  std::atomic<bool> parsedInsideWrite{false};
  const size_t before = comm->Parsed();
  mouse.SetReplyHook([&](uint8_t) { parsedInsideWrite = comm->WaitParsed(before + 1); });
  EXPECT_EQ(comm->GetModeInfo(), 1);
  mouse.SetReplyHook({});
  EXPECT_TRUE(parsedInsideWrite);
}

TEST_F(MouseProtocol, ALateReplyIsNotTakenByTheNextCommand) {
  {
    SCOPED_TRACE("its signal is still set when the next command starts");
    OpenMouse();
    mouse.SetLatency(20);
    mouse.SetDpiLevel(2, 6);
    comm->LeaveLateReplyBehind();
    EXPECT_EQ(comm->GetDpi(), 1) << "the command did not wait for its own reply";
    uint8_t dpi[4], rate[4];
    comm->GetDpiAndRate(dpi, rate);
    EXPECT_EQ(dpi[2], 6);
    mouse.SetLatency(0);
  }
  struct Case {
    const char* name;
    std::function<int(TestComm&)> run;
    uint8_t command;
    size_t modeMessages;  // a late mode-info reply is the mouse's news like any other
  };
  const Case cases[] = {
      {"DPI", [](TestComm& c) { return c.GetDpi(); }, device::CMD_DPI, 0},
      {"flash read",
       [](TestComm& c) {
         uint8_t b[4];
         return c.ReadFlash(0, 0, 4, b);
       },
       device::CMD_FLASH_READ, 0},
      {"mode info", [](TestComm& c) { return c.GetModeInfo(); }, device::CMD_MODE_INFO, 1},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    RecordingWindow target;
    OpenMouse(kShortReplyMs, &target);
    mouse.SetTestMode(true);
    mouse.SetDpiLevel(0, 3);
    mouse.AddFault(
        {.kind = sim::FaultKind::LateReply, .command = c.command, .delayMs = 3 * kShortReplyMs});
    const size_t before = comm->Parsed();
    EXPECT_EQ(c.run(*comm), 0);
    ASSERT_TRUE(comm->WaitParsed(before + 1)) << "the late reply came";
    uint8_t dpi[4], rate[4];
    comm->GetDpiAndRate(dpi, rate);
    EXPECT_EQ(dpi[0], 0) << "a DPI reply nobody awaits changes nothing";
    EXPECT_EQ(target.PostedCount(modeMsg), c.modeMessages);
    EXPECT_EQ(c.run(*comm), 1) << "the next command gets its own reply";
    comm.reset();  // before the window it posts to
  }
}

// A flash reply that comes after its command gave up, while the next command of its kind is in
// flight, is told apart by its own echo (the offset read, the data written) and dropped: the
// command in flight takes its own reply. The latency and the late reply's extra delay are each
// below the time-out and together above it, so the late reply arrives after its command gave up
// and before the next command's own reply.
TEST_F(MouseProtocol, AStaleFlashReplyIsDroppedWhileTheNextCommandWaits) {
  constexpr uint32_t kTimeoutMs = 600, kLatencyMs = 400, kLateMs = 400;
  const sim::FlashBlock pattern = Pattern(0x41);
  const uint8_t first[4] = {0x10, 0x20, 0x30, 0x40}, second[4] = {0x50, 0x60, 0x70, 0x80};
  struct Case {
    const char* name;
    uint8_t command;
    std::function<int(TestComm&)> late;  // the command whose reply comes late
    std::function<int(TestComm&)> next;  // the next one of the same kind
  };
  const Case cases[] = {
      {"read", device::CMD_FLASH_READ,
       [](TestComm& c) {
         uint8_t out[4];
         return c.ReadFlash(1, 8, 4, out);
       },
       [&](TestComm& c) {
         uint8_t out[8] = {};
         const int result = c.ReadFlash(1, 0, 8, out);
         EXPECT_TRUE(std::equal(out, out + 8, pattern.begin())) << "the stale bytes were taken";
         return result;
       }},
      {"write", device::CMD_FLASH_WRITE, [&](TestComm& c) { return c.WriteFlash(2, 0, 4, first); },
       [&](TestComm& c) { return c.WriteFlash(2, 4, 4, second); }},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    OpenMouse(kTimeoutMs);
    mouse.SetTestMode(true);
    mouse.SetFlashBlock(1, pattern);
    mouse.SetFlashBlock(2, Erased());
    mouse.SetLatency(kLatencyMs);
    mouse.AddFault({.kind = sim::FaultKind::LateReply, .command = c.command, .delayMs = kLateMs});
    const size_t before = comm->Parsed();
    EXPECT_EQ(c.late(*comm), 0);
    EXPECT_EQ(comm->Parsed(), before) << "the reply came before its command gave up";
    EXPECT_EQ(c.next(*comm), 1);
    EXPECT_TRUE(comm->WaitParsed(before + 2)) << "the late reply came";
    mouse.SetLatency(0);
    comm.reset();
  }
  EXPECT_EQ(mouse.GetFlashBlock(2)[4], 0x50);
}

// A wrong echo of a DPI setting is no late reply: it fails at once, not at the time-out.
TEST_F(MouseProtocol, AWrongSetDpiEchoStillFailsAtOnce) {
  constexpr uint32_t kLongTimeoutMs = 20000;
  OpenMouse(kLongTimeoutMs);
  mouse.AddFault({.kind = sim::FaultKind::WrongData,
                  .patch = [](sim::Report& r) { r[3] = 0x20, r[4] = 0x00; }});
  const auto start = std::chrono::steady_clock::now();
  EXPECT_EQ(comm->SetDpi(0x0F, 0x21, 0x43), 0);
  EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::milliseconds(kLongTimeoutMs / 2));
}

TEST_F(MouseProtocol, ModeInfoDuringAFlashReadIsNotFlashData) {
  OpenMouse();
  mouse.SetTestMode(true);
  const sim::FlashBlock pattern = Pattern(0x31);
  mouse.SetFlashBlock(0, pattern);
  // Right behind the first chunk's reply the mouse reports a mode change, and both are parsed
  // before the sender wakes.
  bool injected = false;
  const size_t before = comm->Parsed();
  mouse.SetReplyHook([&](uint8_t command) {
    if (command != device::CMD_FLASH_READ || injected) return;
    injected = true;
    mouse.InjectModeInfo();
    comm->WaitParsed(before + 2);
  });
  std::array<uint8_t, 8> read{};
  EXPECT_EQ(comm->ReadFlash(0, 0, read.size(), read.data()), 1);
  mouse.SetReplyHook({});
  EXPECT_TRUE(std::equal(read.begin(), read.end(), pattern.begin()));
  EXPECT_TRUE(window.WaitForPosted(modeMsg)) << "the mode change is still reported";
}

TEST_F(MouseProtocol, DeviceGoneOnWrite) {
  struct Case {
    const char* name;
    bool withWindow;
    std::function<void(TestComm&)> handler;  // the window's WM_DEVICECHANGE handling
    bool openAfter;
  };
  const Case cases[] = {
      {"no window", false, nullptr, true},
      {"window that ignores it", true, [](TestComm&) {}, true},
      {"window that looks for the mouse", true, [](TestComm& c) { c.OnDeviceChange(0, 0); }, false},
      {"window that closes the device", true, [](TestComm& c) { c.Close(); }, false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    RecordingWindow target;
    bool inCommand = false;
    int handled = 0;
    target.onSend = [&](uint32_t msg, sys::WPARAM w, sys::LPARAM l) -> sys::LRESULT {
      EXPECT_TRUE(inCommand) << "sent, not posted";
      EXPECT_EQ(msg, sys::WM_DEVICECHANGE);
      EXPECT_EQ(w, 0u);
      EXPECT_EQ(l, 0);
      ++handled;
      c.handler(*comm);
      return 1;
    };
    mouse.Reconnect();
    comm = std::make_unique<TestComm>(&backend);
    ASSERT_EQ(comm->Open(sim::kMousePath, c.withWindow ? &target : nullptr), 0);
    mouse.DisconnectAtCommand(1);
    inCommand = true;
    EXPECT_EQ(comm->GetModeInfo(), 0);
    inCommand = false;
    EXPECT_EQ(comm->GetLastResult(), winerr::ERROR_DEVICE_NOT_CONNECTED);
    EXPECT_EQ(handled, c.withWindow ? 1 : 0);
    EXPECT_EQ(comm->IsOpen(), c.openAfter);
    comm.reset();  // before the window it posts to
  }
}

TEST_F(MouseProtocol, ArrivalReopensTheMouseCollectionNotTheFirstWithItsIds) {
  struct Case {
    const char* name;
    bool transportRule;  // the transport's own rule: the first interface with the stored ids
    uint16_t usagePage;
    int commandResult;
  };
  const Case cases[] = {
      {"protocol", false, 0xFFB3, 1},
      {"transport", true, 0x01, 0},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    mouse.Reconnect();
    OpenMouse(kShortReplyMs);
    const auto deviceChange = [&] {
      if (c.transportRule) {
        comm->CHIDCommWnd::OnDeviceChange(0, 0);
      } else {
        comm->OnDeviceChange(0, 0);
      }
    };
    mouse.Disconnect();
    deviceChange();
    EXPECT_FALSE(comm->IsOpen());
    mouse.Reconnect();
    deviceChange();
    ASSERT_TRUE(comm->IsOpen());
    EXPECT_EQ(comm->OpenUsagePage(), c.usagePage);
    EXPECT_EQ(comm->GetModeInfo(), c.commandResult);
  }
}

// The mouse unplugged and plugged in again at the same node before the window handled either
// change: the old handle reads nothing any more, so it is closed and the mouse opened afresh.
TEST_F(MouseProtocol, AQuickReplugAtTheSameNodeReopensTheMouse) {
  struct Case {
    const char* name;
    bool transportRule;
    int commandResult;
  };
  const Case cases[] = {{"protocol", false, 1}, {"transport", true, 0}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    mouse.Reconnect();
    OpenMouse(kShortReplyMs);
    comm->StopWatching();
    const size_t changes = window.PostedCount(sys::WM_DEVICECHANGE);
    mouse.Disconnect();
    ASSERT_TRUE(window.WaitForPosted(sys::WM_DEVICECHANGE, changes + 1)) << "the reader tells";
    EXPECT_TRUE(comm->HandleLost());
    EXPECT_TRUE(comm->IsOpen());
    mouse.Reconnect();

    if (c.transportRule) {
      comm->CHIDCommWnd::OnDeviceChange(0, 0);
    } else {
      comm->OnDeviceChange(0, 0);
    }
    ASSERT_TRUE(comm->IsOpen());
    EXPECT_FALSE(comm->HandleLost());
    EXPECT_EQ(comm->GetModeInfo(), c.commandResult);
    if (!c.transportRule) {
      const size_t keys = window.PostedCount(keyMsg);
      mouse.InjectKeyStatus(0x20);
      EXPECT_TRUE(window.WaitForPosted(keyMsg, keys + 1)) << "the new handle reads the buttons";
    }
  }
}

TEST(MouseProtocolPaths, FollowsTheMouseToANewNodeAndIgnoresOtherDevices) {
  FakeHidBackend backend;
  backend.Add({.description = FakeHidBackend::MouseDescription("/dev/hidraw3")});
  RecordingWindow window;
  TestComm comm(&backend);
  ASSERT_EQ(comm.Open("/dev/hidraw3", &window), 0);
  ASSERT_EQ(backend.Opens("/dev/hidraw3").size(), 2u);

  backend.Add({.description = FakeHidBackend::Description("/dev/hidraw5", 0x46D, 0xC077, 5, 0)});
  comm.OnDeviceChange(0, 0);
  EXPECT_TRUE(comm.IsOpen());
  EXPECT_EQ(backend.Opens("/dev/hidraw3").size(), 2u) << "reopened for another device";

  // Unplugged and plugged in again before the window handled either change.
  backend.Remove("/dev/hidraw3");
  backend.Add({.description = FakeHidBackend::MouseDescription("/dev/hidraw4")});
  comm.OnDeviceChange(0, 0);
  EXPECT_TRUE(comm.IsOpen());
  EXPECT_EQ(backend.Opens("/dev/hidraw4").size(), 2u);
}

}  // namespace
