#pragma once

// Private to this folder's X11 sources: no public header includes it.

#include <X11/Xlib.h>

#include <mutex>

namespace desktop {

// Xlib reports protocol errors to one process-wide handler. While a trap is set, errors of the
// trap's connection are counted instead of ending the process; errors of any other connection
// (the toolkit's own) go on to the handler that was set before. Traps are taken one at a time.
class ErrorTrap {
 public:
  explicit ErrorTrap(Display* display);
  ~ErrorTrap();
  ErrorTrap(const ErrorTrap&) = delete;
  ErrorTrap& operator=(const ErrorTrap&) = delete;

  // Waits for the server to have handled every request so far (a round trip only when the last
  // request is still unanswered); true when none failed.
  bool Ok();

 private:
  std::lock_guard<std::mutex> lock_;
  Display* display_;
};

}  // namespace desktop
