#include "platform/desktop/X11PointerMotionWatch.h"

#include <X11/Xlib.h>
#include <X11/extensions/XInput2.h>

namespace desktop {

struct X11PointerMotionWatch::Connection {
  ~Connection() {
    if (display != nullptr) XCloseDisplay(display);
  }
  // Selects the master pointers' raw motion on the root window, or nothing.
  void Select(bool motion) {
    unsigned char bits[XIMaskLen(XI_RawMotion)] = {};
    if (motion) XISetMask(bits, XI_RawMotion);
    XIEventMask mask{XIAllMasterDevices, static_cast<int>(sizeof bits), bits};
    XISelectEvents(display, DefaultRootWindow(display), &mask, 1);
  }
  // Takes every event that has come; true when one is a motion made after the server took the
  // last selection (its serial tells: events made before carry older ones).
  bool TakeEvents() {
    bool moved = false;
    while (XEventsQueued(display, QueuedAfterReading) > 0) {
      XEvent event;
      XNextEvent(display, &event);
      const XGenericEventCookie& cookie = event.xcookie;
      if (cookie.type == GenericEvent && cookie.extension == opcode &&
          cookie.evtype == XI_RawMotion && cookie.serial >= armedAt)
        moved = true;
    }
    return moved;
  }

  Display* display = nullptr;
  int opcode = 0;  // of the XInput extension
  bool armed = false;
  unsigned long armedAt = 0;  // the serial of the request that selected the motion
};

std::unique_ptr<X11PointerMotionWatch> X11PointerMotionWatch::Open(
    const std::string& displayName) {
  auto x = std::make_unique<Connection>();
  x->display = XOpenDisplay(displayName.empty() ? nullptr : displayName.c_str());
  if (x->display == nullptr) return nullptr;
  int event = 0, error = 0;
  if (!XQueryExtension(x->display, "XInputExtension", &x->opcode, &event, &error)) return nullptr;
  int major = 2, minor = 2;
  if (XIQueryVersion(x->display, &major, &minor) != Success || (major == 2 && minor < 2))
    return nullptr;
  return std::unique_ptr<X11PointerMotionWatch>(new X11PointerMotionWatch(std::move(x)));
}

X11PointerMotionWatch::X11PointerMotionWatch(std::unique_ptr<Connection> x) : x_(std::move(x)) {}

X11PointerMotionWatch::~X11PointerMotionWatch() = default;

void X11PointerMotionWatch::Arm() {
  Connection& x = *x_;
  if (x.armed) return;
  x.armedAt = NextRequest(x.display);
  x.Select(true);
  // Once the server has answered, it has the selection: every motion from now on reaches here.
  XSync(x.display, False);
  x.armed = true;
}

void X11PointerMotionWatch::Disarm() {
  Connection& x = *x_;
  if (!x.armed) return;
  x.Select(false);
  XFlush(x.display);
  x.armed = false;
}

bool X11PointerMotionWatch::TakeMotion() {
  Connection& x = *x_;
  const bool moved = x.TakeEvents();
  if (!x.armed || !moved) return false;
  // One motion is news enough: the ones that follow are not sent at all.
  Disarm();
  return true;
}

int X11PointerMotionWatch::Descriptor() const { return ConnectionNumber(x_->display); }

std::unique_ptr<PointerMotionWatch> CreatePointerMotionWatch() {
  return X11PointerMotionWatch::Open({});
}

}  // namespace desktop
