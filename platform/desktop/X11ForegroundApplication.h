#pragma once

#include <memory>
#include <string>

#include "platform/desktop/ForegroundApplication.h"

// The foreground application of an X server: the root window's _NET_ACTIVE_WINDOW (kept by the
// window manager), that window's _NET_WM_PID or, for a window without one, the process of the
// local client that created it as the server knows it (X Resource extension), and the process's
// executable. A window that names another host in WM_CLIENT_MACHINE runs elsewhere: its process
// id means nothing here.
namespace desktop {

class X11ForegroundApplication : public ForegroundApplication {
 public:
  // Connects to the X server of `displayName` (empty: $DISPLAY); null when it cannot be reached.
  static std::unique_ptr<X11ForegroundApplication> Open(const std::string& displayName);
  ~X11ForegroundApplication() override;
  X11ForegroundApplication(const X11ForegroundApplication&) = delete;
  X11ForegroundApplication& operator=(const X11ForegroundApplication&) = delete;

  // Follows the root window's _NET_ACTIVE_WINDOW and the active window's _NET_WM_PID and
  // WM_CLIENT_MACHINE through their change events: the server is asked again only after one of
  // them changed.
  int ForegroundProcessId() override;
  void StopFollowing() override;

  struct Connection;  // the X connection and its atoms; X11 types stay in the source

 private:
  explicit X11ForegroundApplication(std::unique_ptr<Connection> x);

  std::unique_ptr<Connection> x_;
};

// Whether a WM_CLIENT_MACHINE value names the host `localHost` ("pc" and "pc.example.org" name
// the same host). An empty value names no other host.
bool SameClientMachine(const std::string& clientMachine, const std::string& localHost);

}  // namespace desktop
