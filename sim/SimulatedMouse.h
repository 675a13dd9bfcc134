#pragma once

#include <array>
#include <chrono>
#include <condition_variable>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <mutex>
#include <optional>
#include <span>
#include <thread>
#include <vector>

// A model of the mouse's firmware and flash, answering the mouse's 8-byte command reports as the
// real controller does. Thread-safe: commands arrive on the writer's thread, tests drive and
// query it from theirs, and delayed reports leave from a delivery thread of its own.
//
// Reports are 8 bytes, byte 0 the report id 0xB3, byte 1 the command byte; a reply repeats the
// command byte it answers. Bytes not named below are 0 in every reply.
//
//  command (bytes 1-7)          reply
//  01 off (blk<<4|k) d0..d3     flash write, test mode only: 01 st (blk<<4|k) s0..s3
//                               st = 1 when carried out, 0 when refused (block above 5, k not
//                               1-4, off + k above 256); s = the k bytes as now stored
//                               (flash &= data, so a write over unerased bits echoes other data)
//  02 off k blk                 flash read, test mode only: 02 off k f0..f(k-1), the k bytes
//                               at off; a block above 5, k not 1-4 or off + k above 256: no reply
//  03 blk ~blk 55 AA 55         flash erase, test mode only: 03 st blk; st = 1 and the block
//                               is all 0xFF, or st = 0 (bad block, complement or magic)
//  20 00                        mode info: 20 00 00 b4 b5 with
//                               b4 = rateIndex[mode] | mode << 4 | test << 7, b5 = dpi[mode] << 4
//  20 08 m                      set the current mode (m 0-3, else unchanged), then as 20 00
//  20 84 / 20 80                controller to test / normal mode, then as 20 00
//  21 a b c                     DPI levels: a = 0x0F sets them from the nibbles of b and c (b low
//                               mode 0, b high mode 1, c low mode 2, c high mode 3; a level above
//                               7 leaves that mode's level as it was), any other a only asks;
//                               reply 21 a b' c' with the levels as now stored, packed alike
//  22 a b c                     report-rate indices, as 21 with indices 0-3
//  23                           version: 23 id0 id1 id2 id3 (the device id, little-endian)
// Flash commands in normal mode, other command bytes (also 24) and reports whose byte 0 is not
// 0xB3 get no reply. Unsolicited reports: 24 lo hi (button state, bit b = button b held) and
// the mode-info report above.
namespace sim {

inline constexpr uint8_t kReportId = 0xB3;
inline constexpr size_t kReportLength = 8;
inline constexpr int kFlashBlockCount = 6;
inline constexpr size_t kFlashBlockSize = 256;
inline constexpr int kModeCount = 4;
// The command log keeps this many of the latest output reports (a whole Apply of all six blocks
// takes fewer than 800), so that a long session does not grow it.
inline constexpr size_t kCommandLogCapacity = 4096;

// The device id that the version report carries unless configured otherwise; it is the
// "ProductID" of the default skin.
inline constexpr uint32_t kDefaultDeviceId = 0x4417A001;

inline constexpr uint8_t CMD_FLASH_WRITE = 0x01;
inline constexpr uint8_t CMD_FLASH_READ = 0x02;
inline constexpr uint8_t CMD_FLASH_ERASE = 0x03;
inline constexpr uint8_t CMD_MODE_INFO = 0x20;
inline constexpr uint8_t CMD_DPI = 0x21;
inline constexpr uint8_t CMD_REPORT_RATE = 0x22;
inline constexpr uint8_t CMD_VERSION = 0x23;
inline constexpr uint8_t CMD_KEY_STATUS = 0x24;

using Report = std::array<uint8_t, kReportLength>;
using FlashBlock = std::array<uint8_t, kFlashBlockSize>;

// What can go wrong with the reply to a command. The firmware still carries the command out;
// only its reply is lost or altered.
enum class FaultKind {
  NoReply,        // the reply is never sent
  LateReply,      // the reply leaves `delayMs` later than it would
  WrongEcho,      // byte 1 of the reply is `echo` instead of the command byte
  WrongReportId,  // byte 0 of the reply is `reportId` instead of 0xB3
  WrongLength,    // the reply is `length` bytes long (cut short or padded with zeros); a
                  // reader's 8-byte buffer cuts a longer one to 8, as hidraw does
  WrongData,      // `patch` edits the reply's bytes before it is sent
};

struct Fault {
  FaultKind kind = FaultKind::NoReply;
  int count = 1;                         // matching commands; kEveryCommand = until cleared
  std::optional<uint8_t> command{};      // only commands with this byte 1; any when empty
  uint32_t delayMs = 0;                  // LateReply
  uint8_t echo = 0x00;                   // WrongEcho
  uint8_t reportId = 0x00;               // WrongReportId
  size_t length = kReportLength - 1;     // WrongLength
  std::function<void(Report&)> patch{};  // WrongData
  static constexpr int kEveryCommand = -1;
};

class SimulatedMouse {
 public:
  // The side of the USB link that receives the mouse's input reports (the HID backend).
  class Host {
   public:
    virtual ~Host() = default;
    // One input report as the mouse sent it (normally 8 bytes). Calls are serialised.
    virtual void DeliverInputReport(std::span<const uint8_t> report) = 0;
    // The mouse was unplugged (false) or plugged in again (true).
    virtual void ConnectionChanged(bool connected) = 0;
  };

