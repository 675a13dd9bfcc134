#pragma once

// Waits until a window manager that has just been started manages the windows that are mapped.
// openbox names itself on the root window (_NET_SUPPORTING_WM_CHECK) before it has finished
// starting, and a window mapped in between can be left unmapped for good: a test whose first
// window is never shown fails on a loaded machine. So a probe window is mapped, again if need
// be, until the window manager has taken it in (reparented it into a frame or listed it in
// _NET_CLIENT_LIST); then it is destroyed.
#include <X11/Xatom.h>
#include <X11/Xlib.h>

#include <algorithm>
#include <chrono>

#include "tests/platform/desktop/ChildProcess.h"

namespace testutil {

namespace detail {

inline bool RootNamesWindowManager(Display* d) {
  Atom type;
  int format;
  unsigned long items, after;
  unsigned char* data = nullptr;
  const bool set =
      XGetWindowProperty(d, DefaultRootWindow(d), XInternAtom(d, "_NET_SUPPORTING_WM_CHECK", False),
                         0, 1, False, XA_WINDOW, &type, &format, &items, &after,
                         &data) == Success &&
      data != nullptr && items == 1;
  if (data != nullptr) XFree(data);
  return set;
}

// Whether the window manager has taken `w` in.
inline bool Managed(Display* d, Window w) {
  Window root = 0, parent = 0;
  Window* children = nullptr;
  unsigned int count = 0;
  if (XQueryTree(d, w, &root, &parent, &children, &count) != 0) {
    if (children != nullptr) XFree(children);
    if (parent != root) return true;
  }
  Atom type;
  int format;
  unsigned long items = 0, after;
  unsigned char* data = nullptr;
  bool listed = false;
  if (XGetWindowProperty(d, DefaultRootWindow(d), XInternAtom(d, "_NET_CLIENT_LIST", False), 0,
                         1024, False, XA_WINDOW, &type, &format, &items, &after,
                         &data) == Success &&
      data != nullptr && format == 32) {
    const auto* list = reinterpret_cast<const unsigned long*>(data);
    for (unsigned long i = 0; i < items && !listed; ++i) listed = list[i] == w;
  }
  if (data != nullptr) XFree(data);
  return listed;
}

}  // namespace detail

// True once the window manager on `display` (null: $DISPLAY) manages newly mapped windows;
// false when it did not within `timeoutMs`.
inline bool WaitUntilWindowsAreManaged(const char* display, int timeoutMs = 10000) {
  Display* d = XOpenDisplay(display);
  if (d == nullptr) return false;
  const auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
  const auto left = [&] {
    return static_cast<int>(std::chrono::duration_cast<std::chrono::milliseconds>(
                                end - std::chrono::steady_clock::now())
                                .count());
  };
  bool managed = WaitFor([&] { return detail::RootNamesWindowManager(d); }, timeoutMs);
  if (managed) {
    const Window probe = XCreateSimpleWindow(d, DefaultRootWindow(d), 0, 0, 8, 8, 0, 0, 0);
    managed = false;
    while (!managed && left() > 0) {
      XMapWindow(d, probe);
      XFlush(d);
      // A map that the window manager let go is asked for again.
      managed = WaitFor([&] { return detail::Managed(d, probe); }, std::min(1000, left()));
      if (!managed) {
        XUnmapWindow(d, probe);
        XSync(d, False);
      }
    }
    XDestroyWindow(d, probe);
    XSync(d, False);
  }
  XCloseDisplay(d);
  return managed;
}

}  // namespace testutil
