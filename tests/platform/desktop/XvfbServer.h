#pragma once

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <sys/prctl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <sstream>
#include <string>
#include <vector>

namespace testutil {

// An Xvfb server of the test's own, on a display number it picks itself (-displayfd), so that
// parallel tests never collide; it never outlives the test. Display() is empty when Xvfb is not
// installed (Missing()) or did not come up (Problem() says why).
class XvfbServer {
 public:
  // `screen` is Xvfb's WxHxD; `extra` are further arguments (e.g. "-wr" for a white root).
  explicit XvfbServer(std::string screen = "320x240x24", std::vector<std::string> extra = {}) {
    const std::string exe = FindProgram("Xvfb");
    if (exe.empty()) {
      missing_ = true;
      problem_ = "Xvfb is not installed";
      return;
    }
    std::vector<std::string> args = {"Xvfb",     "-displayfd", "3",   "-nolisten",
                                      "tcp",      "-noreset",   "-screen", "0", screen};
    args.insert(args.end(), extra.begin(), extra.end());
    std::vector<char*> argv;
    for (std::string& a : args) argv.push_back(a.data());
    argv.push_back(nullptr);

    int fds[2];
    if (::pipe2(fds, O_CLOEXEC) != 0) {
      problem_ = "no pipe";
      return;
    }
    pid_ = ::fork();
    if (pid_ == 0) {
      ::prctl(PR_SET_PDEATHSIG, SIGTERM);
      // The one descriptor the server inherits besides the standard ones.
      if (fds[1] == 3)
        ::fcntl(3, F_SETFD, 0);
      else
        ::dup2(fds[1], 3);
      const int null = ::open("/dev/null", O_WRONLY);
      if (null >= 0) {
        ::dup2(null, 1);
        ::dup2(null, 2);
      }
      ::execv(exe.c_str(), argv.data());
      ::_exit(127);
    }
    ::close(fds[1]);
    if (pid_ < 0) {
      ::close(fds[0]);
      problem_ = "fork failed";
      return;
    }
    std::string number;
    for (;;) {
      pollfd p{fds[0], POLLIN, 0};
      if (::poll(&p, 1, 15000) <= 0) break;
      char c;
      if (::read(fds[0], &c, 1) != 1 || c == '\n') break;
      number.push_back(c);
    }
    ::close(fds[0]);
    if (number.empty())
      problem_ = "Xvfb did not report its display";
    else
      display_ = ":" + number;
  }
  ~XvfbServer() {
    if (pid_ <= 0) return;
    ::kill(pid_, SIGTERM);
    int status = 0;
    ::waitpid(pid_, &status, 0);
  }
  XvfbServer(const XvfbServer&) = delete;
  XvfbServer& operator=(const XvfbServer&) = delete;

  const std::string& Display() const { return display_; }
  pid_t Pid() const { return pid_; }
  bool Missing() const { return missing_; }
  const std::string& Problem() const { return problem_; }

  static std::string FindProgram(const std::string& name) {
    const char* path = std::getenv("PATH");
    std::stringstream dirs(path ? path : "/usr/bin:/bin");
    std::string dir;
    while (std::getline(dirs, dir, ':')) {
      const std::string candidate = dir + "/" + name;
      if (!dir.empty() && ::access(candidate.c_str(), X_OK) == 0) return candidate;
    }
    return std::string();
  }

 private:
  pid_t pid_ = -1;
  std::string display_;
  std::string problem_;
  bool missing_ = false;
};

}  // namespace testutil
