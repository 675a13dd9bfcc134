#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>

#include "device/HidDeviceInfo.h"
#include "platform/hid/HidBackend.h"

namespace device {

// Owns one HID interface: reads its attributes and caps, opens it, and writes and reads single
// reports with a time-out. Every operation that can fail returns 0 or a Windows error code and
// also keeps it as the last result.
//
// The backend's timed I/O takes the place of overlapped I/O with an event of the object's own;
// a caller-supplied OVERLAPPED was never used, so the transfer functions have no such
// parameter.
class CHIDComm {
 public:
  // `backend` null: hid::DefaultBackend(), looked up at each use.
  explicit CHIDComm(hid::HidBackend* backend = nullptr);
  virtual ~CHIDComm();
  CHIDComm(const CHIDComm&) = delete;
  CHIDComm& operator=(const CHIDComm&) = delete;

  // 0; 1247 when already open; 8 when the interface's information cannot be read; or the
  // backend's code of the failed open (2, 5, ...). Reads when the interface has input reports,
  // writes when it has output reports.
  virtual int Open(const std::string& path);
  // 0; 1011 when closed.
  virtual int Close();

  // Sends the bytes of a zero-terminated string.
  virtual int Write(const char* text, size_t* pTransferred, uint32_t timeoutMs);
  // 0; 6 when closed; 1460 when not done within `timeoutMs`; otherwise the backend's code.
  // `pTransferred` may be null.
  virtual int Write(const uint8_t* data, size_t length, size_t* pTransferred, uint32_t timeoutMs);
  virtual int Read(uint8_t* buffer, size_t length, size_t* pTransferred, uint32_t timeoutMs);

  // Of the open interface; false with last result 6 when closed.
  virtual bool GetDeviceInfo(HidDeviceInfo& out);
  // Of any interface, without opening it for I/O; leaves the last result alone.
  virtual bool GetDeviceInfo(const std::string& path, HidDeviceInfo& out);

  // report = reportId, then the bytes; 1382 (report untouched) for more than 254 bytes.
  virtual int BuildReport(const char* text, HidReport& report, uint8_t reportId);
  virtual int BuildReport(const uint8_t* data, size_t length, HidReport& report, uint8_t reportId);
  virtual int BuildReport(const char* text, HidReport& report);
  virtual int BuildReport(const uint8_t* data, size_t length, HidReport& report);
  // report = the bytes as they stand; 1382 (report untouched) for 256 bytes or more.
  virtual int CopyReport(const char* text, HidReport& report);
  virtual int CopyReport(const uint8_t* data, size_t length, HidReport& report);

  bool IsOpen() const { return hDevice != nullptr; }
  int GetLastResult() const { return lastResult; }

  // Wakes a Read or Write blocked on another thread; it and later transfers on this handle
  // fail with 995 until the interface is closed and opened again.
  void CancelPendingIo();

 protected:
  hid::HidBackend& Backend() const;

  int lastResult = 0;
  std::unique_ptr<hid::HidDevice> hDevice;
  std::string path;  // the interface path that was opened
  HidDeviceInfo info;

 private:
  hid::HidBackend* backend_;
};

}  // namespace device
