#pragma once

#include <string>

#include "platform/desktop/ForegroundApplication.h"

namespace desktop {

// A foreground application set by the test; `lookups` counts the path lookups.
class FakeForegroundApplication : public ForegroundApplication {
 public:
  int ForegroundProcessId() override { return pid; }
  std::u16string ForegroundImagePath() override {
    ++lookups;
    return imagePath;
  }

  int pid = 0;
  std::u16string imagePath = kUnknownImagePath;
  int lookups = 0;
};

}  // namespace desktop
