#pragma once

#include <sys/wait.h>
#include <unistd.h>

#include <string>

#include "tests/platform/desktop/XvfbServer.h"

namespace testutil {

// Switches the keyboard layout of `display` with setxkbmap; false when it is not installed or
// failed. The new layout is in force when it returns.
inline bool Setxkbmap(const std::string& display, const std::string& layout) {
  const std::string exe = XvfbServer::FindProgram("setxkbmap");
  if (exe.empty()) return false;
  const pid_t pid = ::fork();
  if (pid == 0) {
    ::execl(exe.c_str(), "setxkbmap", "-display", display.c_str(), layout.c_str(),
            static_cast<char*>(nullptr));
    ::_exit(127);
  }
  int status = 0;
  return pid > 0 && ::waitpid(pid, &status, 0) == pid && WIFEXITED(status) &&
         WEXITSTATUS(status) == 0;
}

}  // namespace testutil
