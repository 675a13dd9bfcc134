#pragma once

#include <cstdint>
#include <string_view>
#include <thread>

#include "device/KavrinUSBComm.h"
#include "platform/hid/HidBackend.h"
#include "settings/DeviceSettings.h"
#include "settings/DeviceSync.h"
#include "settings/WindowProperty.h"

// The settings model, the protocol object and the device synchronisation of the main window,
// with the start-up's work on the mouse, which needs no display: the four editing records from
// the factory defaults and then the default files, and the start-up device thread that opens and
// reads the mouse and merges what it read into them. The main window owns one; the program may
// make it and begin that work before it connects to the display, and hand it to the window.
// Until the thread has been joined, nothing else touches the settings or the protocol object.
class MouseStartup {
 public:
  // `backend`: the protocol object's HID backend (null: the process's default).
  MouseStartup(hid::HidBackend* backend, uint32_t replyTimeoutMs);
  // Waits for the thread.
  ~MouseStartup();
  MouseStartup(const MouseStartup&) = delete;
  MouseStartup& operator=(const MouseStartup&) = delete;

  // The defaults into the records, then the start-up device thread; only the first call acts.
  void Start();
  bool Started() const { return started_; }
  // Waits until the thread has ended; at once when it has or never began.
  void Join();
  // Whether the thread has still to be joined.
  bool Pending() const { return thread_.joinable(); }

  // Where the identity check sets "IsMyDeivce" (null: nowhere); the main window, once it exists.
  void SetProperty(settings::WindowProperty* property) { relay_.target = property; }

  settings::DeviceSettings settings;
  device::CKavrinUSBComm comm;
  settings::DeviceSync sync;

 private:
  struct PropertyRelay : settings::WindowProperty {
    void SetProp(std::u16string_view name, uintptr_t value) override {
      if (target != nullptr) target->SetProp(name, value);
    }
    settings::WindowProperty* target = nullptr;
  };

  PropertyRelay relay_;
  bool started_ = false;
  std::thread thread_;
};
