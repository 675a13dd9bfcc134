#include "app/DeviceEvents.h"

#include "app/ApplicationSwitch.h"
#include "settings/E2Image.h"

DeviceEvents::DeviceEvents(settings::DeviceSettings& settings, device::CKavrinUSBComm& comm,
                           settings::DeviceSync& sync, desktop::ForegroundApplication& foreground,
                           PcButtonActions& actions, Window window)
    : settings_(settings),
      comm_(comm),
      sync_(sync),
      foreground_(foreground),
      actions_(actions),
      window_(std::move(window)) {}

void DeviceEvents::OnDeviceChange(sys::WPARAM wParam, sys::LPARAM lParam) {
  // A handle the mouse's removal left dead counts as closed: the mouse is read afresh when
  // it is back.
  const bool openBefore = comm_.IsOpen() && !comm_.HandleLost();
  comm_.OnDeviceChange(wParam, lParam);
  // The transport reopens the mouse by itself when it comes back; this is the way back for a
  // mouse it did not reopen.
  if (!comm_.IsOpen()) sync_.OpenDevice(window_.notify);
  // Unless the mouse stayed open, buttons held before are released for good: the timer would
  // otherwise go on scrolling for a button whose release never comes.
  if (!openBefore || !comm_.IsOpen()) actions_.ReleaseAll();
  if (!openBefore && comm_.IsOpen() && sync_.ReadAllFromDevice() == 1) {
    settings_.ResetAllModesToDefaults();
    settings_.LoadDefaultProfiles();
    sync_.MergeDeviceData();
    window_.refreshModeView();
  }
  if (sync_.CheckIsMyDevice() != 1) window_.hide();
}

void DeviceEvents::OnModeDpiChange() {
  const int mode = comm_.GetCurrentMode();
  if (mode < 0 || mode >= settings::MODE_COUNT) return;
  settings_.SetCurrentMode(mode);
  settings::tagDEVICEINFO& info = settings_.deviceInfo;
  info.dpiLevel[mode] = static_cast<uint8_t>(comm_.GetCurrentDpiIndex());
  info.rateIndex[mode] = static_cast<uint8_t>(comm_.GetCurrentRateIndex());

  settings::tagMODEINFO& record = settings_.EditingModes[mode];
  const uint8_t* half = settings_.image.configBlock.bytes + settings::DpiHalfOffset(mode);
  record.dpiIndex01 = half[0];
  record.dpiIndex23 = half[1];
  record.deviceByte10 = half[2];
  record.deviceByte11 = half[3];
  for (int m = 0; m < settings::MODE_COUNT; ++m) {
    settings_.EditingModes[m].dpiLevel = info.dpiLevel[m];
    settings_.EditingModes[m].reportRateIndex = info.rateIndex[m];
  }
  window_.refreshModeView();
}

void DeviceEvents::OnAppSwitchTimer() {
  if (!comm_.IsOpen()) {
    foreground_.StopFollowing();
    return;
  }
  const settings::tagMODEINFO* applied = settings_.AppliedModes;
  actions_.DoScrollActions(applied[settings_.CurrentMode()]);

  appPaths_.Update(applied);
  // No path could match: the desktop is not asked at all.
  if (!appPaths_.AnyMatchable()) {
    foreground_.StopFollowing();
    return;
  }
  const int mode = appPaths_.Match(foreground_.ForegroundImagePath());
  if (mode < 0 || mode == settings_.CurrentMode()) return;
  // The program's mode changes even when the mouse does not take the command.
  settings_.SetCurrentMode(mode);
  comm_.SetCustomMode(static_cast<uint8_t>(mode));
  window_.refreshModeView();
}
