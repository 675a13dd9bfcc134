#pragma once

#include <vector>

#include "platform/desktop/WheelInjector.h"

namespace desktop {

// Records every request; `overDesktop` makes it refuse as over the desktop window.
class FakeWheelInjector : public WheelInjector {
 public:
  bool ScrollHorizontally(int steps) override {
    requests.push_back(steps);
    return steps != 0 && !overDesktop;
  }

  bool overDesktop = false;
  std::vector<int> requests;
};

}  // namespace desktop
