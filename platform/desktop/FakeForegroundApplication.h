#pragma once

#include <string>

#include "platform/desktop/ForegroundApplication.h"

namespace desktop {

// A foreground application set by the test; `lookups` counts the path lookups, `following`
// tells whether the desktop is followed since the last lookup.
class FakeForegroundApplication : public ForegroundApplication {
 public:
  int ForegroundProcessId() override {
    following = true;
    return pid;
  }
  std::u16string ForegroundImagePath() override {
    following = true;
    ++lookups;
    return imagePath;
  }
  void StopFollowing() override { following = false; }

  int pid = 0;
  std::u16string imagePath = kUnknownImagePath;
  int lookups = 0;
  bool following = false;
};

}  // namespace desktop
