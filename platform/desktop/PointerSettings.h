#pragma once

#include <cstdint>
#include <memory>
#include <string>

// The desktop's pointer settings, in the terms the mode records use: pointer speed 1 to 20, the
// acceleration triple (threshold 1, threshold 2, acceleration; 6, 10, 1 is "enhanced pointer
// precision" and 0, 0, 0 none), wheel lines per notch with -1 for one page, and the double-click
// time in milliseconds. Every get and set returns true on success; a set with a value out of
// range fails and changes nothing.
namespace desktop {

inline constexpr int kMinMouseSpeed = 1;
inline constexpr int kMaxMouseSpeed = 20;
inline constexpr int kDefaultMouseSpeed = 10;
// Wheel lines: -1 scrolls one page, 0 to kMaxWheelLines lines.
inline constexpr int kWheelOnePage = -1;
inline constexpr int kMaxWheelLines = 100;
inline constexpr int kDefaultWheelLines = 3;
inline constexpr uint32_t kMinDoubleClickTimeMs = 1;
inline constexpr uint32_t kMaxDoubleClickTimeMs = 5000;
inline constexpr uint32_t kDefaultDoubleClickTimeMs = 500;

struct MouseAcceleration {
  int threshold1 = 0;
  int threshold2 = 0;
  int acceleration = 0;
  friend bool operator==(const MouseAcceleration&, const MouseAcceleration&) = default;
};

// The triple of enhanced pointer precision, and of none.
inline constexpr MouseAcceleration kPrecisionOn{6, 10, 1};
inline constexpr MouseAcceleration kPrecisionOff{0, 0, 0};

// Whether a triple asks for acceleration at all (what a backend with only on and off keeps).
inline bool AccelerationEnabled(const MouseAcceleration& a) { return a.acceleration != 0; }

class PointerSettings {
 public:
  virtual ~PointerSettings() = default;

  virtual bool GetMouseSpeed(int& speed) = 0;
  virtual bool SetMouseSpeed(int speed) = 0;
  virtual bool GetMouseAcceleration(MouseAcceleration& value) = 0;
  virtual bool SetMouseAcceleration(const MouseAcceleration& value) = 0;
  virtual bool GetWheelScrollLines(int& lines) = 0;
  virtual bool SetWheelScrollLines(int lines) = 0;
  virtual bool GetDoubleClickTime(uint32_t& ms) = 0;
  virtual bool SetDoubleClickTime(uint32_t ms) = 0;
};

// The file in which the layer keeps what the desktop has no place for:
// $XDG_CONFIG_HOME/Kavrin-DireZerud/pointer.ini, or ~/.config/... when $XDG_CONFIG_HOME is not an
// absolute path; empty when neither gives one.
std::string PointerSettingsFilePath();

// The backend for this session: X11PointerSettings when $DISPLAY is set and the X server can be
// reached (pointer speed and acceleration go to the X server; wheel lines and double-click time
// to the file), otherwise FilePointerSettings, which keeps all four in the file. Without an X
// server (a Wayland session without Xwayland, or no desktop at all) the desktop's own settings
// govern the pointer: the speed and acceleration are still kept and reported as set, so that an
// Apply succeeds, and the first such set says once on standard error that they do not reach the
// pointer. Under Xwayland the X server takes the values, but the compositor moves the pointer;
// the same line is printed once when $WAYLAND_DISPLAY is set.
std::unique_ptr<PointerSettings> CreatePointerSettings();

}  // namespace desktop
