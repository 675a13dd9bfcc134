#pragma once

#include <string>

#include "tests/platform/desktop/XvfbServer.h"

// Last: Xlib defines macros (None, Bool, Status) that other headers would trip over.
#include <X11/Xlib.h>
#include <X11/extensions/XTest.h>

namespace hooktest {

// X key codes (evdev) of the keys the tests press.
enum KeyCode : unsigned {
  kKeyA = 38,
  kKeyB = 56,
  kKeyC = 54,
  kKeyY = 29,  // the US "Y" place
  kKeyZ = 52,
  kLeftShift = 50,
  kRightCtrl = 105,
  kF5 = 71,
  kNumLock = 77,
  kKeypad1 = 87,
};

// A test's own connection to an X server that types with XTest. Each call returns once the
// server has taken the key.
class XKeyboard {
 public:
  explicit XKeyboard(const std::string& display) : display_(XOpenDisplay(display.c_str())) {
    int event, error, major, minor;
    if (display_ != nullptr && !XTestQueryExtension(display_, &event, &error, &major, &minor)) {
      XCloseDisplay(display_);
      display_ = nullptr;
    }
  }
  ~XKeyboard() {
    if (display_ != nullptr) XCloseDisplay(display_);
  }
  XKeyboard(const XKeyboard&) = delete;
  XKeyboard& operator=(const XKeyboard&) = delete;

  Display* display() const { return display_; }

  void Press(unsigned keyCode) { Send(keyCode, True); }
  void Release(unsigned keyCode) { Send(keyCode, False); }
  void Tap(unsigned keyCode) {
    Press(keyCode);
    Release(keyCode);
  }

 private:
  void Send(unsigned keyCode, int down) {
    XTestFakeKeyEvent(display_, keyCode, down, CurrentTime);
    XSync(display_, False);
  }

  Display* display_;
};

}  // namespace hooktest
