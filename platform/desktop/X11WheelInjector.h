#pragma once

#include <memory>
#include <string>

#include "platform/desktop/WheelInjector.h"

// Wheel injection through the XTest extension of an X server: button 6 scrolls left, button 7
// right, each step one press and one release, delivered where the pointer is.
namespace desktop {

inline constexpr unsigned kWheelLeftButton = 6;
inline constexpr unsigned kWheelRightButton = 7;

class X11WheelInjector : public WheelInjector {
 public:
  // Connects to the X server of `displayName` (empty: $DISPLAY); null when it cannot be reached
  // or has no XTest extension.
  static std::unique_ptr<X11WheelInjector> Open(const std::string& displayName);
  ~X11WheelInjector() override;
  X11WheelInjector(const X11WheelInjector&) = delete;
  X11WheelInjector& operator=(const X11WheelInjector&) = delete;

  bool ScrollHorizontally(int steps) override;

  // Whether the pointer is over the bare root window or a window of the desktop type (or one
  // inside it), where scrolling does nothing.
  bool PointerOverDesktop();

  struct Connection;  // the X connection and its atoms; X11 types stay in the source

 private:
  explicit X11WheelInjector(std::unique_ptr<Connection> x);

  std::unique_ptr<Connection> x_;
};

}  // namespace desktop
