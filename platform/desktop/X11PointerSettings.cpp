#include "platform/desktop/X11PointerSettings.h"

#include <X11/Xatom.h>
#include <X11/Xlib.h>
#include <X11/extensions/XInput2.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <mutex>
#include <optional>
#include <vector>

#include "platform/desktop/X11ErrorTrap.h"

namespace desktop {
namespace {

constexpr char kAccelSpeed[] = "libinput Accel Speed";
constexpr char kProfileEnabled[] = "libinput Accel Profile Enabled";
constexpr char kProfilesAvailable[] = "libinput Accel Profiles Available";
constexpr size_t kAdaptive = 0;  // index of the adaptive profile in the profile properties
constexpr size_t kFlat = 1;

constexpr int kMixedSpeed = 0;
constexpr MouseAcceleration kMixedAcceleration{-1, -1, -1};

int Clamp(int v, int lo, int hi) { return std::min(std::max(v, lo), hi); }

}  // namespace

double LibinputAccelSpeed(int speed) {
  const int s = Clamp(speed, kMinMouseSpeed, kMaxMouseSpeed);
  if (s < kDefaultMouseSpeed) return (s - kDefaultMouseSpeed) / 9.0;
  return (s - kDefaultMouseSpeed) / 10.0;
}

int MouseSpeedFromLibinput(double accelSpeed) {
  if (!std::isfinite(accelSpeed)) return kDefaultMouseSpeed;
  const double v = std::clamp(accelSpeed, -1.0, 1.0);
  const double s = kDefaultMouseSpeed + v * (v < 0 ? 9.0 : 10.0);
  return Clamp(static_cast<int>(std::lround(s)), kMinMouseSpeed, kMaxMouseSpeed);
}

CorePointerControl CorePointerControlFor(int speed, bool accelerate) {
  const int s = Clamp(speed, kMinMouseSpeed, kMaxMouseSpeed);
  return accelerate ? CorePointerControl{s, 5, 4} : CorePointerControl{s, 10, 1};
}

void MouseSettingsFromCore(const CorePointerControl& control, int& speed, bool& accelerate) {
  accelerate = control.threshold != 1;
  const double factor = control.denominator > 0 && control.numerator > 0
                            ? static_cast<double>(control.numerator) / control.denominator
                            : 1.0;
  const double s = std::min(factor * (accelerate ? 5.0 : 10.0), double(kMaxMouseSpeed));
  speed = Clamp(static_cast<int>(std::lround(s)), kMinMouseSpeed, kMaxMouseSpeed);
}

namespace {

// Sets the core pointer control to the given speed and/or acceleration, keeping what is not
// given as the control now stands for it.
void ChangeCorePointer(Display* display, std::optional<int> speed, std::optional<bool> accelerate) {
  CorePointerControl c;
  XGetPointerControl(display, &c.numerator, &c.denominator, &c.threshold);
  int currentSpeed;
  bool currentAccelerate;
  MouseSettingsFromCore(c, currentSpeed, currentAccelerate);
  const CorePointerControl next = CorePointerControlFor(speed.value_or(currentSpeed),
                                                        accelerate.value_or(currentAccelerate));
  XChangePointerControl(display, True, True, next.numerator, next.denominator, next.threshold);
}

}  // namespace

struct X11PointerSettings::Connection {
  ~Connection() {
    if (display != nullptr) XCloseDisplay(display);
  }

  // A slave pointer with libinput's acceleration properties.
  struct LibinputDevice {
    int id = 0;
    std::optional<float> speed;
    std::vector<uint8_t> profileEnabled;     // empty: no profile property
    std::vector<uint8_t> profilesAvailable;  // empty: not said
  };

  std::vector<int> SlavePointers() {
    std::vector<int> ids;
    if (!hasXi2) return ids;
    int count = 0;
    XIDeviceInfo* info = XIQueryDevice(display, XIAllDevices, &count);
    for (int i = 0; info != nullptr && i < count; ++i) {
      if (info[i].use == XISlavePointer && info[i].enabled) ids.push_back(info[i].deviceid);
    }
    if (info != nullptr) XIFreeDeviceInfo(info);
    return ids;
  }

