#pragma once

// A named pipe that a test puts where a file is expected, with a bounded guard for the code that
// must not wait for it: while something holds the pipe open for reading `timeoutMs` after it was
// made, the guard opens it for writing and closes it again, so that a reader blocked in open or
// read sees the end of the file and the test goes on (to fail on Blocked()) instead of hanging.
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <mutex>
#include <string>
#include <thread>

namespace testutil {

class BlockingPipe {
 public:
  BlockingPipe(std::string path, int timeoutMs)
      : path_(std::move(path)), made_(::mkfifo(path_.c_str(), 0600) == 0) {
    if (made_) guard_ = std::thread([this, timeoutMs] { Guard(timeoutMs); });
  }
  ~BlockingPipe() {
    {
      std::lock_guard<std::mutex> lock(mutex_);
      stop_ = true;
    }
    wake_.notify_all();
    if (guard_.joinable()) guard_.join();
  }
  BlockingPipe(const BlockingPipe&) = delete;
  BlockingPipe& operator=(const BlockingPipe&) = delete;

  bool Made() const { return made_; }
  // A reader was still waiting on the pipe when the time was up.
  bool Blocked() const { return blocked_.load(); }

 private:
  void Guard(int timeoutMs) {
    std::unique_lock<std::mutex> lock(mutex_);
    if (wake_.wait_for(lock, std::chrono::milliseconds(timeoutMs), [this] { return stop_; }))
      return;
    // Released again and again: a blocked reader may open the pipe once more.
    while (!wake_.wait_for(lock, std::chrono::milliseconds(50), [this] { return stop_; })) {
      const int fd = ::open(path_.c_str(), O_WRONLY | O_NONBLOCK | O_CLOEXEC);
      if (fd >= 0) {
        blocked_ = true;
        ::close(fd);
      }
    }
  }

  const std::string path_;
  const bool made_;
  std::atomic<bool> blocked_{false};
  std::mutex mutex_;
  std::condition_variable wake_;
  bool stop_ = false;
  std::thread guard_;
};

}  // namespace testutil
