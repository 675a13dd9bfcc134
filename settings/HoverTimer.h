#pragma once

#include <cstdint>

namespace settings {

// The button page's timer that highlights the button under the cursor on the mouse picture.
inline constexpr int TIMER_KEY_HOVER = 63;
inline constexpr uint32_t TIMER_KEY_HOVER_INTERVAL_MS = 200;

// The button page's hover timer (TIMER_KEY_HOVER), which Apply stops while it runs. The page
// implements it with its own timer; tests use a recording fake.
class HoverTimer {
 public:
  virtual ~HoverTimer() = default;
  virtual void Start() = 0;
  virtual void Stop() = 0;
};

}  // namespace settings
