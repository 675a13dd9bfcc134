#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "platform/hid/HidBackend.h"
#include "sim/SimulatedMouse.h"

// A HID backend that serves the simulated mouse behind the same interface as hidraw, so that
// the device layer runs without hardware. It enumerates, in this order:
//   kDecoyMousePath   the mouse's ordinary mouse collection (same ids, usage page 1, usage 2,
//                     input reports only): opens fine and never answers a command
//   kDecoyVendorPath  another product of the same vendor with a vendor collection like the
//                     mouse's but version 0x0100: accepts writes and never answers
//   kMousePath        the mouse's vendor collection: version 0x0200, usage page 0xFFB3, usage 1,
//                     input and output reports of 8 bytes, one output value cap with report id
//                     0xB3 (and one input value cap with the same id)
// Unplugging the mouse removes kDecoyMousePath and kMousePath (both belong to it); the other
// decoy stays.
namespace sim {

inline constexpr uint16_t kVendorId = 0x3C1E;
inline constexpr uint16_t kProductId = 0x4417;
inline constexpr uint16_t kDecoyProductId = 0x4416;
inline constexpr uint16_t kMouseVersionNumber = 0x0200;
inline constexpr uint16_t kDecoyVersionNumber = 0x0100;

inline constexpr char kDecoyMousePath[] = "sim:/hidraw0";
inline constexpr char kDecoyVendorPath[] = "sim:/hidraw1";
inline constexpr char kMousePath[] = "sim:/hidraw2";

// At most this many input reports wait unread on one handle; the oldest is dropped first.
inline constexpr size_t kInputQueueCapacity = 64;

class SimulatedHidBackend : public hid::HidBackend {
 public:
  explicit SimulatedHidBackend(uint32_t deviceId = kDefaultDeviceId);
  ~SimulatedHidBackend() override;
  SimulatedHidBackend(const SimulatedHidBackend&) = delete;
  SimulatedHidBackend& operator=(const SimulatedHidBackend&) = delete;

  SimulatedMouse& Mouse();

  // The present interfaces in the order above.
  int Enumerate(std::vector<std::string>& paths) override;
  // ERROR_FILE_NOT_FOUND for an unknown or absent path.
  int Describe(const std::string& path, hid::HidInterfaceDescription& out) override;
  // Any access, any number of handles per path; ERROR_FILE_NOT_FOUND when absent.
  // Handles:
  //  - Read: every input report of the mouse goes to each handle open for reading on
  //    kMousePath (as with hidraw); waits on a condition variable up to the time-out.
  //    ERROR_TIMEOUT, ERROR_OPERATION_ABORTED after Cancel, ERROR_DEVICE_NOT_CONNECTED once
  //    the interface was unplugged (also after it came back: reopen it), ERROR_INVALID_HANDLE
  //    without read access. A report longer than `length` is cut to it.
  //  - Write: exactly the interface's output report length (else ERROR_INVALID_PARAMETER);
  //    on kMousePath it goes to the mouse, on a decoy it is dropped. Errors as for Read.
  int Open(const std::string& path, hid::HidAccess access,
           std::unique_ptr<hid::HidDevice>& out) override;
  // Arrival and removal of the mouse's interfaces, called on a thread of the backend (never
  // from inside a caller's Write), in the order they happened.
  std::unique_ptr<hid::HidWatcher> Watch(hid::HidChangeCallback callback) override;

  // Handles open on `path` now (closed ones are gone), for tests.
  int OpenHandleCount(const std::string& path) const;

  // The interfaces, the mouse and the open handles; shared with the handles and watchers,
  // which may outlive the backend.
  struct Core;

 private:
  std::shared_ptr<Core> core_;
};

// Whether KDZ_SIMULATED_MOUSE asks for the simulated mouse: set, non-empty and not "0".
bool SimulatedMouseRequested();

// The device id that KDZ_SIMULATED_DEVICE_ID gives (hexadecimal, "0x" optional); kDefaultDeviceId
// when it is unset or empty, and also, with a line on standard error, when it is not such a number.
uint32_t SimulatedDeviceIdFromEnvironment();

// When the environment variable KDZ_SIMULATED_MOUSE is set, non-empty and not "0", creates a
// process-wide simulated backend (device id from KDZ_SIMULATED_DEVICE_ID, hexadecimal, else
// kDefaultDeviceId) and installs it with hid::SetDefaultBackend. Its mouse starts as `newMouse`
// (a value out of range leaves it erased). When KDZ_SIMULATED_MOUSE_STATE names a file, the
// mouse takes its flash and configuration from it instead, when the file is there and usable,
// and saves them there after every change (SimulatedMouseStateFile). When
// KDZ_SIMULATED_MOUSE_CONTROL names a path, the mouse is driven through the control pipe there
// (SimulatedMouseControl). True when it did; later calls do nothing more and give the same answer.
bool InstallSimulatedBackendIfRequested(const SimulatedMouse::PersistentState& newMouse);

// The backend installed by InstallSimulatedBackendIfRequested, or null.
SimulatedHidBackend* InstalledSimulatedBackend();

}  // namespace sim
