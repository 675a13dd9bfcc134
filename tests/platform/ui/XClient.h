#pragma once

// An X client of a test's own: it finds a process's windows, captures the screen and clicks and
// types into it through XTest. Include it after Qt's headers: Xlib's macros would meet Qt's
// names.
#include <QImage>
#include <QPoint>
#include <QRect>
#include <QSize>

#include <chrono>
#include <string>
#include <thread>
#include <vector>

#include <X11/Xatom.h>
#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <X11/extensions/XTest.h>
#include <X11/keysym.h>

namespace uitest {

// An Xlib client of the server.
class XClient {
 public:
  explicit XClient(const std::string& display) : d_(XOpenDisplay(display.c_str())) {
    // A window the program destroys while it is looked at gives BadWindow, whose default
    // handler would end the test: the request just fails instead.
    XSetErrorHandler([](::Display*, XErrorEvent*) { return 0; });
  }
  ~XClient() {
    if (d_) XCloseDisplay(d_);
  }
  XClient(const XClient&) = delete;
  XClient& operator=(const XClient&) = delete;

  bool Connected() const { return d_ != nullptr; }

  // The largest viewable top-level window of process `pid` (by _NET_WM_PID), or 0. With a
  // `size`, only a window of that size counts.
  Window WindowOf(pid_t pid, QSize size = QSize()) {
    Window rootReturn, parent;
    Window* children = nullptr;
    unsigned count = 0;
    if (!XQueryTree(d_, Root(), &rootReturn, &parent, &children, &count)) return 0;
    Window best = 0;
    long bestArea = 0;
    const Atom pidAtom = XInternAtom(d_, "_NET_WM_PID", False);
    for (unsigned i = 0; i < count; ++i) {
      XWindowAttributes a;
      if (!XGetWindowAttributes(d_, children[i], &a) || a.map_state != IsViewable) continue;
      Atom type;
      int format;
      unsigned long items, after;
      unsigned char* data = nullptr;
      if (size.isValid() && QSize(a.width, a.height) != size) continue;
      if (XGetWindowProperty(d_, children[i], pidAtom, 0, 1, False, XA_CARDINAL, &type, &format,
                             &items, &after, &data) == Success &&
          data && items == 1 && static_cast<pid_t>(*reinterpret_cast<unsigned long*>(data)) == pid &&
          long(a.width) * a.height > bestArea) {
        best = children[i];
        bestArea = long(a.width) * a.height;
      }
      if (data) XFree(data);
    }
    if (children) XFree(children);
    return best;
  }

  // The window's rectangle on the screen.
  QRect Geometry(Window w) {
    XWindowAttributes a;
    if (!XGetWindowAttributes(d_, w, &a)) return QRect();
    int x = 0, y = 0;
    Window child;
    XTranslateCoordinates(d_, w, Root(), 0, 0, &x, &y, &child);
    return QRect(x, y, a.width, a.height);
  }

  // What the screen shows in `area`.
  QImage Capture(const QRect& area) {
    XImage* image = XGetImage(d_, Root(), area.x(), area.y(), unsigned(area.width()),
                              unsigned(area.height()), AllPlanes, ZPixmap);
    if (!image) return QImage();
    QImage out(area.size(), QImage::Format_RGB32);
    for (int y = 0; y < area.height(); ++y)
      for (int x = 0; x < area.width(); ++x)
        out.setPixel(x, y, static_cast<QRgb>(XGetPixel(image, x, y)) | 0xFF000000u);
    XDestroyImage(image);
    return out;
  }

  // What the screen shows in `area` once two captures 100 ms apart agree (at most 3 s on).
  QImage SettledCapture(const QRect& area) {
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(3);
    QImage shot = Capture(area);
    while (std::chrono::steady_clock::now() < deadline) {
      std::this_thread::sleep_for(std::chrono::milliseconds(100));
      const QImage again = Capture(area);
      if (again == shot) break;
      shot = again;
    }
    return shot;
  }

  // The pointer to a screen point, as a device moves it (XTest), or as a program puts it there
  // without a device (a warp).
  void MovePointer(const QPoint& to) {
    XTestFakeMotionEvent(d_, -1, to.x(), to.y(), 0);
    XSync(d_, False);
  }
  void WarpPointer(const QPoint& to) {
    XWarpPointer(d_, 0, Root(), 0, 0, 0, 0, to.x(), to.y());
    XSync(d_, False);
  }

  // A left click at a screen point, through XTest.
  void Click(const QPoint& at) {
    XTestFakeMotionEvent(d_, -1, at.x(), at.y(), 0);
    XTestFakeButtonEvent(d_, 1, True, 0);
    XTestFakeButtonEvent(d_, 1, False, 20);
    XSync(d_, False);
  }

  // A press and release of the key of `keysym` (no modifiers), through XTest.
  void Key(KeySym keysym) {
    const KeyCode code = XKeysymToKeycode(d_, keysym);
    XTestFakeKeyEvent(d_, code, True, 0);
    XTestFakeKeyEvent(d_, code, False, 10);
    XSync(d_, False);
  }
  // Types `text`, characters that need no modifier only (lower-case letters, digits, '/', ...).
  void Type(const std::string& text) {
    for (char c : text) {
      const char name[2] = {c, 0};
      KeySym keysym = XStringToKeysym(name);
      if (c == '/') keysym = XK_slash;
      if (c == '.') keysym = XK_period;
      if (c == '-') keysym = XK_minus;
      Key(keysym);
    }
  }

  // A plain window of this client over `area` of the screen, above every other (override
  // redirect, so no window manager moves it), shown once the call returns; gone with the client
  // or DestroyWindow.
  Window Cover(const QRect& area) {
    XSetWindowAttributes a{};
    a.override_redirect = True;
    a.background_pixel = 0x808080;
    const Window w = XCreateWindow(d_, Root(), area.x(), area.y(), unsigned(area.width()),
                                   unsigned(area.height()), 0, CopyFromParent, InputOutput,
                                   CopyFromParent, CWOverrideRedirect | CWBackPixel, &a);
    XMapRaised(d_, w);
    XSync(d_, False);
    return w;
  }
  void DestroyWindow(Window w) {
    XDestroyWindow(d_, w);
    XSync(d_, False);
  }

  // The core pointer's acceleration (numerator / denominator) and threshold.
  bool PointerControl(int& numerator, int& denominator, int& threshold) {
    return XGetPointerControl(d_, &numerator, &denominator, &threshold) != 0;
  }

  // The EWMH window types of a window (atom names).
  std::vector<std::string> WindowTypes(Window w) {
    std::vector<std::string> out;
    Atom type;
    int format;
    unsigned long items, after;
    unsigned char* data = nullptr;
    const Atom property = XInternAtom(d_, "_NET_WM_WINDOW_TYPE", False);
    if (XGetWindowProperty(d_, w, property, 0, 64, False, XA_ATOM, &type, &format, &items, &after,
                           &data) == Success && data) {
      const auto* atoms = reinterpret_cast<const Atom*>(data);
      for (unsigned long i = 0; i < items; ++i) {
        char* name = XGetAtomName(d_, atoms[i]);
        if (name) {
          out.push_back(name);
          XFree(name);
        }
      }
    }
    if (data) XFree(data);
    return out;
  }

 private:
  Window Root() const { return DefaultRootWindow(d_); }
  ::Display* d_;
};

}  // namespace uitest
