#include "app/MouseStartup.h"

MouseStartup::MouseStartup(hid::HidBackend* backend, uint32_t replyTimeoutMs)
    : comm(backend, replyTimeoutMs), sync(settings, comm, &relay_) {}

MouseStartup::~MouseStartup() { Join(); }

void MouseStartup::Start() {
  if (started_) return;
  started_ = true;
  // The settings the mouse's data is merged into: factory defaults, then the default files.
  settings.ResetAllModesToDefaults();
  settings.LoadDefaultProfiles();
  // The mouse is opened and read meanwhile.
  thread_ = std::thread([this] { settings::DeviceSync::DeviceInitThreadProc(&sync); });
}

void MouseStartup::Join() {
  if (thread_.joinable()) thread_.join();
}
