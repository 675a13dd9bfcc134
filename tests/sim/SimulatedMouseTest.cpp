#include <gtest/gtest.h>

#include <chrono>
#include <condition_variable>
#include <functional>
#include <mutex>
#include <optional>
#include <string>
#include <vector>

#include "platform/sys/WinError.h"
#include "sim/SimulatedMouse.h"

namespace sim {
namespace {

using Bytes = std::vector<uint8_t>;

Report Cmd(std::initializer_list<uint8_t> bytes1to7) {
  Report r{};
  r[0] = kReportId;
  std::copy(bytes1to7.begin(), bytes1to7.end(), r.begin() + 1);
  return r;
}

Bytes B(std::initializer_list<uint8_t> bytes) { return Bytes(bytes); }

// Records what the mouse sends, and lets a test wait for it.
class RecordingHost : public SimulatedMouse::Host {
 public:
  void DeliverInputReport(std::span<const uint8_t> report) override {
    std::lock_guard<std::mutex> lock(mutex_);
    reports_.emplace_back(report.begin(), report.end());
    arrivals_.push_back(std::chrono::steady_clock::now());
    changed_.notify_all();
  }
  void ConnectionChanged(bool connected) override {
    std::lock_guard<std::mutex> lock(mutex_);
    connections_.push_back(connected);
  }
  std::vector<Bytes> Reports() const {
    std::lock_guard<std::mutex> lock(mutex_);
    return reports_;
  }
  std::vector<std::chrono::steady_clock::time_point> Arrivals() const {
    std::lock_guard<std::mutex> lock(mutex_);
    return arrivals_;
  }
  std::vector<bool> Connections() const {
    std::lock_guard<std::mutex> lock(mutex_);
    return connections_;
  }
  bool WaitForReports(size_t n, uint32_t timeoutMs = 2000) {
    std::unique_lock<std::mutex> lock(mutex_);
    return changed_.wait_for(lock, std::chrono::milliseconds(timeoutMs),
                             [&] { return reports_.size() >= n; });
  }

