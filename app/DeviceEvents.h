#pragma once

#include <functional>

#include "app/ApplicationSwitch.h"
#include "app/MouseFunction.h"
#include "device/KavrinUSBComm.h"
#include "platform/desktop/ForegroundApplication.h"
#include "platform/sys/MessageWindow.h"
#include "settings/DeviceSettings.h"
#include "settings/DeviceSync.h"

// How the main window follows the mouse while the program runs: devices that come and go, the
// mode and DPI level the mouse changes by itself, and the mode that the application in the
// foreground asks for, with the repeat of held scroll buttons. Everything runs on the
// user-interface thread.
class DeviceEvents {
 public:
  struct Window {
    sys::MessageWindow* notify;            // receives the device's notifications and messages
    std::function<void()> refreshModeView; // shows the current mode's records
    std::function<void()> hide;            // hides the main window
  };

  DeviceEvents(settings::DeviceSettings& settings, device::CKavrinUSBComm& comm,
               settings::DeviceSync& sync, desktop::ForegroundApplication& foreground,
               PcButtonActions& actions, Window window);

  // WM_DEVICECHANGE: the device follows the change (and is reopened when it is still closed). A
  // mouse that was closed before and is open after it is read fresh: defaults with mode 0, the
  // default files, then the mouse's data. Unless the mouse stayed open, the pressed buttons are
  // forgotten. The window is hidden when the mouse is not the expected one.
  void OnDeviceChange(sys::WPARAM wParam, sys::LPARAM lParam);
  // MODEDPICHANGE_MSG: the mode, DPI levels and report rates the mouse reported, and the mode's
  // DPI values from the memory image, into the editing records; the applied records stay.
  void OnModeDpiChange();
  // TIMER_APP_SWITCH, only while the mouse is open: the held scroll buttons repeat, then the
  // mode follows the foreground application (the applied records decide). The desktop is
  // followed only while the mouse is open and an applied path can match.
  void OnAppSwitchTimer();

 private:
  settings::DeviceSettings& settings_;
  device::CKavrinUSBComm& comm_;
  settings::DeviceSync& sync_;
  desktop::ForegroundApplication& foreground_;
  PcButtonActions& actions_;
  Window window_;
  app::ApplicationPaths appPaths_;  // of the applied records
};
