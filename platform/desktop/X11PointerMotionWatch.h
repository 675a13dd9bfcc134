#pragma once

#include <memory>
#include <string>

#include "platform/desktop/PointerMotionWatch.h"

// The pointer's motion as the X server's raw motion events of the master pointers tell it,
// selected on the root window only while the watch is armed.
namespace desktop {

class X11PointerMotionWatch : public PointerMotionWatch {
 public:
  // Connects to the X server of `displayName` (empty: $DISPLAY); null when it cannot be reached
  // or has no XInput 2.2 (older versions hold raw events back while another client grabs the
  // pointer).
  static std::unique_ptr<X11PointerMotionWatch> Open(const std::string& displayName);
  ~X11PointerMotionWatch() override;
  X11PointerMotionWatch(const X11PointerMotionWatch&) = delete;
  X11PointerMotionWatch& operator=(const X11PointerMotionWatch&) = delete;

  // Selects the raw motion and waits until the server has it.
  void Arm() override;
  void Disarm() override;
  bool TakeMotion() override;
  int Descriptor() const override;

  struct Connection;  // the X connection; X11 types stay in the source

 private:
  explicit X11PointerMotionWatch(std::unique_ptr<Connection> x);

  std::unique_ptr<Connection> x_;
};

}  // namespace desktop
