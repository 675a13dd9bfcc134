#pragma once

#include <condition_variable>
#include <cstdint>
#include <mutex>

namespace sys {

// An auto-reset event: Set() releases exactly one waiter (or the next one to wait), after which
// the event is non-signalled again. Process-local.
class AutoResetEvent {
 public:
  AutoResetEvent() = default;
  AutoResetEvent(const AutoResetEvent&) = delete;
  AutoResetEvent& operator=(const AutoResetEvent&) = delete;

  void Set();
  void Reset();
  // Waits until signalled or `timeoutMs` passed; true when it was signalled (and consumed it).
  bool Wait(uint32_t timeoutMs);
  bool IsSet() const;

 private:
  mutable std::mutex mutex_;
  std::condition_variable cv_;
  bool signalled_ = false;
};

}  // namespace sys