  // What the mouse keeps while unplugged: the flash, the DPI level and report-rate index of each
  // mode, and the current mode.
  struct PersistentState {
    std::array<FlashBlock, kFlashBlockCount> flash{};
    std::array<int, kModeCount> dpiLevel{};   // 0-7
    std::array<int, kModeCount> rateIndex{};  // 0-3
    int currentMode = 0;                      // 0-3
  };

  // Runs after every call that changed the persistent state, on the calling thread and outside
  // the mouse's lock, with the state right after the change and its serial number, which grows
  // with every change. Two changes on two threads may report out of order (or both report the
  // later state); the serial lets the observer keep only the newest.
  using StateObserver = std::function<void(const PersistentState& state, uint64_t serial)>;

  // Runs after the reply to a command was handed to the host (on the thread that delivered
  // it, before any later report), with the command byte; a report injected from here arrives
  // right behind the reply. Not called for commands that get no reply.
  using ReplyHook = std::function<void(uint8_t command)>;

  // A new mouse: flash erased (0xFF), connected, controller in normal mode, mode 0, DPI level 1
  // and report-rate index 3 (1000 Hz) in every mode.
  explicit SimulatedMouse(uint32_t deviceId = kDefaultDeviceId);
  ~SimulatedMouse();
  SimulatedMouse(const SimulatedMouse&) = delete;
  SimulatedMouse& operator=(const SimulatedMouse&) = delete;

  // Connects the host that receives the input reports; null detaches it. Returns only when no
  // call into the previous host is running any more.
  void AttachHost(Host* host);

  // One output report from the host. 0 when the mouse took it (it is logged, carried out and
  // answered as above); ERROR_DEVICE_NOT_CONNECTED while unplugged, or when this is the command
  // at which a disconnect was scheduled (the mouse is then unplugged before it reads it).
  int ReceiveOutputReport(const Report& report);

  // The firmware alone: carries out one command and gives its reply, with no faults, log,
  // latency or delivery. Empty when the firmware does not answer it.
  std::optional<Report> Execute(const Report& command);

  // --- State, for tests ------------------------------------------------------------------
  FlashBlock GetFlashBlock(int block) const;  // block 0-5; all 0xFF for any other
  bool SetFlashBlock(int block, const FlashBlock& data);
  bool InTestMode() const;
  void SetTestMode(bool test);
  uint32_t DeviceId() const;
  void SetDeviceId(uint32_t id);
  int CurrentMode() const;
  bool SetCurrentMode(int mode);  // 0-3
  int DpiLevel(int mode) const;   // 0-7; -1 for a bad mode
  bool SetDpiLevel(int mode, int level);
  int RateIndex(int mode) const;  // 0-3; -1 for a bad mode
  bool SetRateIndex(int mode, int index);

