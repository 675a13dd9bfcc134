#pragma once

// The built program on an X server of its own: an Xvfb started for the purpose, the program
// started with an environment of the caller's choosing (testutil::Child), and an X client that
// finds its window, captures it and clicks into it (uitest::XClient). Shared by the end-to-end
// tests and the benchmarks.
#include <string>

#include "tests/platform/desktop/ChildProcess.h"
#include "tests/platform/desktop/XvfbServer.h"
// After Qt's headers: Xlib defines macros (None, Bool, Status) that Qt's own names would meet.
#include "tests/platform/ui/XClient.h"
#include "tests/platform/desktop/WindowManagerReady.h"

namespace apptest {

using testutil::Child;
using testutil::Clock;
using testutil::WaitFor;
using uitest::XClient;

// The session bus address of a program started in the folder `folder`: one that connects to
// nothing, so the program goes without a bus at once. With no address at all the bus library
// forks to launch a bus, and a fork while other threads allocate leaves the child hanging in
// the allocator of AddressSanitizer (that of GCC 12 does not guard it against fork).
inline std::string NoSessionBus(const std::string& folder) {
  return "unix:path=" + folder + "/no-session-bus";
}

// An Xvfb on a display number it picks itself, with a white root window.
class Xvfb : public testutil::XvfbServer {
 public:
  Xvfb(int width, int height)
      : XvfbServer(std::to_string(width) + "x" + std::to_string(height) + "x24", {"-wr"}) {}
};

}  // namespace apptest
