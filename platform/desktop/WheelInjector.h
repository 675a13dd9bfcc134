#pragma once

#include <memory>

// Horizontal scrolling of the window under the pointer, as the wheel of a mouse with a tilt wheel
// does it: wheel buttons 6 (left) and 7 (right), pressed and released at the pointer.
namespace desktop {

class WheelInjector {
 public:
  virtual ~WheelInjector() = default;

  // One press and release per step: `steps` < 0 scrolls left, > 0 right. Nothing happens for 0,
  // without an X server, or when the pointer is over the bare root window or the desktop's
  // window (_NET_WM_WINDOW_TYPE_DESKTOP). True when the events were sent.
  virtual bool ScrollHorizontally(int steps) = 0;
};

// Injection through the X server of $DISPLAY (XTest); without one it never scrolls. Under a
// Wayland session only X11 and XWayland programs get the events: NoteX11ProgramsOnly says so.
std::unique_ptr<WheelInjector> CreateWheelInjector();

}  // namespace desktop
