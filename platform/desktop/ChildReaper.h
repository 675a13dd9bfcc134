#pragma once

#include <sys/types.h>

#include <cstddef>
#include <map>
#include <mutex>
#include <vector>

// Reaps the processes the launcher started, all of them from one thread: the thread polls a
// pidfd of each child and waits for a child that ended by its own pid, never for any other
// child of this program. It starts with the first child and then blocks until a child ends
// or another one is given to it.
namespace desktop {

class ChildReaper {
 public:
  // The process's one reaper; it lives until the process ends.
  static ChildReaper& Instance();

  // From now on `pid`, a child of this process, is waited for once it ends.
  void Watch(pid_t pid);

  // The children given to Watch that have not been reaped yet.
  size_t Pending() const;

 private:
  ChildReaper();
  void Run();
  // Reaps the children among `ready` (and every child without a pidfd) that have ended.
  void ReapEnded(const std::vector<pid_t>& ready);

  mutable std::mutex mutex_;
  std::map<pid_t, int> watched_;  // child -> its pidfd, or -1 when none could be had
  int wake_ = -1;                 // eventfd: a new child to watch
  bool started_ = false;
};

}  // namespace desktop
