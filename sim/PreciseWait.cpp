#include "sim/PreciseWait.h"

#include <thread>

namespace sim {

void PreciseWaitRest(SteadyClock::time_point deadline) {
  // Bounded by the margin: the caller slept until SleepTarget first.
  while (SteadyClock::now() < deadline) std::this_thread::yield();
}

void PreciseWaitUntil(SteadyClock::time_point deadline) {
  const SteadyClock::time_point wake = SleepTarget(deadline);
  if (SteadyClock::now() < wake) std::this_thread::sleep_until(wake);
  PreciseWaitRest(deadline);
}

}  // namespace sim
