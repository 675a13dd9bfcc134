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

}  // namespace

ErrorTrap::ErrorTrap(Display* display) : lock_(g_trapLock), display_(display) {
  g_trapDisplay = display;
  g_trapErrors = 0;
  g_previousHandler = XSetErrorHandler(TrapHandler);
}

ErrorTrap::~ErrorTrap() {
  XSync(display_, False);
  XSetErrorHandler(g_previousHandler);
  g_trapDisplay = nullptr;
}

bool ErrorTrap::Ok() {
  XSync(display_, False);
  return g_trapErrors == 0;
}

}  // namespace desktop
