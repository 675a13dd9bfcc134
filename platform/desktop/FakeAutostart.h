#pragma once

#include <string>
#include <vector>

#include "platform/desktop/Autostart.h"

namespace desktop {

// The autostart state held in memory for tests. Calls are logged ("IsEnabled", "SetEnabled 1");
// with `failWrites` a set changes nothing and returns false, as a read-only folder would.
class FakeAutostart : public Autostart {
 public:
  bool IsEnabled() override {
    calls.push_back("IsEnabled");
    return enabled;
  }
  bool SetEnabled(bool on) override {
    calls.push_back(on ? "SetEnabled 1" : "SetEnabled 0");
    if (failWrites) return false;
    enabled = on;
    return true;
  }

  bool enabled = false;
  bool failWrites = false;
  std::vector<std::string> calls;
};

}  // namespace desktop
