#include "device/KavrinUSBComm.h"

#include <algorithm>
#include <cstring>
#include <vector>

#include "device/AccessNotice.h"
#include "device/MouseCapabilities.h"
#include "platform/sys/WinError.h"

namespace device {

namespace {

constexpr size_t kReportLength = 8;
constexpr size_t kFlashBlockSize = 256;
constexpr size_t kChunk = 4;

// `n` is a report byte number (1-7); the arrays hold bytes 1 to 7.
inline uint8_t Byte(const std::array<uint8_t, 7>& bytes, int n) { return bytes[n - 1]; }

bool EchoesEither(const std::array<uint8_t, 7>& got, uint8_t b, uint8_t c) {
  return Byte(got, 3) == b || Byte(got, 4) == c;
}

}  // namespace

CKavrinUSBComm::CKavrinUSBComm(hid::HidBackend* backend, uint32_t replyTimeoutMs,
                               uint32_t readTimeoutMs)
    : CHIDCommMFC(backend, readTimeoutMs),
      replyTimeoutMs_(replyTimeoutMs),
      modeDpiChangeMsg_(sys::RegisterWindowMessage(u"MODEDPICHANGE_MSG")),
      keyStatusMsg_(sys::RegisterWindowMessage(u"KEYSTATUS_MSG")) {}

CKavrinUSBComm::~CKavrinUSBComm() {
  // The reader thread calls this class's OnReport: stop it while the fields still exist.
  if (hReaderThread.joinable() || hDevNotify != nullptr) Close();
}

int CKavrinUSBComm::Open(const std::string& devicePath) {
  const int result = CHIDCommMFC::Open(devicePath);
  if (result == winerr::ERROR_ACCESS_DENIED) {
    HidDeviceInfo d;
    if (GetDeviceInfo(devicePath, d) &&
        IsMouseVendorCollection(d.attributes, d.caps, d.outputValueCaps[0].ReportID)) {
      ReportMouseAccessDenied(devicePath);
    }
  }
  return result;
}

bool CKavrinUSBComm::FindMouseDevice(std::string& out) {
  std::vector<std::string> paths;
  if (Backend().Enumerate(paths) != winerr::ERROR_SUCCESS) return false;
  for (const std::string& candidate : paths) {
    HidDeviceInfo d;
    if (!GetDeviceInfo(candidate, d)) continue;
    if (IsMouseVendorCollection(d.attributes, d.caps, d.outputValueCaps[0].ReportID)) {
      out = candidate;
      return true;
    }
  }
  return false;
}

bool CKavrinUSBComm::BeginCommand() {
  if (!IsOpen()) return false;
  return !busy.exchange(true);
}

bool CKavrinUSBComm::Exchange(const Bytes& bytes, uint8_t awaited, Bytes& got) {
  HidReport report;
  BuildReport(bytes.data(), bytes.size(), report, MOUSE_REPORT_ID);
  {
    // A reply that came after an earlier command gave up may have left the event signalled.
    // The parser reads `command` to tell a flash reply to this command from a stale one.
    std::lock_guard<std::mutex> guard(replyLock);
    command = bytes;
    expectedReply = awaited;
    replied = 0;
    hReplyEvent.Reset();
  }
  if (Write(report.data, static_cast<size_t>(report.length), nullptr, replyTimeoutMs_) !=
      winerr::ERROR_SUCCESS) {
    std::lock_guard<std::mutex> guard(replyLock);
    expectedReply = 0;
    return false;
  }
  hReplyEvent.Wait(replyTimeoutMs_);
  std::lock_guard<std::mutex> guard(replyLock);
  const bool ok = replied == 1;
  expectedReply = 0;
  got = reply;
  return ok;
}

template <typename Accept>
int CKavrinUSBComm::Command(const Bytes& bytes, uint8_t awaited, Accept accept) {
  if (!BeginCommand()) return 0;
  Bytes got{};
  const bool ok = Exchange(bytes, awaited, got) && accept(got);
  EndCommand();
  return ok ? 1 : 0;
}

int CKavrinUSBComm::GetModeInfo() {
  return Command({CMD_MODE_INFO, 0, 0, 0, 0, 0, 0}, CMD_MODE_INFO,
                 [](const Bytes&) { return true; });
}

int CKavrinUSBComm::GetDeviceVersion() {
  return Command({CMD_VERSION, 0, 0, 0, 0, 0, 0}, CMD_VERSION, [](const Bytes&) { return true; });
}

int CKavrinUSBComm::SetDpi(uint8_t a, uint8_t b, uint8_t c) {
  return Command({CMD_DPI, a, b, c, 0, 0, 0}, CMD_DPI,
                 [&](const Bytes& got) { return EchoesEither(got, b, c); });
}

int CKavrinUSBComm::GetDpi() {
  return Command({CMD_DPI, 0, 0, 0, 0, 0, 0}, CMD_DPI, [](const Bytes&) { return true; });
}

int CKavrinUSBComm::SetReportRate(uint8_t a, uint8_t b, uint8_t c) {
  return Command({CMD_REPORT_RATE, a, b, c, 0, 0, 0}, CMD_REPORT_RATE,
                 [&](const Bytes& got) { return EchoesEither(got, b, c); });
}

int CKavrinUSBComm::GetReportRate() {
  return Command({CMD_REPORT_RATE, 0, 0, 0, 0, 0, 0}, CMD_REPORT_RATE,
                 [](const Bytes&) { return true; });
}

int CKavrinUSBComm::SetCustomMode(uint8_t m) {
  return Command({CMD_MODE_INFO, 0x08, m, 0, 0, 0, 0}, CMD_MODE_INFO,
                 [&](const Bytes& got) { return ((Byte(got, 4) >> 4) & 3) == m; });
}

int CKavrinUSBComm::SetMcuMode(int t) {
  const uint8_t test = t != 0 ? 1 : 0;
  return Command({CMD_MODE_INFO, static_cast<uint8_t>(test ? 0x84 : 0x80), 0, 0, 0, 0, 0},
                 CMD_MODE_INFO, [&](const Bytes& got) { return (Byte(got, 4) >> 7) == test; });
}

int CKavrinUSBComm::EraseFlash(uint8_t block) {
  return Command({CMD_FLASH_ERASE, block, static_cast<uint8_t>(~block), 0x55, 0xAA, 0x55, 0},
                 CMD_FLASH_ERASE, [](const Bytes& got) { return Byte(got, 2) != 0; });
}

int CKavrinUSBComm::WriteFlash(uint8_t block, size_t offset, size_t count, const uint8_t* data) {
  if (offset % kChunk != 0 || offset > kFlashBlockSize || count > kFlashBlockSize - offset) {
    return 0;
  }
  if (count != 0 && data == nullptr) return 0;
  if (!BeginCommand()) return 0;
  bool ok = true;
  for (size_t i = 0; ok && i < count; i += kChunk) {
    const size_t k = std::min(kChunk, count - i);
    // A short last chunk carries only the bytes that exist; the rest stay 0.
    Bytes bytes{CMD_FLASH_WRITE,
                static_cast<uint8_t>(offset + i),
                static_cast<uint8_t>((block << 4) | k),
                0,
                0,
                0,
                0};
    std::memcpy(bytes.data() + 3, data + i, k);
    Bytes got{};
    ok = Exchange(bytes, CMD_FLASH_WRITE, got) && Byte(got, 2) != 0 &&
         std::memcmp(got.data() + 3, data + i, k) == 0;
  }
  EndCommand();
  return ok ? 1 : 0;
}

int CKavrinUSBComm::ReadFlash(uint8_t block, size_t offset, size_t count, uint8_t* out) {
  if (offset > kFlashBlockSize || count > kFlashBlockSize - offset) return 0;
  if (count != 0 && out == nullptr) return 0;
  if (!BeginCommand()) return 0;
  bool ok = true;
  for (size_t i = 0; ok && i < count; i += kChunk) {
    const size_t k = std::min(kChunk, count - i);
    const auto at = static_cast<uint8_t>(offset + i);
    Bytes got{};
    ok = Exchange({CMD_FLASH_READ, at, static_cast<uint8_t>(k), block, 0, 0, 0}, CMD_FLASH_READ,
                  got) &&
         Byte(got, 2) == at;
    if (ok) std::memcpy(out + i, got.data() + 3, k);
  }
  EndCommand();
  return ok ? 1 : 0;
}

int CKavrinUSBComm::GetCurrentMode() const {
  std::lock_guard<std::mutex> guard(replyLock);
  return currentMode;
}

int CKavrinUSBComm::GetCurrentDpiIndex() const {
  std::lock_guard<std::mutex> guard(replyLock);
  return currentDpiIndex;
}

int CKavrinUSBComm::GetCurrentRateIndex() const {
  std::lock_guard<std::mutex> guard(replyLock);
  return currentRateIndex;
}

uint32_t CKavrinUSBComm::GetVersionBytes() const {
  std::lock_guard<std::mutex> guard(replyLock);
  return deviceId;
}

int CKavrinUSBComm::GetDpiAndRate(uint8_t outDpi[4], uint8_t outRate[4]) const {
  std::lock_guard<std::mutex> guard(replyLock);
  std::memcpy(outDpi, dpiLevel, sizeof(dpiLevel));
  std::memcpy(outRate, rateIndex, sizeof(rateIndex));
  return 1;
}

bool CKavrinUSBComm::AnswersCommandLocked(const uint8_t* report) const {
  switch (report[1]) {
    case CMD_FLASH_READ:
      // A read reply repeats the offset it was read from.
      return report[2] == Byte(command, 2);
    case CMD_FLASH_WRITE: {
      // A write reply repeats the chunk's data bytes (k of them) from byte 4 on.
      const size_t k = std::min<size_t>(Byte(command, 3) & 0x0F, kChunk);
      return std::memcmp(report + 4, command.data() + 3, k) == 0;
    }
    default:
      return true;
  }
}

void CKavrinUSBComm::AcceptReplyLocked(const uint8_t* report) {
  replied = 1;
  std::copy_n(report + 1, reply.size(), reply.begin());
  hReplyEvent.Set();
}

bool CKavrinUSBComm::OnReport(const uint8_t* b, size_t length) {
  if (length != kReportLength || b[0] != MOUSE_REPORT_ID) return true;
  uint32_t message = 0;
  sys::WPARAM wParam = 0;
  {
    std::lock_guard<std::mutex> guard(replyLock);
    const bool awaited = expectedReply == b[1];
    switch (b[1]) {
      case CMD_FLASH_WRITE:
      case CMD_FLASH_READ:
        // A reply to an earlier transfer that gave up is dropped; the command in flight goes
        // on waiting for its own.
        if (awaited && AnswersCommandLocked(b)) AcceptReplyLocked(b);
        break;
      case CMD_FLASH_ERASE:
        if (awaited) AcceptReplyLocked(b);
        break;
      case CMD_MODE_INFO:
        currentRateIndex = b[4] & 3;
        currentMode = (b[4] >> 4) & 3;
        currentDpiIndex = (b[5] >> 4) & 7;
        if (awaited) {
          AcceptReplyLocked(b);
        } else {
          message = modeDpiChangeMsg_;
        }
        break;
      case CMD_DPI:
      case CMD_REPORT_RATE:
        if (awaited) {
          uint8_t* modes = b[1] == CMD_DPI ? dpiLevel : rateIndex;
          modes[0] = b[3] & 0x0F;
          modes[1] = b[3] >> 4;
          modes[2] = b[4] & 0x0F;
          modes[3] = b[4] >> 4;
          AcceptReplyLocked(b);
        }
        break;
      case CMD_VERSION:
        deviceId = static_cast<uint32_t>(b[2]) | static_cast<uint32_t>(b[3]) << 8 |
                   static_cast<uint32_t>(b[4]) << 16 | static_cast<uint32_t>(b[5]) << 24;
        if (awaited) AcceptReplyLocked(b);
        break;
      case CMD_KEY_STATUS:
        keyStatus = static_cast<uint16_t>(b[3] << 8 | b[2]);
        message = keyStatusMsg_;
        wParam = keyStatus;
        break;
      default:
        break;
    }
  }
  if (message != 0) {
    if (sys::MessageWindow* window = GetNotifyWindow()) window->PostMessage(message, wParam, 0);
  }
  return true;
}

int CKavrinUSBComm::OnDeviceChange(sys::WPARAM, sys::LPARAM) {
  std::string found;
  const bool present = FindMouseDevice(found);
  // After an unplug and replug handled late, the mouse may be back, at another node or at the
  // same one, while the old handle is still open: treat that as its removal followed by its
  // arrival.
  if (IsOpen() && (!present || found != path || HandleLost())) CloseReader();
  if (present && !IsOpen() && GetNotifyWindow() != nullptr) OpenWithReader(found);
  return 1;
}

}  // namespace device
