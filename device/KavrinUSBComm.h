#pragma once

#include <array>
#include <atomic>
#include <cstddef>
#include <cstdint>
#include <mutex>
#include <string>

#include "device/DeviceCommand.h"
#include "device/HIDCommMFC.h"
#include "platform/sys/AutoResetEvent.h"

namespace device {

// The mouse's command protocol: finds the mouse's vendor collection by its capabilities, sends
// one 8-byte command at a time and waits for its echoed reply, reads and writes the flash in
// 4-byte chunks, and parses every input report on the reader thread. Reports that no command
// awaits become "MODEDPICHANGE_MSG" (the mouse changed its mode or DPI level by itself) and
// "KEYSTATUS_MSG" (wParam = button state), posted to the notify window.
//
// Commands come from one thread at a time and return 1 or 0; 0 without sending anything while
// the device is closed or another command is in flight. There is no retry. A flash-read reply
// of another offset or a flash-write reply of other data is a late reply to an earlier command:
// it is dropped and the command goes on waiting within its time-out.
class CKavrinUSBComm : public CHIDCommMFC {
 public:
  // `replyTimeoutMs` bounds each command's write and its wait for the reply.
  explicit CKavrinUSBComm(hid::HidBackend* backend = nullptr, uint32_t replyTimeoutMs = 1000,
                          uint32_t readTimeoutMs = 1000);
  ~CKavrinUSBComm() override;

  using CHIDCommMFC::Open;
  // As the transport's Open; when the mouse's own interface is refused for lack of
  // permission, also says so once on standard error.
  int Open(const std::string& path) override;

  // The first interface with the mouse's vendor-collection capabilities (any ids).
  bool FindMouseDevice(std::string& out);

  int GetModeInfo();
  int GetDeviceVersion();
  // Succeed when the reply echoes b in byte 3 or c in byte 4.
  int SetDpi(uint8_t a, uint8_t b, uint8_t c);
  int GetDpi();
  int SetReportRate(uint8_t a, uint8_t b, uint8_t c);
  int GetReportRate();
  // Selects mode m (0-3).
  int SetCustomMode(uint8_t m);
  // t = 1: the controller's test mode (flash access); t = 0: normal mode.
  int SetMcuMode(int t);
  int EraseFlash(uint8_t block);
  // Refused when offset is not a multiple of 4 or offset + count is above 256.
  int WriteFlash(uint8_t block, size_t offset, size_t count, const uint8_t* data);
  // Refused when offset + count is above 256.
  int ReadFlash(uint8_t block, size_t offset, size_t count, uint8_t* out);

  // Values of the last reports parsed; 0 until the first.
  int GetCurrentMode() const;
  int GetCurrentDpiIndex() const;
  int GetCurrentRateIndex() const;
  uint32_t GetVersionBytes() const;
  int GetDpiAndRate(uint8_t outDpi[4], uint8_t outRate[4]) const;

  bool OnReport(const uint8_t* buffer, size_t length) override;
  // Finds the mouse by its capabilities (not by the stored ids, which other collections and
  // nodes of the same mouse share): reopens it when it is present, closed and a window is set;
  // closes it when it is gone; follows it when it reappeared at another path. Returns 1.
  int OnDeviceChange(sys::WPARAM wParam, sys::LPARAM lParam) override;

 protected:
  using Bytes = std::array<uint8_t, 7>;  // report bytes 1 to 7

  // Sends one command and waits for the reply with the command byte `awaited`; `got` is the
  // reply's bytes 1 to 7. The caller holds busy.
  bool Exchange(const Bytes& bytes, uint8_t awaited, Bytes& got);
  // A whole command: refusals, busy, Exchange, then `accept` on the reply.
  template <typename Accept>
  int Command(const Bytes& bytes, uint8_t awaited, Accept accept);
  bool BeginCommand();
  void EndCommand() { busy = false; }
  void AcceptReplyLocked(const uint8_t* report);
  // False for a flash reply whose own echo shows it answers another request than the command
  // in flight (a read of another offset, a write of other data): a late reply to an earlier
  // command. Other replies carry nothing that names their request.
  bool AnswersCommandLocked(const uint8_t* report) const;

  std::atomic<bool> busy{false};
  // Guards the fields below that the parser writes: "is a reply awaited" and "take it" are
  // one step on either side.
  mutable std::mutex replyLock;
  int replied = 0;
  sys::AutoResetEvent hReplyEvent;
  int expectedReply = 0;  // command byte whose reply is awaited; 0 none
  Bytes command{};
  Bytes reply{};  // bytes 1 to 7 of the last awaited reply
  uint32_t deviceId = 0;
  int currentRateIndex = 0;
  int currentDpiIndex = 0;
  int currentMode = 0;
  uint8_t dpiLevel[4] = {};
  uint8_t rateIndex[4] = {};
  uint16_t keyStatus = 0;

 private:
  uint32_t replyTimeoutMs_;
  uint32_t modeDpiChangeMsg_;
  uint32_t keyStatusMsg_;
};

}  // namespace device
