#pragma once

#include "device/KavrinUSBComm.h"
#include "platform/sys/MessageWindow.h"
#include "settings/DeviceInfo.h"
#include "settings/DeviceSettings.h"
#include "settings/E2Image.h"
#include "settings/WindowProperty.h"

namespace settings {

// Brings the mouse and the settings model together: opens the mouse, reads its memory image and
// configuration, merges them into the mode records, checks the mouse's identity and writes the
// image back block by block. The main window owns one, with its settings and protocol object,
// and forwards to it. Results are 1 for success and 0 for failure; nothing is shown.
//
// The start-up device thread runs DeviceInitThreadProc while the user-interface thread does not
// touch the settings; every other call comes from the user-interface thread.
class DeviceSync {
 public:
  // `property` receives "IsMyDeivce" (null: the check only returns its answer).
  DeviceSync(DeviceSettings& settings, device::CKavrinUSBComm& comm,
             WindowProperty* property = nullptr);

  // Closes the protocol object, finds the mouse by its capabilities and opens it; `window`
  // receives the device notifications and the protocol's messages (none when null), also when
  // no mouse is found, so that it hears of its arrival. 1 when the mouse is open afterwards.
  int OpenDevice(sys::MessageWindow* window);

  // Reads flash blocks 0 to 4 into `macroArea` and block 5 into `configBlock`, inside the
  // controller's test mode. Both are changed only when every block was read; after a failure
  // the controller is sent back to normal mode once (that attempt does not change the result).
  int ReadDeviceFlash(E2ConfigBlock& configBlock, E2MacroArea& macroArea);

  // Reads the current mode, and the DPI level and report rate of each mode, into `info`.
  int ReadDeviceInfo(tagDEVICEINFO& info);

  // ReadDeviceFlash of the settings' image, then ReadDeviceInfo of their device information;
  // 1 only when the device is open and both succeed.
  int ReadAllFromDevice();

  // Takes the device block of each mode from the image and its DPI level and report rate from
  // the device information into the four editing records, makes the current mode the mouse's,
  // and copies the four records to the applied records. Nothing else of the records changes.
  // A 4-byte quarter of a device half that the image holds as all 0xFF is erased flash, not a
  // setting: the record keeps its bytes there and they are written into the image instead.
  void MergeDeviceData();

  // 1, with "IsMyDeivce" set, when the open mouse answers with the expected product id; 0, with
  // the property cleared, in every other case.
  int CheckIsMyDevice();

  // Writes the image back block by block (0 to 5), inside the controller's test mode: each block
  // is read and compared first, and erased and written only when it differs. After a failure the
  // controller is sent back to normal mode once (that attempt does not change the result).
  int WriteDeviceFlash(const E2ConfigBlock& configBlock, const E2MacroArea& macroArea);

  // The start-up device thread's body: opens the mouse without a window, reads it and, when both
  // reads succeeded, merges what was read. Failures leave the records as they were. Returns 0.
  static int DeviceInitThreadProc(DeviceSync* sync);

 private:
  // Sends the controller back to normal mode after a failed transfer.
  void LeaveTestMode();

  DeviceSettings& settings_;
  device::CKavrinUSBComm& comm_;
  WindowProperty* property_;
};

}  // namespace settings