  // The whole persistent state at once. Set refuses (false, nothing changed) a state with a
  // value out of range.
  PersistentState GetPersistentState() const;
  bool SetPersistentState(const PersistentState& state);
  // Null detaches the observer; a call already under way may still finish.
  void SetStateObserver(StateObserver observer);

  // The last kCommandLogCapacity output reports received while connected, oldest first.
  std::vector<Report> CommandLog() const;
  void ClearCommandLog();

  // --- Unsolicited reports ---------------------------------------------------------------
  // Sent `delayMs` from now (plus the latency); dropped while unplugged.
  void InjectKeyStatus(uint16_t state, uint32_t delayMs = 0);
  // The mode-info report of the current state, as when the mouse changed mode or DPI itself.
  void InjectModeInfo(uint32_t delayMs = 0);
  // What the mouse's own mode button does: mode `mode` becomes the current one with DPI level
  // `level` and report-rate index `rate`, in one change of the persistent state, and the
  // mode-info report goes out. False, with nothing changed or sent, for a value out of range.
  bool ChangeModeByButton(int mode, int level, int rate);
  // Any bytes, as they stand (also of another length or report id).
  void InjectReport(std::span<const uint8_t> bytes, uint32_t delayMs = 0);
  void SetReplyHook(ReplyHook hook);

  // --- Timing and faults -----------------------------------------------------------------
  // Every input report leaves `ms` after it was produced (0, the default: at once, on the
  // thread that produced it, so a reply reaches the host before the host's write returns),
  // within microseconds of its time (see PreciseWait.h).
  void SetLatency(uint32_t ms);
  // Every report received counts against the first fault that matches its command byte; a
  // fault is gone once its count is used up.
  void AddFault(Fault fault);
  void ClearFaults();

  // Unplugs the mouse when the `n`-th command from now arrives (1 = the next one): that write
  // and every later one fail with ERROR_DEVICE_NOT_CONNECTED. 0 cancels.
  void DisconnectAtCommand(int n);
  void Disconnect();
  // Plugs it in again; the controller starts in normal mode, flash and settings are kept.
  void Reconnect();
  bool IsConnected() const;

 private:
  struct Pending {
    std::chrono::steady_clock::time_point due;
    uint64_t sequence;
    std::vector<uint8_t> bytes;
    bool isReply;
    uint8_t command;
  };

  std::optional<Report> ExecuteLocked(const Report& command);
  Report ModeInfoLocked() const;
  PersistentState PersistentStateLocked() const;
  // Tells the observer about the state when it changed since serial `before`.
  void NotifyStateChange(uint64_t before);
  // Hands a report to the host now (no extra delay, no latency) or queues it for later.
  void Send(std::vector<uint8_t> bytes, uint32_t delayMs, bool isReply, uint8_t command);
  void DeliverNow(const std::vector<uint8_t>& bytes, bool isReply, uint8_t command);
  void NotifyHost(bool connected);
  void DeliveryLoop();

  mutable std::mutex mutex_;  // the firmware state, faults, log and the pending queue
  std::array<FlashBlock, kFlashBlockCount> flash_{};
  bool testMode_ = false;
  uint32_t deviceId_;
  int currentMode_ = 0;
  std::array<int, kModeCount> dpiLevel_{};
  std::array<int, kModeCount> rateIndex_{};
  std::vector<Report> log_;  // a ring once full: logStart_ is the oldest entry
  size_t logStart_ = 0;
  std::vector<Fault> faults_;
  uint32_t latencyMs_ = 0;
  int disconnectCountdown_ = 0;
  bool connected_ = true;
  ReplyHook replyHook_;
  uint64_t stateSerial_ = 0;  // counts the changes of the persistent state
  StateObserver stateObserver_;

  std::vector<Pending> pending_;  // delayed reports, a heap ordered by (due, sequence)
  uint64_t nextSequence_ = 0;
  bool stopping_ = false;
  std::condition_variable pendingChanged_;

  std::recursive_mutex hostMutex_;  // serialises calls into the host; held while they run
  Host* host_ = nullptr;

  std::thread deliveryThread_;
};

}  // namespace sim
