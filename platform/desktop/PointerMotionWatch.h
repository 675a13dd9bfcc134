#pragma once

#include <memory>

// Tells one who polls the pointer whether it can have moved since the poll looked, so that the
// poll can sleep while the pointer stays where it is. One thread only.
namespace desktop {

class PointerMotionWatch {
 public:
  virtual ~PointerMotionWatch() = default;

  // From the return on, the next motion of the pointer is reported: Descriptor() becomes
  // readable and TakeMotion() gives true. Motions before the call are not reported.
  virtual void Arm() = 0;
  // Stops watching; what has come meanwhile is dropped.
  virtual void Disarm() = 0;
  // Takes what has come, without waiting: true when the pointer moved since Arm(), which ends
  // the watch. Each Arm() thus reports at most one motion, however long the pointer moves on.
  virtual bool TakeMotion() = 0;
  // Becomes readable when something comes after the last Arm() or TakeMotion(): a caller waits
  // on it once TakeMotion() has given false.
  virtual int Descriptor() const = 0;
};

// The raw pointer motion of the X server of $DISPLAY (XInput 2.2) over a connection of its own;
// null when the server cannot be reached or has no XInput 2.2. A pointer that a program moves
// without a device (a warp) makes no motion for it.
std::unique_ptr<PointerMotionWatch> CreatePointerMotionWatch();

}  // namespace desktop
