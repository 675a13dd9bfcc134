#pragma once

#include <memory>
#include <string>

#include "platform/desktop/FilePointerSettings.h"
#include "platform/desktop/PointerSettings.h"

// Pointer settings through the X server. Speed and acceleration go to the pointer devices'
// libinput properties where any slave pointer has them, and otherwise to the core pointer
// control. Wheel lines and double-click time have no place in the X server: they are kept in the
// settings file, from which this program's own widgets take them.
//
// The mappings, chosen so that the defaults meet (speed 10 with enhanced precision is the
// desktop's untouched state on either path):
//
//   libinput "libinput Accel Speed" (-1 to 1, default 0): speed 1..10 maps linearly onto -1..0
//   and 10..20 onto 0..1, so 1 is the slowest, 10 the driver's default and 20 the fastest.
//   Acceleration on is the "adaptive" profile, off the "flat" one ("libinput Accel Profile
//   Enabled"); a device that does not offer the wanted profile keeps its own.
//
//   core pointer control (acceleration numerator/denominator beyond a threshold in pixels):
//   without acceleration every move beyond 1 pixel is scaled by speed/10 (threshold 1, factor
//   s/10: speed 10 moves the pointer one to one); with acceleration moves beyond 4 pixels are
//   scaled by speed/5 (threshold 4, factor s/5: speed 10 gives the X server's default 2/1 beyond
//   4 pixels). Reading back, a threshold above 1 means acceleration on, and the speed is the
//   nearest one to the factor.
//
// When the pointer devices disagree, the speed reads as 0 and the acceleration as -1, -1, -1,
// values no set asks for, so that the next Apply sets them all alike.
namespace desktop {

// libinput acceleration speed for a speed 1 to 20 (clamped).
double LibinputAccelSpeed(int speed);
// The speed 1 to 20 nearest to a libinput acceleration speed.
int MouseSpeedFromLibinput(double accelSpeed);

struct CorePointerControl {
  int numerator = 2;
  int denominator = 1;
  int threshold = 4;
  friend bool operator==(const CorePointerControl&, const CorePointerControl&) = default;
};

CorePointerControl CorePointerControlFor(int speed, bool accelerate);
// The speed (nearest, 1 to 20) and acceleration a core control stands for.
void MouseSettingsFromCore(const CorePointerControl& control, int& speed, bool& accelerate);

// Wheel lines and double-click time are those of the settings file (FilePointerSettings).
class X11PointerSettings : public FilePointerSettings {
 public:
  // Connects to the X server of `displayName` (empty: $DISPLAY); null when it cannot be reached.
  // `filePath` is the settings file for wheel lines and double-click time.
  static std::unique_ptr<X11PointerSettings> Open(const std::string& displayName,
                                                  std::string filePath);
  ~X11PointerSettings() override;
  X11PointerSettings(const X11PointerSettings&) = delete;
  X11PointerSettings& operator=(const X11PointerSettings&) = delete;

  bool GetMouseSpeed(int& speed) override;
  bool SetMouseSpeed(int speed) override;
  bool GetMouseAcceleration(MouseAcceleration& value) override;
  bool SetMouseAcceleration(const MouseAcceleration& value) override;

  // Whether speed and acceleration go to libinput device properties now (else the core
  // pointer control). Devices come and go, so each get and set looks again.
  bool UsesLibinput();

  struct Connection;  // the X connection and what it found; X11 types stay in the source

 private:
  X11PointerSettings(std::unique_ptr<Connection> x, std::string filePath);

  std::unique_ptr<Connection> x_;
};

}  // namespace desktop
