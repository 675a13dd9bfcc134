#pragma once

#include <cstdint>
#include <set>
#include <string>
#include <vector>

#include "platform/desktop/PointerSettings.h"

namespace desktop {

// Pointer settings held in memory for tests: every call is logged by name ("GetMouseSpeed",
// "SetMouseSpeed 8", ...), and any call named in `failing` fails without changing anything.
class FakePointerSettings : public PointerSettings {
 public:
  bool GetMouseSpeed(int& v) override { return Get("GetMouseSpeed", speed, v); }
  bool SetMouseSpeed(int v) override { return Set("SetMouseSpeed", std::to_string(v), speed, v); }
  bool GetMouseAcceleration(MouseAcceleration& v) override {
    return Get("GetMouseAcceleration", acceleration, v);
  }
  bool SetMouseAcceleration(const MouseAcceleration& v) override {
    return Set("SetMouseAcceleration",
               std::to_string(v.threshold1) + "," + std::to_string(v.threshold2) + "," +
                   std::to_string(v.acceleration),
               acceleration, v);
  }
  bool GetWheelScrollLines(int& v) override { return Get("GetWheelScrollLines", wheelLines, v); }
  bool SetWheelScrollLines(int v) override {
    return Set("SetWheelScrollLines", std::to_string(v), wheelLines, v);
  }
  bool GetDoubleClickTime(uint32_t& v) override {
    return Get("GetDoubleClickTime", doubleClickTimeMs, v);
  }
  bool SetDoubleClickTime(uint32_t v) override {
    return Set("SetDoubleClickTime", std::to_string(v), doubleClickTimeMs, v);
  }

  // The calls that changed something, in order ("SetMouseSpeed 8").
  std::vector<std::string> Sets() const {
    std::vector<std::string> out;
    for (const std::string& call : calls)
      if (call.rfind("Set", 0) == 0) out.push_back(call);
    return out;
  }

  int speed = kDefaultMouseSpeed;
  MouseAcceleration acceleration = kPrecisionOn;
  int wheelLines = kDefaultWheelLines;
  uint32_t doubleClickTimeMs = kDefaultDoubleClickTimeMs;
  std::set<std::string> failing;  // call names, "SetMouseSpeed" or "GetWheelScrollLines"
  std::vector<std::string> calls;

 private:
  template <typename T>
  bool Get(const std::string& name, const T& held, T& out) {
    calls.push_back(name);
    if (failing.count(name) != 0) return false;
    out = held;
    return true;
  }
  template <typename T>
  bool Set(const std::string& name, const std::string& shown, T& held, const T& value) {
    calls.push_back(name + " " + shown);
    if (failing.count(name) != 0) return false;
    held = value;
    return true;
  }
};

}  // namespace desktop