  // The property's items when it exists with this type and format.
  bool GetProperty(int device, Atom property, Atom type, int format, std::vector<uint8_t>& out) {
    if (property == None) return false;
    Atom actualType = None;
    int actualFormat = 0;
    unsigned long items = 0, after = 0;
    unsigned char* data = nullptr;
    const Status status = XIGetProperty(display, device, property, 0, 16, False, type,
                                        &actualType, &actualFormat, &items, &after, &data);
    const bool ok = status == Success && actualType == type && actualFormat == format && items > 0;
    if (ok) {
      // XI2 hands format-32 items as 32-bit values (not longs, as the core protocol calls do).
      const size_t size = format == 32 ? 4 : format == 16 ? 2 : 1;
      out.assign(data, data + items * size);
    }
    if (data != nullptr) XFree(data);
    return ok;
  }

  std::vector<LibinputDevice> LibinputDevices() {
    std::vector<LibinputDevice> devices;
    if (accelSpeed == None) return devices;  // no device ever had the property
    for (int id : SlavePointers()) {
      LibinputDevice d;
      d.id = id;
      std::vector<uint8_t> bytes;
      if (GetProperty(id, accelSpeed, floatType, 32, bytes) && bytes.size() >= 4) {
        float value;
        std::memcpy(&value, bytes.data(), sizeof value);
        d.speed = value;
      }
      GetProperty(id, profileEnabled, XA_INTEGER, 8, d.profileEnabled);
      GetProperty(id, profilesAvailable, XA_INTEGER, 8, d.profilesAvailable);
      if (d.speed || !d.profileEnabled.empty()) devices.push_back(std::move(d));
    }
    return devices;
  }

  // Looks the property atoms up again: a device that appeared since may have brought them.
  void RefreshAtoms() {
    if (accelSpeed == None) accelSpeed = XInternAtom(display, kAccelSpeed, True);
    if (profileEnabled == None) profileEnabled = XInternAtom(display, kProfileEnabled, True);
    if (profilesAvailable == None)
      profilesAvailable = XInternAtom(display, kProfilesAvailable, True);
  }

