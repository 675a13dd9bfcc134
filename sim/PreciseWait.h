#pragma once

#include <chrono>

// Waiting until a deadline on the steady clock without the timer's overshoot: a timed sleep
// wakes some tens of microseconds late (the kernel's timer slack), which over hundreds of
// simulated link delays adds several percent. The wait sleeps until shortly before the deadline
// and spends only the last stretch yielding the processor.
namespace sim {

using SteadyClock = std::chrono::steady_clock;

// How long before a deadline the sleep ends; larger than any timer overshoot seen.
inline constexpr std::chrono::microseconds kPreciseWaitMargin{300};

// The time to sleep until for `deadline`, after which PreciseWaitRest waits out the rest.
inline SteadyClock::time_point SleepTarget(SteadyClock::time_point deadline) {
  return deadline - kPreciseWaitMargin;
}

// Waits out the last stretch before `deadline` (at most kPreciseWaitMargin after a sleep until
// SleepTarget) without sleeping.
void PreciseWaitRest(SteadyClock::time_point deadline);

// Returns at `deadline`, within microseconds.
void PreciseWaitUntil(SteadyClock::time_point deadline);

}  // namespace sim
