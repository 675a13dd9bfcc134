#pragma once

#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <functional>
#include <mutex>
#include <vector>

#include "platform/sys/MessageWindow.h"

// A window that records what is posted and sent to it. Sent messages run `onSend` on the
// sender's thread, as a real window's handler would.
class RecordingWindow : public sys::MessageWindow {
 public:
  struct Message {
    uint32_t msg;
    sys::WPARAM wParam;
    sys::LPARAM lParam;
  };

  void PostMessage(uint32_t msg, sys::WPARAM wParam, sys::LPARAM lParam) override {
    {
      std::lock_guard<std::mutex> guard(mutex_);
      posted_.push_back({msg, wParam, lParam});
    }
    changed_.notify_all();
  }

  sys::LRESULT SendMessage(uint32_t msg, sys::WPARAM wParam, sys::LPARAM lParam) override {
    {
      std::lock_guard<std::mutex> guard(mutex_);
      sent_.push_back({msg, wParam, lParam});
    }
    return onSend ? onSend(msg, wParam, lParam) : 0;
  }

  // Waits until at least `count` messages `msg` were posted in all; false after `timeout`.
  bool WaitForPosted(uint32_t msg, size_t count = 1,
                     std::chrono::milliseconds timeout = std::chrono::seconds(5)) {
    std::unique_lock<std::mutex> guard(mutex_);
    return changed_.wait_for(guard, timeout, [&] { return CountLocked(posted_, msg) >= count; });
  }

  size_t PostedCount(uint32_t msg) const {
    std::lock_guard<std::mutex> guard(mutex_);
    return CountLocked(posted_, msg);
  }

  std::vector<Message> Posted() const {
    std::lock_guard<std::mutex> guard(mutex_);
    return posted_;
  }

  std::vector<Message> Sent() const {
    std::lock_guard<std::mutex> guard(mutex_);
    return sent_;
  }

  std::function<sys::LRESULT(uint32_t, sys::WPARAM, sys::LPARAM)> onSend;

 private:
  static size_t CountLocked(const std::vector<Message>& list, uint32_t msg) {
    size_t n = 0;
    for (const Message& m : list) n += m.msg == msg ? 1 : 0;
    return n;
  }

  mutable std::mutex mutex_;
  std::condition_variable changed_;
  std::vector<Message> posted_;
  std::vector<Message> sent_;
};
