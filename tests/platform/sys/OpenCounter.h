#pragma once

// How many times each file of a folder has been opened since the counter was made, from
// inotify.
#include <sys/inotify.h>
#include <unistd.h>

#include <map>
#include <string>

namespace testutil {

class OpenCounter {
 public:
  explicit OpenCounter(const std::string& folder)
      : fd_(inotify_init1(IN_NONBLOCK | IN_CLOEXEC)),
        watch_(fd_ >= 0 ? inotify_add_watch(fd_, folder.c_str(), IN_OPEN) : -1) {}
  ~OpenCounter() {
    if (fd_ >= 0) ::close(fd_);
  }
  OpenCounter(const OpenCounter&) = delete;
  OpenCounter& operator=(const OpenCounter&) = delete;

  bool Watching() const { return watch_ >= 0; }
  // The files opened so far, by name, with the number of opens.
  std::map<std::string, int> Opened() {
    alignas(inotify_event) char buffer[1 << 16];
    for (ssize_t n; (n = ::read(fd_, buffer, sizeof buffer)) > 0;) {
      for (char* p = buffer; p < buffer + n;) {
        const auto* event = reinterpret_cast<const inotify_event*>(p);
        if (event->len > 0 && !(event->mask & IN_ISDIR)) ++opened_[event->name];
        p += sizeof(inotify_event) + event->len;
      }
    }
    return opened_;
  }
  int Opens(const std::string& name) {
    const std::map<std::string, int> opened = Opened();
    const auto found = opened.find(name);
    return found == opened.end() ? 0 : found->second;
  }

 private:
  int fd_;
  int watch_;
  std::map<std::string, int> opened_;
};

}  // namespace testutil