 private:
  mutable std::mutex mutex_;
  std::condition_variable changed_;
  std::vector<Bytes> reports_;
  std::vector<std::chrono::steady_clock::time_point> arrivals_;
  std::vector<bool> connections_;
};

struct MouseWithHost : ::testing::Test {
  MouseWithHost() { mouse.AttachHost(&host); }
  ~MouseWithHost() override { mouse.AttachHost(nullptr); }
  SimulatedMouse mouse;
  RecordingHost host;
};

Report Erase(uint8_t block) {
  return Cmd({CMD_FLASH_ERASE, block, static_cast<uint8_t>(~block), 0x55, 0xAA, 0x55});
}
Report Write(uint8_t block, uint8_t offset, std::array<uint8_t, 4> d, uint8_t k = 4) {
  return Cmd(
      {CMD_FLASH_WRITE, offset, static_cast<uint8_t>(block << 4 | k), d[0], d[1], d[2], d[3]});
}
Report Read(uint8_t block, uint8_t offset, uint8_t k = 4) {
  return Cmd({CMD_FLASH_READ, offset, k, block});
}

// ---- The firmware's answers -------------------------------------------------------------

struct AnswerCase {
  std::string name;
  std::function<void(SimulatedMouse&)> setup;
  Report command;
  std::optional<Report> reply;
};

TEST(SimulatedMouseFirmware, AnswersEveryCommandAsTheProtocolExpects) {
  const auto none = [](SimulatedMouse&) {};
  const auto testMode = [](SimulatedMouse& m) { m.SetTestMode(true); };
  const auto mode2 = [](SimulatedMouse& m) {
    m.SetCurrentMode(2);
    m.SetRateIndex(2, 1);
    m.SetDpiLevel(2, 5);
    m.SetTestMode(true);
  };
  const std::vector<AnswerCase> cases = {
      // New mouse: mode 0, rate index 3, DPI level 1, normal mode.
      {"mode info", none, Cmd({0x20}), Cmd({0x20, 0x00, 0x00, 0x03, 0x10})},
      {"mode info of mode 2 in test mode", mode2, Cmd({0x20}), Cmd({0x20, 0, 0, 0xA1, 0x50})},
      {"set mode 3", none, Cmd({0x20, 0x08, 0x03}), Cmd({0x20, 0, 0, 0x33, 0x10})},
      {"set mode 4 is ignored", none, Cmd({0x20, 0x08, 0x04}), Cmd({0x20, 0, 0, 0x03, 0x10})},
      {"controller to test mode", none, Cmd({0x20, 0x84}), Cmd({0x20, 0, 0, 0x83, 0x10})},
      {"controller to normal mode", testMode, Cmd({0x20, 0x80}), Cmd({0x20, 0, 0, 0x03, 0x10})},
      {"dpi query", none, Cmd({0x21}), Cmd({0x21, 0x00, 0x11, 0x11})},
      {"dpi query ignores b and c", none, Cmd({0x21, 0x00, 0x21, 0x43}),
       Cmd({0x21, 0x00, 0x11, 0x11})},
      {"dpi set", none, Cmd({0x21, 0x0F, 0x21, 0x73}), Cmd({0x21, 0x0F, 0x21, 0x73})},
      {"dpi level above 7 keeps that mode", none, Cmd({0x21, 0x0F, 0x82, 0x3F}),
       Cmd({0x21, 0x0F, 0x12, 0x31})},
      {"rate query", none, Cmd({0x22}), Cmd({0x22, 0x00, 0x33, 0x33})},
      {"rate set", none, Cmd({0x22, 0x0F, 0x10, 0x32}), Cmd({0x22, 0x0F, 0x10, 0x32})},
      {"rate index above 3 keeps that mode", none, Cmd({0x22, 0x0F, 0x40, 0x24}),
       Cmd({0x22, 0x0F, 0x30, 0x23})},
      {"version", none, Cmd({0x23}), Cmd({0x23, 0x01, 0xA0, 0x17, 0x44})},
      {"key status is the mouse's own", none, Cmd({0x24}), std::nullopt},
      {"unknown command", none, Cmd({0x25}), std::nullopt},
      {"other report id", none,
       [] {
         Report r = Cmd({0x23});
         r[0] = 0xB2;
         return r;
       }(),
       std::nullopt},
      {"flash read in normal mode", none, Read(0, 0), std::nullopt},
      {"flash write in normal mode", none, Write(0, 0, {0, 0, 0, 0}), std::nullopt},
      {"flash erase in normal mode", none, Erase(0), std::nullopt},
  };
  for (const AnswerCase& c : cases) {
    SCOPED_TRACE(c.name);
    SimulatedMouse mouse;
    c.setup(mouse);
    EXPECT_EQ(mouse.Execute(c.command), c.reply);
  }
}

TEST(SimulatedMouseFirmware, SetCommandsChangeTheStateOfEachMode) {
  SimulatedMouse mouse;
  mouse.Execute(Cmd({0x21, 0x0F, 0x21, 0x73}));  // DPI levels 1, 2, 3, 7
  mouse.Execute(Cmd({0x22, 0x0F, 0x10, 0x32}));  // rate indices 0, 1, 2, 3
  mouse.Execute(Cmd({0x20, 0x08, 0x03}));
  EXPECT_EQ(mouse.CurrentMode(), 3);
  const int levels[kModeCount] = {1, 2, 3, 7};
  for (int m = 0; m < kModeCount; ++m) {
    EXPECT_EQ(mouse.DpiLevel(m), levels[m]) << m;
    EXPECT_EQ(mouse.RateIndex(m), m) << m;
  }
  // The mode-info report shows the current mode's rate and DPI level.
  EXPECT_EQ(mouse.Execute(Cmd({0x20})), Cmd({0x20, 0, 0, 0x33, 0x70}));
  mouse.Execute(Cmd({0x20, 0x84}));
  EXPECT_TRUE(mouse.InTestMode());
  mouse.Execute(Cmd({0x20, 0x80}));
  EXPECT_FALSE(mouse.InTestMode());
}

TEST(SimulatedMouseFirmware, StateSettersRejectOutOfRangeValues) {
  SimulatedMouse mouse;
  EXPECT_FALSE(mouse.SetCurrentMode(4));
  EXPECT_FALSE(mouse.SetCurrentMode(-1));
  EXPECT_FALSE(mouse.SetDpiLevel(0, 8));
  EXPECT_FALSE(mouse.SetDpiLevel(4, 0));
  EXPECT_FALSE(mouse.SetRateIndex(0, 4));
  EXPECT_FALSE(mouse.SetFlashBlock(6, FlashBlock{}));
  EXPECT_FALSE(mouse.ChangeModeByButton(4, 0, 0));
  EXPECT_FALSE(mouse.ChangeModeByButton(1, 8, 0));
  EXPECT_FALSE(mouse.ChangeModeByButton(1, 0, 4));
  EXPECT_EQ(mouse.CurrentMode(), 0);
  EXPECT_EQ(mouse.DpiLevel(0), 1);
  EXPECT_EQ(mouse.RateIndex(0), 3);
  EXPECT_EQ(mouse.DpiLevel(4), -1);
}

// ---- Flash --------------------------------------------------------------------------------

struct FlashFirmware : ::testing::Test {
  FlashFirmware() { mouse.SetTestMode(true); }
  SimulatedMouse mouse;
};

TEST_F(FlashFirmware, WholeBlockRoundTripsThroughFourByteChunks) {
  FlashBlock data;
  for (size_t i = 0; i < data.size(); ++i) data[i] = static_cast<uint8_t>(i * 7 + 3);
  ASSERT_EQ(mouse.Execute(Erase(4)), Cmd({0x03, 0x01, 0x04}));
  for (unsigned off = 0; off < 256; off += 4) {
    const std::array<uint8_t, 4> d = {data[off], data[off + 1], data[off + 2], data[off + 3]};
    const std::optional<Report> reply = mouse.Execute(Write(4, static_cast<uint8_t>(off), d));
    ASSERT_TRUE(reply);
    EXPECT_NE((*reply)[2], 0);
    EXPECT_EQ(std::vector(reply->begin() + 4, reply->end()), std::vector(d.begin(), d.end()));
  }
  EXPECT_EQ(mouse.GetFlashBlock(4), data);
  FlashBlock readBack{};
  for (unsigned off = 0; off < 256; off += 4) {
    const std::optional<Report> reply = mouse.Execute(Read(4, static_cast<uint8_t>(off)));
    ASSERT_TRUE(reply);
    EXPECT_EQ((*reply)[2], off);
    std::copy(reply->begin() + 4, reply->end(), readBack.begin() + off);
  }
  EXPECT_EQ(readBack, data);
  // The other blocks were not touched.
  FlashBlock erased;
  erased.fill(0xFF);
  EXPECT_EQ(mouse.GetFlashBlock(3), erased);
  EXPECT_EQ(mouse.GetFlashBlock(5), erased);
}

TEST_F(FlashFirmware, WriteOnlyClearsBitsSoUnerasedCellsFailTheEcho) {
  FlashBlock block;
  block.fill(0x0F);
  mouse.SetFlashBlock(1, block);
  // Status says written, but the echo shows what the cells hold: 0x0F & 0xF0 = 0.
  EXPECT_EQ(mouse.Execute(Write(1, 8, {0xF0, 0xFF, 0x00, 0x3C})),
            Cmd({0x01, 0x01, 0x14, 0x00, 0x0F, 0x00, 0x0C}));
  // A second write over written cells ANDs again.
  mouse.Execute(Erase(1));
  mouse.Execute(Write(1, 0, {0xAA, 0xAA, 0xAA, 0xAA}));
  EXPECT_EQ(mouse.Execute(Write(1, 0, {0x55, 0xFF, 0x0F, 0xAA})),
            Cmd({0x01, 0x01, 0x14, 0x00, 0xAA, 0x0A, 0xAA}));
}

TEST_F(FlashFirmware, RefusesMalformedFlashCommands) {
  FlashBlock before;
  before.fill(0x5A);
  for (int b = 0; b < kFlashBlockCount; ++b) mouse.SetFlashBlock(b, before);
  struct Case {
    const char* name;
    Report command;
    std::optional<Report> reply;
  };
  const std::vector<Case> cases = {
      {"erase: wrong complement", Cmd({0x03, 0x02, 0xFC, 0x55, 0xAA, 0x55}), Cmd({0x03, 0, 0x02})},
      {"erase: wrong magic 1", Cmd({0x03, 0x02, 0xFD, 0x54, 0xAA, 0x55}), Cmd({0x03, 0, 0x02})},
      {"erase: wrong magic 2", Cmd({0x03, 0x02, 0xFD, 0x55, 0xAB, 0x55}), Cmd({0x03, 0, 0x02})},
      {"erase: wrong magic 3", Cmd({0x03, 0x02, 0xFD, 0x55, 0xAA, 0x00}), Cmd({0x03, 0, 0x02})},
      {"erase: block 6", Erase(6), Cmd({0x03, 0, 0x06})},
      {"write: block 6", Write(6, 0, {0, 0, 0, 0}), Cmd({0x01, 0, 0x64})},
      {"write: count 0", Write(0, 0, {0, 0, 0, 0}, 0), Cmd({0x01, 0, 0x00})},
      {"write: count 5", Write(0, 0, {0, 0, 0, 0}, 5), Cmd({0x01, 0, 0x05})},
      {"write: past the block end", Write(0, 253, {0, 0, 0, 0}), Cmd({0x01, 0, 0x04})},
      {"read: block 6", Read(6, 0), std::nullopt},
      {"read: count 0", Read(0, 0, 0), std::nullopt},
      {"read: count 5", Read(0, 0, 5), std::nullopt},
      {"read: past the block end", Read(0, 253, 4), std::nullopt},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    EXPECT_EQ(mouse.Execute(c.command), c.reply);
  }
  for (int b = 0; b < kFlashBlockCount; ++b) EXPECT_EQ(mouse.GetFlashBlock(b), before) << b;
}

TEST_F(FlashFirmware, ShortChunksAtTheBlockEnd) {
  FlashBlock block{};
  block[254] = 0x12;
  block[255] = 0x34;
  mouse.SetFlashBlock(0, block);
  EXPECT_EQ(mouse.Execute(Read(0, 254, 2)), Cmd({0x02, 254, 2, 0x12, 0x34}));
  mouse.Execute(Erase(0));
  EXPECT_EQ(mouse.Execute(Write(0, 255, {0x77, 0x66, 0x55, 0x44}, 1)),
            Cmd({0x01, 0x01, 0x01, 0x77}));
  EXPECT_EQ(mouse.GetFlashBlock(0)[254], 0xFF);
  EXPECT_EQ(mouse.GetFlashBlock(0)[255], 0x77);
}

// ---- Delivery, log and injection ----------------------------------------------------------

TEST_F(MouseWithHost, ReplyReachesTheHostBeforeTheWriteReturns) {
  EXPECT_EQ(mouse.ReceiveOutputReport(Cmd({0x23})), winerr::ERROR_SUCCESS);
  EXPECT_EQ(host.Reports(), std::vector<Bytes>{B({0xB3, 0x23, 0x01, 0xA0, 0x17, 0x44, 0, 0})});
}

TEST_F(MouseWithHost, LogsEveryReportReceivedAnsweredOrNot) {
  const std::vector<Report> sent = {Cmd({0x23}), Cmd({0x25, 1, 2}), Read(0, 0), Cmd({0x20, 0x84}),
                                    Read(0, 0)};
  for (const Report& r : sent) mouse.ReceiveOutputReport(r);
  EXPECT_EQ(mouse.CommandLog(), sent);
  EXPECT_EQ(host.Reports().size(), 3u);  // version, mode info, the read in test mode
  mouse.ClearCommandLog();
  EXPECT_TRUE(mouse.CommandLog().empty());
}

// A long session keeps only the latest commands, oldest first, and a cleared log starts afresh.
TEST_F(MouseWithHost, TheLogKeepsOnlyTheLatestCommands) {
  const auto numbered = [](size_t i) {
    return Cmd({0x25, static_cast<uint8_t>(i), static_cast<uint8_t>(i >> 8)});
  };
  const size_t extra = 10;
  for (size_t i = 0; i < kCommandLogCapacity + extra; ++i) mouse.ReceiveOutputReport(numbered(i));
  std::vector<Report> expected;
  for (size_t i = extra; i < kCommandLogCapacity + extra; ++i) expected.push_back(numbered(i));
  EXPECT_EQ(mouse.CommandLog(), expected);
  mouse.ClearCommandLog();
  mouse.ReceiveOutputReport(numbered(1));
  EXPECT_EQ(mouse.CommandLog(), std::vector<Report>{numbered(1)});
}

TEST_F(MouseWithHost, InjectedReportsCarryTheState) {
  mouse.InjectKeyStatus(0x0281);
  mouse.SetCurrentMode(1);
  mouse.SetDpiLevel(1, 6);
  mouse.SetRateIndex(1, 2);
  mouse.InjectModeInfo();
  const Bytes raw = {0xB3, 0x01, 0x09};
  mouse.InjectReport(raw);
  EXPECT_EQ(host.Reports(), (std::vector<Bytes>{B({0xB3, 0x24, 0x81, 0x02, 0, 0, 0, 0}),
                                                B({0xB3, 0x20, 0, 0, 0x12, 0x60, 0, 0}), raw}));
}

TEST_F(MouseWithHost, ReplyHookRunsRightAfterEachReply) {
  std::vector<uint8_t> hooked;
  mouse.SetReplyHook([&](uint8_t command) {
    hooked.push_back(command);
    if (command == CMD_DPI) mouse.InjectModeInfo();
  });
  mouse.ReceiveOutputReport(Cmd({0x21}));
  mouse.ReceiveOutputReport(Read(0, 0));  // normal mode: no reply, no hook
  mouse.ReceiveOutputReport(Cmd({0x23}));
  EXPECT_EQ(hooked, (std::vector<uint8_t>{CMD_DPI, CMD_VERSION}));
  const std::vector<Bytes> reports = host.Reports();
  ASSERT_EQ(reports.size(), 3u);
  EXPECT_EQ(reports[0][1], CMD_DPI);
  EXPECT_EQ(reports[1][1], CMD_MODE_INFO);
  EXPECT_EQ(reports[2][1], CMD_VERSION);
}

TEST_F(MouseWithHost, FaultsAlterOnlyTheReply) {
  const Bytes version = {0xB3, 0x23, 0x01, 0xA0, 0x17, 0x44, 0, 0};
  struct Case {
    const char* name;
    Fault fault;
    std::vector<Bytes> delivered;
  };
  std::vector<Case> cases = {
      {"no reply", {.kind = FaultKind::NoReply}, {}},
      {"wrong echo",
       {.kind = FaultKind::WrongEcho, .echo = 0x22},
       {B({0xB3, 0x22, 0x01, 0xA0, 0x17, 0x44, 0, 0})}},
      {"wrong report id",
       {.kind = FaultKind::WrongReportId, .reportId = 0xB4},
       {B({0xB4, 0x23, 0x01, 0xA0, 0x17, 0x44, 0, 0})}},
      {"short",
       {.kind = FaultKind::WrongLength, .length = 7},
       {B({0xB3, 0x23, 0x01, 0xA0, 0x17, 0x44, 0})}},
      {"long",
       {.kind = FaultKind::WrongLength, .length = 9},
       {B({0xB3, 0x23, 0x01, 0xA0, 0x17, 0x44, 0, 0, 0})}},
      {"wrong data",
       {.kind = FaultKind::WrongData, .patch = [](Report& r) { r[2] ^= 0xFF; }},
       {B({0xB3, 0x23, 0xFE, 0xA0, 0x17, 0x44, 0, 0})}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    SimulatedMouse m;
    RecordingHost h;
    m.AttachHost(&h);
    m.AddFault(c.fault);
    m.ReceiveOutputReport(Cmd({0x23}));
    EXPECT_EQ(h.Reports(), c.delivered);
    m.ReceiveOutputReport(Cmd({0x23}));  // the fault was used up
    ASSERT_FALSE(h.Reports().empty());
    EXPECT_EQ(h.Reports().back(), version);
    m.AttachHost(nullptr);
  }
  // The command is carried out even when its reply is lost.
  mouse.AddFault({.kind = FaultKind::NoReply});
  mouse.ReceiveOutputReport(Cmd({0x20, 0x08, 0x02}));
  EXPECT_TRUE(host.Reports().empty());
  EXPECT_EQ(mouse.CurrentMode(), 2);
}

TEST_F(MouseWithHost, FaultsCountCommandsAndFilterByCommandByte) {
  mouse.AddFault({.kind = FaultKind::NoReply, .count = 2});
  mouse.AddFault({.kind = FaultKind::NoReply, .count = Fault::kEveryCommand, .command = CMD_DPI});
  const std::vector<uint8_t> commands = {0x23, 0x21, 0x23, 0x21, 0x22, 0x21, 0x23};
  for (uint8_t c : commands) mouse.ReceiveOutputReport(Cmd({c}));
  std::vector<uint8_t> answered;
  for (const Bytes& r : host.Reports()) answered.push_back(r[1]);
  // The first two commands fall to the counted fault, every DPI command to the filtered one.
  EXPECT_EQ(answered, (std::vector<uint8_t>{0x23, 0x22, 0x23}));
  mouse.ClearFaults();
  mouse.ReceiveOutputReport(Cmd({0x21}));
  EXPECT_EQ(host.Reports().back()[1], CMD_DPI);
}

using std::chrono::milliseconds;

TEST_F(MouseWithHost, LateReplyComesAfterLaterReports) {
  mouse.AddFault({.kind = FaultKind::LateReply, .command = CMD_DPI, .delayMs = 30});
  const auto sent = std::chrono::steady_clock::now();
  mouse.ReceiveOutputReport(Cmd({0x21}));
  mouse.ReceiveOutputReport(Cmd({0x23}));
  ASSERT_TRUE(host.WaitForReports(2));
  const std::vector<Bytes> reports = host.Reports();
  EXPECT_EQ(reports[0][1], CMD_VERSION);
  EXPECT_EQ(reports[1][1], CMD_DPI);
  EXPECT_GE(host.Arrivals()[1] - sent, milliseconds(30));
}

TEST_F(MouseWithHost, LatencyDelaysEveryReportAndKeepsTheirOrder) {
  mouse.SetLatency(20);
  const auto sent = std::chrono::steady_clock::now();
  mouse.ReceiveOutputReport(Cmd({0x21}));
  mouse.InjectKeyStatus(0x0001);
  mouse.ReceiveOutputReport(Cmd({0x22}));
  mouse.InjectModeInfo();
  ASSERT_TRUE(host.WaitForReports(4));
  EXPECT_GE(host.Arrivals()[0] - sent, milliseconds(20));
  std::vector<uint8_t> order;
  for (const Bytes& r : host.Reports()) order.push_back(r[1]);
  EXPECT_EQ(order, (std::vector<uint8_t>{0x21, 0x24, 0x22, 0x20}));
}

TEST_F(MouseWithHost, DisconnectAtTheNthCommandAndReconnect) {
  mouse.DisconnectAtCommand(2);
  mouse.SetTestMode(true);
  EXPECT_EQ(mouse.ReceiveOutputReport(Cmd({0x23})), winerr::ERROR_SUCCESS);
  EXPECT_EQ(mouse.ReceiveOutputReport(Cmd({0x21})), winerr::ERROR_DEVICE_NOT_CONNECTED);
  EXPECT_EQ(mouse.ReceiveOutputReport(Cmd({0x22})), winerr::ERROR_DEVICE_NOT_CONNECTED);
  EXPECT_FALSE(mouse.IsConnected());
  EXPECT_EQ(host.Connections(), std::vector<bool>{false});
  EXPECT_EQ(mouse.CommandLog(), std::vector<Report>{Cmd({0x23})});
  mouse.InjectKeyStatus(1);  // nobody to hear it
  EXPECT_EQ(host.Reports().size(), 1u);

  mouse.Reconnect();
  EXPECT_EQ(host.Connections(), (std::vector<bool>{false, true}));
  EXPECT_FALSE(mouse.InTestMode());  // powered up in normal mode
  EXPECT_EQ(mouse.ReceiveOutputReport(Cmd({0x23})), winerr::ERROR_SUCCESS);
  EXPECT_EQ(host.Reports().size(), 2u);
}

TEST_F(MouseWithHost, UnpluggingDropsReportsStillOnTheirWay) {
  mouse.AddFault({.kind = FaultKind::LateReply, .delayMs = 20});
  mouse.ReceiveOutputReport(Cmd({0x23}));
  mouse.InjectKeyStatus(1, 20);
  mouse.Disconnect();
  mouse.Reconnect();
  mouse.InjectKeyStatus(2, 40);  // waits for the dropped ones to have been due
  ASSERT_TRUE(host.WaitForReports(1));
  EXPECT_EQ(host.Reports(), std::vector<Bytes>{B({0xB3, 0x24, 0x02, 0, 0, 0, 0, 0})});
}

}  // namespace
}  // namespace sim
