#include "settings/ApplyProgressPacer.h"

#include "platform/sys/Tick.h"

namespace settings {

uint32_t ApplyProgressPacer::Since(uint32_t now, uint32_t from) {
  const int32_t d = sys::TickDiff(now, from);
  return d < 0 ? 0 : static_cast<uint32_t>(d);
}

void ApplyProgressPacer::Finish(uint32_t now) {
  if (finished_) return;
  finished_ = true;
  finishedAt_ = now;
}

int ApplyProgressPacer::Position(uint32_t now) const {
  if (finished_) return kRangeMax;
  const uint32_t step = Since(now, start_) / kStepMs;
  return step < static_cast<uint32_t>(kLastPacedPosition) ? static_cast<int>(step)
                                                          : kLastPacedPosition;
}

bool ApplyProgressPacer::Closed(uint32_t now) const {
  return finished_ && Since(now, finishedAt_) >= kFinalHoldMs;
}

std::optional<uint32_t> ApplyProgressPacer::NextChangeIn(uint32_t now) const {
  if (finished_) {
    const uint32_t held = Since(now, finishedAt_);
    return held >= kFinalHoldMs ? 0 : kFinalHoldMs - held;
  }
  const uint32_t elapsed = Since(now, start_);
  const uint32_t step = elapsed / kStepMs;
  if (step >= static_cast<uint32_t>(kLastPacedPosition)) return std::nullopt;
  return (step + 1) * kStepMs - elapsed;
}

}  // namespace settings
