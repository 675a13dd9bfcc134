#include "device/HIDCommWnd.h"

#include <algorithm>
#include <chrono>
#include <system_error>
#include <vector>

#include "platform/sys/WinError.h"

namespace device {

CHIDCommWnd::CHIDCommWnd(hid::HidBackend* backend, uint32_t readTimeoutMs,
                         uint32_t failedReadPauseMs)
    : CStdHIDComm(backend),
      reader(backend),
      readTimeoutMs_(readTimeoutMs),
      failedReadPauseMs_(failedReadPauseMs) {}

CHIDCommWnd::~CHIDCommWnd() {
  if (hReaderThread.joinable() || hDevNotify != nullptr) CHIDCommWnd::Close();
}

size_t CHIDCommWnd::GetInputReportLength() {
  if (!IsOpen()) {
    lastResult = winerr::ERROR_INVALID_HANDLE;
    return 0;
  }
  return info.caps.InputReportByteLength;
}

int CHIDCommWnd::Write(const uint8_t* data, size_t length, size_t* pTransferred,
                       uint32_t timeoutMs) {
  std::lock_guard<std::recursive_mutex> guard(lock);
  const int result = CHIDComm::Write(data, length, pTransferred, timeoutMs);
  if (result == winerr::ERROR_DEVICE_NOT_CONNECTED) {
    if (sys::MessageWindow* window = hNotifyWnd.load()) {
      window->SendMessage(sys::WM_DEVICECHANGE, 0, 0);
    }
    lastResult = result;
  }
  return result;
}

int CHIDCommWnd::Read(uint8_t* buffer, size_t length, size_t* pTransferred, uint32_t timeoutMs) {
  std::lock_guard<std::recursive_mutex> guard(lock);
  return CHIDComm::Read(buffer, length, pTransferred, timeoutMs);
}

// Opens the device and its reader handle and creates the reader thread, which waits until
// ResumeReader(). `threadFailed` tells that the thread could not be created: the device is
// then closed again and the result is final.
template <typename OpenDevice>
int CHIDCommWnd::OpenWithReaderThread(OpenDevice openDevice, bool& threadFailed) {
  threadFailed = false;
  int result = openDevice();
  if (result < 0) return result;

  if (IsOpen() && GetInputReportLength() != 0) {
    result = reader.Open(path);
    if (result < 0) return result;
  }

  if (IsOpen() && !hReaderThread.joinable() && GetInputReportLength() != 0) {
    {
      std::lock_guard<std::mutex> guard(readerMutex_);
      readerResumed_ = false;
      running = true;
      handleLost_ = false;
    }
    try {
      hReaderThread = std::thread([this] { ReaderLoop(); });
    } catch (const std::system_error& e) {
      running = false;
      result = winerr::FromErrno(e.code().value());
      reader.Close();
      {
        std::lock_guard<std::recursive_mutex> guard(lock);
        CHIDComm::Close();
      }
      threadFailed = true;
      lastResult = result;
    }
  }
  return result;
}

void CHIDCommWnd::ResumeReader() {
  if (!hReaderThread.joinable()) return;
  {
    std::lock_guard<std::mutex> guard(readerMutex_);
    readerResumed_ = true;
  }
  readerWake_.notify_all();
}

void CHIDCommWnd::StopReaderThread() {
  if (!hReaderThread.joinable()) return;
  {
    std::lock_guard<std::mutex> guard(readerMutex_);
    running = false;
    readerResumed_ = true;
  }
  readerWake_.notify_all();
  // Wakes a read in progress at once instead of waiting out its time-out.
  reader.CancelPendingIo();
  hReaderThread.join();
  handleLost_ = false;
}

int CHIDCommWnd::OpenWithReader(const std::string& devicePath) {
  bool threadFailed = false;
  const int result = OpenWithReaderThread([&] { return Open(devicePath); }, threadFailed);
  if (result < 0 || threadFailed) return result;
  ResumeReader();
  return lastResult = result;
}

int CHIDCommWnd::OpenWithReader(uint16_t newVendorId, uint16_t newProductId, uint16_t index) {
  bool threadFailed = false;
  const int result =
      OpenWithReaderThread([&] { return Open(newVendorId, newProductId, index); }, threadFailed);
  if (result < 0 || threadFailed) return result;
  ResumeReader();
  return lastResult = result;
}

int CHIDCommWnd::OpenWithReader() {
  bool threadFailed = false;
  const int result = OpenWithReaderThread([&] { return OpenStored(); }, threadFailed);
  if (result < 0 || threadFailed) return result;
  ResumeReader();
  return lastResult = result;
}

int CHIDCommWnd::OpenWithWindow(const std::string& devicePath, sys::MessageWindow* hwnd) {
  bool threadFailed = false;
  const int result = OpenWithReaderThread([&] { return Open(devicePath); }, threadFailed);
  if (result < 0 || threadFailed) return result;
  hNotifyWnd = hwnd;
  RegisterNotification();
  ResumeReader();
  return lastResult = result;
}

int CHIDCommWnd::OpenWithWindow(uint16_t newVendorId, uint16_t newProductId,
                                sys::MessageWindow* hwnd, uint16_t index) {
  bool threadFailed = false;
  const int result =
      OpenWithReaderThread([&] { return Open(newVendorId, newProductId, index); }, threadFailed);
  if (result < 0 || threadFailed) return result;
  hNotifyWnd = hwnd;
  RegisterNotification();
  ResumeReader();
  return lastResult = result;
}

int CHIDCommWnd::CloseReader() {
  StopReaderThread();
  reader.Close();
  std::lock_guard<std::recursive_mutex> guard(lock);
  return CHIDComm::Close();
}

int CHIDCommWnd::Close() {
  StopReaderThread();
  reader.Close();
  hDevNotify.reset();  // returns after the watcher's last callback
  hNotifyWnd = nullptr;
  std::lock_guard<std::recursive_mutex> guard(lock);
  return CHIDComm::Close();
}

bool CHIDCommWnd::RegisterNotification() {
  if (hDevNotify != nullptr) {
    lastResult = winerr::ERROR_ALREADY_EXISTS;
    return false;
  }
  if (hNotifyWnd.load() == nullptr) {
    lastResult = winerr::ERROR_INVALID_PARAMETER;
    return false;
  }
  hDevNotify = Backend().Watch([this](hid::HidChange, const std::string&) {
    if (sys::MessageWindow* window = hNotifyWnd.load()) {
      window->PostMessage(sys::WM_DEVICECHANGE, 0, 0);
    }
  });
  if (hDevNotify == nullptr) {
    lastResult = winerr::ERROR_GEN_FAILURE;
    return false;
  }
  lastResult = winerr::ERROR_SUCCESS;
  return true;
}

bool CHIDCommWnd::OnReport(const uint8_t*, size_t) { return true; }

int CHIDCommWnd::OnDeviceChange(sys::WPARAM, sys::LPARAM) {
  if (IsOpen() && HandleLost()) CloseReader();
  std::string found;
  const int result = FindDevicePath(found);
  if (result == winerr::ERROR_SUCCESS && !IsOpen() && GetNotifyWindow() != nullptr) {
    OpenWithReader();
  } else if (result != winerr::ERROR_SUCCESS && IsOpen()) {
    CloseReader();
  }
  return 1;
}

int CHIDCommWnd::ReaderLoop() {
  {
    std::unique_lock<std::mutex> guard(readerMutex_);
    readerWake_.wait(guard, [this] { return readerResumed_; });
  }
  const size_t length = GetInputReportLength();
  std::vector<uint8_t> buffer(length);
  while (running.load()) {
    std::fill(buffer.begin(), buffer.end(), 0);
    size_t n = 0;
    const int result = reader.Read(buffer.data(), length, &n, readTimeoutMs_);
    if (result == winerr::ERROR_SUCCESS) {
      if (n == length) OnReport(buffer.data(), n);
      continue;
    }
    if (result == winerr::ERROR_TIMEOUT) continue;
    std::unique_lock<std::mutex> guard(readerMutex_);
    if (result == winerr::ERROR_DEVICE_NOT_CONNECTED) {
      // The device went away and this handle will not read again. The window hears of it
      // once, even when the device is already back, and the thread waits to be stopped.
      handleLost_ = true;
      if (sys::MessageWindow* window = hNotifyWnd.load()) {
        window->PostMessage(sys::WM_DEVICECHANGE, 0, 0);
      }
      readerWake_.wait(guard, [this] { return !running.load(); });
      break;
    }
    readerWake_.wait_for(guard, std::chrono::milliseconds(failedReadPauseMs_),
                         [this] { return !running.load(); });
  }
  return 0;
}

}  // namespace device
