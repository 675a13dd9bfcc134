#include "platform/desktop/ChildReaper.h"

#include <poll.h>
#include <sys/eventfd.h>
#include <sys/syscall.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <cstdint>
#include <system_error>
#include <thread>

namespace desktop {
namespace {

// A child without a pidfd (descriptors exhausted) is looked at this often.
constexpr int kUnwatchedCheckMs = 1000;

int OpenPidfd(pid_t pid) {
  return static_cast<int>(::syscall(SYS_pidfd_open, pid, 0));
}

}  // namespace

ChildReaper& ChildReaper::Instance() {
  // Never destroyed: its thread may still be waiting when the process ends.
  static ChildReaper* const reaper = new ChildReaper;
  return *reaper;
}

ChildReaper::ChildReaper() : wake_(::eventfd(0, EFD_CLOEXEC | EFD_NONBLOCK)) {}

void ChildReaper::Watch(pid_t pid) {
  if (pid <= 0) return;
  // Opened at once: until it is reaped, the child (ended or not) keeps its pid. A pidfd is
  // close-on-exec, so no started program inherits it.
  const int pidfd = OpenPidfd(pid);
  if (pidfd < 0 && errno == ESRCH) return;  // already reaped by the system
  std::lock_guard<std::mutex> lock(mutex_);
  watched_[pid] = pidfd;
  if (!started_) {
    try {
      std::thread([this] { Run(); }).detach();
      started_ = true;
    } catch (const std::system_error&) {
      // No thread to be had now: the next child tries again; until then the children wait.
    }
  }
  const uint64_t one = 1;
  if (wake_ >= 0) (void)!::write(wake_, &one, sizeof one);
}

size_t ChildReaper::Pending() const {
  std::lock_guard<std::mutex> lock(mutex_);
  return watched_.size();
}

void ChildReaper::Run() {
  std::vector<pollfd> fds;
  std::vector<pid_t> pids;
  std::vector<pid_t> ready;
  for (;;) {
    fds.clear();
    pids.clear();
    bool unwatched = wake_ < 0;
    {
      std::lock_guard<std::mutex> lock(mutex_);
      if (wake_ >= 0) fds.push_back({wake_, POLLIN, 0});
      for (const auto& [pid, pidfd] : watched_) {
        if (pidfd < 0) {
          unwatched = true;
          continue;
        }
        fds.push_back({pidfd, POLLIN, 0});
        pids.push_back(pid);
      }
    }
    const size_t first = wake_ >= 0 ? 1 : 0;
    const int n = ::poll(fds.data(), fds.size(), unwatched ? kUnwatchedCheckMs : -1);
    if (n < 0 && errno != EINTR) {
      // Not expected; look again later rather than at once.
      std::this_thread::sleep_for(std::chrono::milliseconds(kUnwatchedCheckMs));
    }
    if (first == 1 && (fds[0].revents & POLLIN)) {
      uint64_t count = 0;
      (void)!::read(wake_, &count, sizeof count);
    }
    ready.clear();
    for (size_t i = first; i < fds.size(); ++i)
      if (fds[i].revents != 0) ready.push_back(pids[i - first]);
    ReapEnded(ready);
  }
}

void ChildReaper::ReapEnded(const std::vector<pid_t>& ready) {
  std::lock_guard<std::mutex> lock(mutex_);
  std::vector<pid_t> candidates = ready;
  for (const auto& [pid, pidfd] : watched_)
    if (pidfd < 0) candidates.push_back(pid);
  for (const pid_t pid : candidates) {
    int status = 0;
    pid_t done;
    do {
      done = ::waitpid(pid, &status, WNOHANG);
    } while (done < 0 && errno == EINTR);
    // Ended and reaped, or no longer a child of ours to wait for.
    if (done == pid || (done < 0 && errno == ECHILD)) {
      const auto it = watched_.find(pid);
      if (it == watched_.end()) continue;
      if (it->second >= 0) ::close(it->second);
      watched_.erase(it);
    }
  }
}

}  // namespace desktop
