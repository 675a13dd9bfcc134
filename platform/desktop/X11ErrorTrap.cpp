#include "platform/desktop/X11ErrorTrap.h"

namespace desktop {
namespace {

std::mutex g_trapLock;
Display* g_trapDisplay = nullptr;
int g_trapErrors = 0;
XErrorHandler g_previousHandler = nullptr;

int TrapHandler(Display* display, XErrorEvent* event) {
  if (display == g_trapDisplay) {
    ++g_trapErrors;
    return 0;
  }
  return g_previousHandler != nullptr ? g_previousHandler(display, event) : 0;
}

// Waits for the server to have handled every request so far. Errors come in the order of the
// requests: once the last request has been answered, every error before it has arrived, and no
// round trip is needed.
void Settle(Display* display) {
  if (LastKnownRequestProcessed(display) != NextRequest(display) - 1) XSync(display, False);
}

}  // namespace

ErrorTrap::ErrorTrap(Display* display) : lock_(g_trapLock), display_(display) {
  g_trapDisplay = display;
  g_trapErrors = 0;
  g_previousHandler = XSetErrorHandler(TrapHandler);
}

ErrorTrap::~ErrorTrap() {
  Settle(display_);
  XSetErrorHandler(g_previousHandler);
  g_trapDisplay = nullptr;
}

bool ErrorTrap::Ok() {
  Settle(display_);
  return g_trapErrors == 0;
}

}  // namespace desktop