  Display* display = nullptr;
  bool hasXi2 = false;
  Atom floatType = None;
  Atom accelSpeed = None;
  Atom profileEnabled = None;
  Atom profilesAvailable = None;
  std::mutex lock;  // one request sequence at a time on this connection
};

std::unique_ptr<X11PointerSettings> X11PointerSettings::Open(const std::string& displayName,
                                                             std::string filePath) {
  auto x = std::make_unique<Connection>();
  x->display = XOpenDisplay(displayName.empty() ? nullptr : displayName.c_str());
  if (x->display == nullptr) return nullptr;
  int opcode = 0, event = 0, error = 0;
  if (XQueryExtension(x->display, "XInputExtension", &opcode, &event, &error)) {
    int major = 2, minor = 0;
    ErrorTrap trap(x->display);
    x->hasXi2 = XIQueryVersion(x->display, &major, &minor) == Success && trap.Ok();
  }
  x->floatType = XInternAtom(x->display, "FLOAT", False);
  return std::unique_ptr<X11PointerSettings>(
      new X11PointerSettings(std::move(x), std::move(filePath)));
}

X11PointerSettings::X11PointerSettings(std::unique_ptr<Connection> x, std::string filePath)
    : FilePointerSettings(std::move(filePath), /*quiet=*/true), x_(std::move(x)) {}

X11PointerSettings::~X11PointerSettings() = default;

bool X11PointerSettings::UsesLibinput() {
  std::lock_guard<std::mutex> lock(x_->lock);
  ErrorTrap trap(x_->display);
  x_->RefreshAtoms();
  return !x_->LibinputDevices().empty();
}

bool X11PointerSettings::GetMouseSpeed(int& speed) {
  std::lock_guard<std::mutex> lock(x_->lock);
  ErrorTrap trap(x_->display);
  x_->RefreshAtoms();
  std::optional<int> found;
  bool mixed = false, any = false;
  for (const Connection::LibinputDevice& d : x_->LibinputDevices()) {
    if (!d.speed) continue;
    any = true;
    const int s = MouseSpeedFromLibinput(*d.speed);
    if (found && *found != s) mixed = true;
    found = s;
  }
  if (any) {
    if (!trap.Ok()) return false;
    speed = mixed ? kMixedSpeed : *found;
    return true;
  }
  CorePointerControl c;
  XGetPointerControl(x_->display, &c.numerator, &c.denominator, &c.threshold);
  if (!trap.Ok()) return false;
  bool accelerate;
  MouseSettingsFromCore(c, speed, accelerate);
  return true;
}

bool X11PointerSettings::SetMouseSpeed(int speed) {
  if (!ValidMouseSpeed(speed)) return false;
  std::lock_guard<std::mutex> lock(x_->lock);
  ErrorTrap trap(x_->display);
  x_->RefreshAtoms();
  bool any = false;
  for (const Connection::LibinputDevice& d : x_->LibinputDevices()) {
    if (!d.speed) continue;
    any = true;
    const auto value = static_cast<float>(LibinputAccelSpeed(speed));
    uint32_t bits;
    std::memcpy(&bits, &value, sizeof bits);
    XIChangeProperty(x_->display, d.id, x_->accelSpeed, x_->floatType, 32, XIPropModeReplace,
                     reinterpret_cast<unsigned char*>(&bits), 1);
  }
  if (!any) ChangeCorePointer(x_->display, speed, std::nullopt);
  return trap.Ok();
}

bool X11PointerSettings::GetMouseAcceleration(MouseAcceleration& value) {
  std::lock_guard<std::mutex> lock(x_->lock);
  ErrorTrap trap(x_->display);
  x_->RefreshAtoms();
  const std::vector<Connection::LibinputDevice> devices = x_->LibinputDevices();
  if (!devices.empty()) {
    std::optional<MouseAcceleration> found;
    bool mixed = false;
    for (const Connection::LibinputDevice& d : devices) {
      if (d.profileEnabled.size() <= kFlat) continue;
      const MouseAcceleration a = d.profileEnabled[kAdaptive] ? kPrecisionOn
                                  : d.profileEnabled[kFlat]   ? kPrecisionOff
                                                              : kMixedAcceleration;
      if (found && *found != a) mixed = true;
      found = a;
    }
    if (!trap.Ok()) return false;
    // Devices without a profile accelerate as libinput's default does: adaptively.
    value = mixed ? kMixedAcceleration : found.value_or(kPrecisionOn);
    return true;
  }
  CorePointerControl c;
  XGetPointerControl(x_->display, &c.numerator, &c.denominator, &c.threshold);
  if (!trap.Ok()) return false;
  int speed;
  bool accelerate;
  MouseSettingsFromCore(c, speed, accelerate);
  value = accelerate ? kPrecisionOn : kPrecisionOff;
  return true;
}

bool X11PointerSettings::SetMouseAcceleration(const MouseAcceleration& value) {
  if (!ValidAcceleration(value)) return false;
  const bool accelerate = AccelerationEnabled(value);
  std::lock_guard<std::mutex> lock(x_->lock);
  ErrorTrap trap(x_->display);
  x_->RefreshAtoms();
  const std::vector<Connection::LibinputDevice> devices = x_->LibinputDevices();
  if (!devices.empty()) {
    const size_t wanted = accelerate ? kAdaptive : kFlat;
    for (const Connection::LibinputDevice& d : devices) {
      if (d.profileEnabled.size() <= kFlat) continue;
      if (d.profilesAvailable.size() > wanted && !d.profilesAvailable[wanted]) continue;
      std::vector<uint8_t> enabled(d.profileEnabled.size(), 0);
      enabled[wanted] = 1;
      if (enabled == d.profileEnabled) continue;
      XIChangeProperty(x_->display, d.id, x_->profileEnabled, XA_INTEGER, 8, XIPropModeReplace,
                       enabled.data(), static_cast<int>(enabled.size()));
    }
    return trap.Ok();
  }
  ChangeCorePointer(x_->display, std::nullopt, accelerate);
  return trap.Ok();
}

}  // namespace desktop
