#include "platform/sys/AutoResetEvent.h"

#include <chrono>

namespace sys {

void AutoResetEvent::Set() {
  {
    std::lock_guard<std::mutex> lock(mutex_);
    signalled_ = true;
  }
  cv_.notify_one();
}

void AutoResetEvent::Reset() {
  std::lock_guard<std::mutex> lock(mutex_);
  signalled_ = false;
}

bool AutoResetEvent::Wait(uint32_t timeoutMs) {
  std::unique_lock<std::mutex> lock(mutex_);
  if (!cv_.wait_for(lock, std::chrono::milliseconds(timeoutMs), [this] { return signalled_; })) {
    return false;
  }
  signalled_ = false;
  return true;
}

bool AutoResetEvent::IsSet() const {
  std::lock_guard<std::mutex> lock(mutex_);
  return signalled_;
}

}  // namespace sys
