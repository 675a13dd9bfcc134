#pragma once

// A child process of a test and the wait for a condition, shared by the tests that start
// programs (an X server's clients, a window manager, the built program).
#include <fcntl.h>
#include <signal.h>
#include <sys/prctl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <map>
#include <optional>
#include <string>
#include <thread>
#include <utility>
#include <vector>

extern char** environ;

namespace testutil {

using Clock = std::chrono::steady_clock;

// Waits for `done` to hold, looking every `pollMs`; false when `timeoutMs` passed first.
template <typename Done>
bool WaitFor(Done done, int timeoutMs, int pollMs = 20) {
  const Clock::time_point deadline = Clock::now() + std::chrono::milliseconds(timeoutMs);
  for (;;) {
    if (done()) return true;
    if (Clock::now() >= deadline) return false;
    std::this_thread::sleep_for(std::chrono::milliseconds(pollMs));
  }
}

// A child process; it is killed when the object goes and it still runs.
class Child {
 public:
  Child() = default;
  // Starts `exe` with `args`, the caller's environment changed by `env` (an empty value
  // removes the variable); output goes to `logPath` (appended).
  Child(const std::string& exe, const std::vector<std::string>& args,
        const std::map<std::string, std::string>& env, const std::string& logPath) {
    std::vector<std::string> envText;
    for (char** e = environ; *e; ++e) {
      const std::string entry = *e;
      const std::string key = entry.substr(0, entry.find('='));
      if (env.count(key) == 0) envText.push_back(entry);
    }
    for (const auto& [key, value] : env)
      if (!value.empty()) envText.push_back(key + "=" + value);
    std::vector<char*> argv{const_cast<char*>(exe.c_str())};
    for (const std::string& a : args) argv.push_back(const_cast<char*>(a.c_str()));
    argv.push_back(nullptr);
    std::vector<char*> envp;
    for (std::string& e : envText) envp.push_back(e.data());
    envp.push_back(nullptr);
    pid_ = ::fork();
    if (pid_ == 0) {
      ::prctl(PR_SET_PDEATHSIG, SIGKILL);
      const int log = ::open(logPath.c_str(), O_WRONLY | O_CREAT | O_APPEND, 0600);
      if (log >= 0) {
        ::dup2(log, 1);
        ::dup2(log, 2);
      }
      ::execve(exe.c_str(), argv.data(), envp.data());
      ::_exit(127);
    }
  }
  ~Child() {
    if (pid_ > 0 && !exited_) {
      ::kill(pid_, SIGKILL);
      ::waitpid(pid_, nullptr, 0);
    }
  }
  Child(Child&& other) noexcept { *this = std::move(other); }
  Child& operator=(Child&& other) noexcept {
    std::swap(pid_, other.pid_);
    std::swap(exited_, other.exited_);
    std::swap(status_, other.status_);
    return *this;
  }

  pid_t Pid() const { return pid_; }
  // The exit code once the process ended within `timeoutMs` (-signal when a signal ended it).
  std::optional<int> Wait(int timeoutMs) {
    if (pid_ <= 0) return std::nullopt;
    if (!exited_) {
      WaitFor(
          [&] {
            if (::waitpid(pid_, &status_, WNOHANG) == pid_) exited_ = true;
            return exited_;
          },
          timeoutMs);
    }
    if (!exited_) return std::nullopt;
    return WIFEXITED(status_) ? WEXITSTATUS(status_) : -WTERMSIG(status_);
  }
  bool Running() { return pid_ > 0 && !Wait(0).has_value(); }

 private:
  pid_t pid_ = -1;
  bool exited_ = false;
  int status_ = 0;
};

}  // namespace testutil
