#pragma once

#include <cstdint>
#include <optional>

namespace settings {

// The pace of Apply's progress bar, on the 32-bit millisecond tick: the bar runs 0 to 100 and
// advances one step every 100 ms up to 89 whatever the real progress; from then on it waits at
// 89 for Apply. Once Apply is done the bar shows 100 and the display closes 300 ms later, so a
// quick Apply closes it early. The display asks NextChangeIn when to look again, so it sleeps
// between steps and, from step 89 on, until Finish.
class ApplyProgressPacer {
 public:
  static constexpr int kRangeMin = 0;
  static constexpr int kRangeMax = 100;
  static constexpr int kLastPacedPosition = 89;
  static constexpr uint32_t kStepMs = 100;
  static constexpr uint32_t kFinalHoldMs = 300;

  // The display opens at tick `now`, at position 0.
  explicit ApplyProgressPacer(uint32_t now) : start_(now) {}

  // Apply is done at tick `now`: position 100, closing kFinalHoldMs later. Only the first call
  // counts.
  void Finish(uint32_t now);

  int Position(uint32_t now) const;
  bool Closed(uint32_t now) const;

  // Milliseconds from `now` until the position changes or the display closes (0: at once);
  // empty while nothing changes before Finish.
  std::optional<uint32_t> NextChangeIn(uint32_t now) const;

 private:
  // Milliseconds since `from`, never negative.
  static uint32_t Since(uint32_t now, uint32_t from);

  uint32_t start_;
  uint32_t finishedAt_ = 0;
  bool finished_ = false;
};

}  // namespace settings
