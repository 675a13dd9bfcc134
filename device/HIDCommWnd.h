#pragma once

#include <atomic>
#include <condition_variable>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <mutex>
#include <string>
#include <thread>

#include "device/StdHIDComm.h"
#include "platform/sys/MessageWindow.h"

namespace device {

// Adds a reader thread that hands every whole input report to OnReport, device-change
// notifications posted to a window, and the rule that opens or closes the device when such a
// notification arrives (OnDeviceChange, called by the window on its own thread).
//
// The reader thread reads on a second handle of its own, so a write never waits for a read.
// A class that overrides OnReport must call Close() in its own destructor when a reader
// thread may still run, since the thread calls OnReport until it is stopped.
class CHIDCommWnd : public CStdHIDComm {
 public:
  // `readTimeoutMs` bounds each read of the reader thread; after a failed read (not a
  // time-out) it waits `failedReadPauseMs` before reading again, so a device that vanished or
  // a reader that could not be opened does not keep a core busy.
  explicit CHIDCommWnd(hid::HidBackend* backend = nullptr, uint32_t readTimeoutMs = 1000,
                       uint32_t failedReadPauseMs = 100);
  ~CHIDCommWnd() override;

  using CHIDComm::Write;
  using CStdHIDComm::Open;

  // Stops the reader thread, unregisters and forgets the window, closes the device. The
  // device's Close result (1011 when it was closed).
  int Close() override;

  // Serialised on the device handle. A write that finds the device gone (1167) sends
  // WM_DEVICECHANGE (0, 0) to the notify window before it returns, so the window handles the
  // loss at once; the handler may close this object from inside that call.
  int Write(const uint8_t* data, size_t length, size_t* pTransferred, uint32_t timeoutMs) override;
  int Read(uint8_t* buffer, size_t length, size_t* pTransferred, uint32_t timeoutMs) override;

  // Open the device with its reader thread and make `hwnd` the window that receives device
  // notifications (and the messages of derived classes). The window stays set and registered
  // also when the device could not be opened, so it hears of a later arrival. -1 is returned
  // at once, before the window is set.
  virtual int OpenWithWindow(const std::string& path, sys::MessageWindow* hwnd);
  virtual int OpenWithWindow(uint16_t vendorId, uint16_t productId, sys::MessageWindow* hwnd,
                             uint16_t index);
  // Open the device with its reader thread, by path, by ids, or with the stored ids.
  virtual int OpenWithReader(const std::string& path);
  virtual int OpenWithReader(uint16_t vendorId, uint16_t productId, uint16_t index);
  virtual int OpenWithReader();
  // Stops the reader thread and closes the device; the window and its registration stay.
  virtual int CloseReader();

  // One whole input report (exactly the input report length), on the reader thread. The
  // buffer is reused for the next report.
  virtual bool OnReport(const uint8_t* buffer, size_t length);
  // Called by the window for every WM_DEVICECHANGE: reopens the stored device when it is
  // present, closed and a window is set; closes it when it is open and gone, or when its
  // handle was lost (then reopens it at once when it is back). Returns 1.
  virtual int OnDeviceChange(sys::WPARAM wParam, sys::LPARAM lParam);
  // True while the device is open on a handle that the reader found disconnected. Such a
  // handle stays dead even when the device comes back at the same path, which a removal and
  // an arrival handled together (a quick replug) would otherwise leave open.
  bool HandleLost() const { return handleLost_.load(); }

  // Watches for arrivals and removals; each one posts WM_DEVICECHANGE (0, 0) to the notify
  // window. False with last result 183 when already registered.
  bool RegisterNotification();
  sys::MessageWindow* GetNotifyWindow() const { return hNotifyWnd.load(); }
  // The open device's input report length; 0 with last result 6 when closed.
  size_t GetInputReportLength();

 protected:
  // The reader thread's body.
  virtual int ReaderLoop();

  std::thread hReaderThread;
  std::atomic<bool> running{false};  // the reader thread is to go on
  std::atomic<sys::MessageWindow*> hNotifyWnd{nullptr};
  std::unique_ptr<hid::HidWatcher> hDevNotify;
  std::recursive_mutex lock;  // serialises Write and Read on the device handle
  CHIDComm reader;            // the reader thread's own handle on the same path

 private:
  template <typename OpenDevice>
  int OpenWithReaderThread(OpenDevice openDevice, bool& threadFailed);
  void ResumeReader();
  void StopReaderThread();

  uint32_t readTimeoutMs_;
  uint32_t failedReadPauseMs_;
  // A new reader thread waits until it is resumed (or stopped), so that the window is set
  // before it delivers the first report; the stop also cuts short a pause after a failed read.
  std::mutex readerMutex_;
  std::condition_variable readerWake_;
  bool readerResumed_ = false;
  std::atomic<bool> handleLost_{false};
};

}  // namespace device
