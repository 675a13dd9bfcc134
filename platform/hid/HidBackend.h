#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "platform/hid/HidTypes.h"

// The interface that stands in for SetupDi enumeration, HidD/HidP and overlapped file I/O on a
// HID interface. Every failure is returned as the Windows code the device layer expects
// (winerr::ERROR_FILE_NOT_FOUND, ERROR_ACCESS_DENIED, ERROR_DEVICE_NOT_CONNECTED, ERROR_TIMEOUT...).
namespace hid {

// One open interface. Reports are whole: byte 0 is the report id (0 for a collection without
// ids), and input reports come padded with zeros to the collection's InputReportByteLength.
class HidDevice {
 public:
  virtual ~HidDevice() = default;

  // Waits up to `timeoutMs` for one input report of this collection and copies at most `length`
  // bytes of it. 0 on success with `*transferred` set; ERROR_TIMEOUT when none came in time;
  // ERROR_OPERATION_ABORTED when Cancel() was called; ERROR_DEVICE_NOT_CONNECTED when the
  // device went away; ERROR_INVALID_HANDLE when not opened for reading.
  virtual int Read(uint8_t* buffer, size_t length, size_t* transferred, uint32_t timeoutMs) = 0;

  // Sends one output report (byte 0 the report id). 0 on success with `*transferred` set;
  // ERROR_TIMEOUT, ERROR_DEVICE_NOT_CONNECTED, ERROR_INVALID_HANDLE as for Read.
  virtual int Write(const uint8_t* data, size_t length, size_t* transferred,
                    uint32_t timeoutMs) = 0;

  // Wakes a Read or Write blocked on another thread at once; it and every later call return
  // ERROR_OPERATION_ABORTED. Safe to call from any thread, also more than once.
  virtual void Cancel() = 0;
};

// Reports arrivals and removals of HID interfaces until destroyed. The callback runs on the
// watcher's own thread; the destructor stops it and returns only after the last call ended.
class HidWatcher {
 public:
  virtual ~HidWatcher() = default;
};

using HidChangeCallback = std::function<void(HidChange change, const std::string& path)>;

class HidBackend {
 public:
  virtual ~HidBackend() = default;

  // The paths of all present interfaces, in a stable order (the same devices give the same order).
  // ERROR_SUCCESS, or a code when the enumeration itself failed.
  virtual int Enumerate(std::vector<std::string>& paths) = 0;

  // Attributes and capabilities of one interface, without opening it for I/O.
  virtual int Describe(const std::string& path, HidInterfaceDescription& out) = 0;

  // Opens an interface for reading and/or writing. A second open of the same path is allowed and
  // gives an independent handle (the device layer reads on one and writes on the other).
  virtual int Open(const std::string& path, HidAccess access, std::unique_ptr<HidDevice>& out) = 0;

  // Starts watching for arrivals and removals; null when watching is not possible.
  virtual std::unique_ptr<HidWatcher> Watch(HidChangeCallback callback) = 0;
};

// The backend the device layer uses: hidraw, unless another one was installed. The program
// installs the simulated mouse's backend at start-up when KDZ_SIMULATED_MOUSE is set.
HidBackend& DefaultBackend();

// Installs the backend that DefaultBackend() returns (not owned); null restores hidraw.
void SetDefaultBackend(HidBackend* backend);

}  // namespace hid
