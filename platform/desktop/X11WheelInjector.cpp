#include "platform/desktop/X11WheelInjector.h"

#include <X11/Xatom.h>
#include <X11/Xlib.h>
#include <X11/extensions/XTest.h>

#include <cstdlib>

#include "platform/desktop/WaylandSession.h"
#include "platform/desktop/X11ErrorTrap.h"

namespace desktop {

struct X11WheelInjector::Connection {
  ~Connection() {
    if (display != nullptr) XCloseDisplay(display);
  }
  Display* display = nullptr;
  Atom windowType = None;
  Atom typeDesktop = None;
};

namespace {

// Whether `window` says it is the desktop (_NET_WM_WINDOW_TYPE holds the desktop type).
bool IsDesktopWindow(Display* display, Window window, Atom windowType, Atom typeDesktop) {
  Atom actualType = None;
  int format = 0;
  unsigned long items = 0, after = 0;
  unsigned char* data = nullptr;
  bool desktop = false;
  if (XGetWindowProperty(display, window, windowType, 0, 32, False, XA_ATOM, &actualType, &format,
                         &items, &after, &data) == Success &&
      actualType == XA_ATOM && format == 32 && data != nullptr) {
    const auto* atoms = reinterpret_cast<const unsigned long*>(data);  // 32-bit items as longs
    for (unsigned long i = 0; i < items && !desktop; ++i) desktop = atoms[i] == typeDesktop;
  }
  if (data != nullptr) XFree(data);
  return desktop;
}

}  // namespace

std::unique_ptr<X11WheelInjector> X11WheelInjector::Open(const std::string& displayName) {
  auto x = std::make_unique<Connection>();
  x->display = XOpenDisplay(displayName.empty() ? nullptr : displayName.c_str());
  if (x->display == nullptr) return nullptr;
  int event = 0, error = 0, major = 0, minor = 0;
  if (!XTestQueryExtension(x->display, &event, &error, &major, &minor)) return nullptr;
  x->windowType = XInternAtom(x->display, "_NET_WM_WINDOW_TYPE", False);
  x->typeDesktop = XInternAtom(x->display, "_NET_WM_WINDOW_TYPE_DESKTOP", False);
  return std::unique_ptr<X11WheelInjector>(new X11WheelInjector(std::move(x)));
}

X11WheelInjector::X11WheelInjector(std::unique_ptr<Connection> x) : x_(std::move(x)) {}

X11WheelInjector::~X11WheelInjector() = default;

bool X11WheelInjector::PointerOverDesktop() {
  Display* display = x_->display;
  ErrorTrap trap(display);
  // Walks from the root down the windows under the pointer: the window manager's frame, the
  // client inside it, and on to the deepest window. Any of them of the desktop type, or no
  // window at all over the root, counts as the desktop.
  Window window = DefaultRootWindow(display);
  bool first = true;
  for (int depth = 0; depth < 64; ++depth) {
    Window root = None, child = None;
    int rootX = 0, rootY = 0, x = 0, y = 0;
    unsigned mask = 0;
    if (!XQueryPointer(display, window, &root, &child, &rootX, &rootY, &x, &y, &mask))
      return true;  // the pointer is on another screen
    if (child == None) return first;
    if (IsDesktopWindow(display, child, x_->windowType, x_->typeDesktop)) return true;
    window = child;
    first = false;
  }
  // A window that vanished while walking leaves nothing to scroll.
  return !trap.Ok();
}

bool X11WheelInjector::ScrollHorizontally(int steps) {
  if (steps == 0 || PointerOverDesktop()) return false;
  Display* display = x_->display;
  const unsigned button = steps < 0 ? kWheelLeftButton : kWheelRightButton;
  const long count = std::labs(static_cast<long>(steps));
  for (long i = 0; i < count; ++i) {
    XTestFakeButtonEvent(display, button, True, CurrentTime);
    XTestFakeButtonEvent(display, button, False, CurrentTime);
  }
  XFlush(display);
  return true;
}

namespace {

// Without an X server there is nothing to scroll.
class NoWheelInjector : public WheelInjector {
 public:
  bool ScrollHorizontally(int) override { return false; }
};

}  // namespace

std::unique_ptr<WheelInjector> CreateWheelInjector() {
  NoteX11ProgramsOnly();
  if (std::unique_ptr<X11WheelInjector> x = X11WheelInjector::Open({})) return x;
  return std::make_unique<NoWheelInjector>();
}

}  // namespace desktop
