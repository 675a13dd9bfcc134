#pragma once

// The built program among real desktop components on an X server of its own: the window tree
// seen from outside (tray icons, popup menus, the active window), XTest input, and a session of
// private folders with the simulated mouse and its control pipe. Shared by the end-to-end tests
// and the benchmarks of the tray and the PC-side buttons.
#include <fcntl.h>
#include <stdlib.h>
#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include <QMargins>
#include <QString>

#include "tests/app/ProgramUnderX.h"
#include "tests/platform/sys/FileTestUtil.h"

namespace apptest {

inline constexpr size_t kStateCurrentMode = 1556;  // the current mode in the mouse's state file
inline constexpr QSize kMenuSize(102, 76);         // three items, a separator and the frame

using testutil::ReadText;

// Whether a window title shows nothing: no character but spaces and invisible ones.
inline bool ShowsNothing(const std::string& utf8) {
  for (const QChar c : QString::fromStdString(utf8)) {
    if (!c.isSpace() && c.category() != QChar::Other_Format) return false;
  }
  return true;
}

// What the test needs of the X server beyond apptest::XClient: the window tree, selections,
// the active window and XTest input.
class Desk {
 public:
  explicit Desk(const std::string& display) : d_(XOpenDisplay(display.c_str())) {
    // Windows come and go while the tree is walked: a window gone meanwhile is skipped, not
    // fatal.
    XSetErrorHandler([](::Display*, XErrorEvent*) { return 0; });
  }
  ~Desk() {
    if (d_) XCloseDisplay(d_);
  }
  Desk(const Desk&) = delete;
  Desk& operator=(const Desk&) = delete;
  bool Connected() const { return d_ != nullptr; }

  struct Found {
    Window window;
    QRect geometry;
    bool topLevel;  // a child of the root window
    bool overrideRedirect;
  };

  // The viewable windows of process `pid`, anywhere in the tree.
  std::vector<Found> WindowsOf(pid_t pid) {
    std::vector<Found> out;
    Walk(Root(), pid, true, out);
    return out;
  }
  std::optional<Found> TrayIconOf(pid_t pid) {
    for (const Found& f : WindowsOf(pid)) {
      if (!f.topLevel && f.geometry.width() <= 64) return f;
    }
    return std::nullopt;
  }
  std::optional<Found> MenuOf(pid_t pid) {
    for (const Found& f : WindowsOf(pid)) {
      if (f.topLevel && f.overrideRedirect && f.geometry.size() == kMenuSize) return f;
    }
    return std::nullopt;
  }
  bool TopLevelShown(pid_t pid) {
    for (const Found& f : WindowsOf(pid)) {
      if (f.topLevel && !f.overrideRedirect) return true;
    }
    return false;
  }

  bool SelectionOwned(const char* name) {
    return XGetSelectionOwner(d_, XInternAtom(d_, name, False)) != 0;
  }
  bool RootHas(const char* property) {
    Atom type;
    int format;
    unsigned long items, after;
    unsigned char* data = nullptr;
    const bool has = XGetWindowProperty(d_, Root(), XInternAtom(d_, property, False), 0, 1, False,
                                        AnyPropertyType, &type, &format, &items, &after,
                                        &data) == Success &&
                     data && items > 0;
    if (data) XFree(data);
    return has;
  }
  // A text property of a window (_NET_WM_NAME, WM_NAME) as UTF-8, whatever its encoding;
  // nothing when the window has no such property.
  std::optional<std::string> TextProperty(Window w, const char* name) {
    XTextProperty property{};
    if (!XGetTextProperty(d_, w, &property, XInternAtom(d_, name, False)) || !property.value)
      return std::nullopt;
    std::string text;
    char** list = nullptr;
    int count = 0;
    if (Xutf8TextPropertyToTextList(d_, &property, &list, &count) >= Success && list) {
      for (int i = 0; i < count; ++i) text += list[i];
      XFreeStringList(list);
    }
    XFree(property.value);
    return text;
  }
  // The place of `w` with the window manager's frame around it, once the window manager has
  // told the frame's size (within 5 s; without a frame, the window's own place).
  QRect InFrame(const Found& w) {
    QRect framed = w.geometry;
    WaitFor(
        [&] {
          const std::vector<long> v = Cardinals(w.window, "_NET_FRAME_EXTENTS", XA_CARDINAL, 4);
          if (!v.empty()) {
            framed = w.geometry.marginsAdded(QMargins(int(v[0]), int(v[2]), int(v[1]), int(v[3])));
          }
          return !v.empty();
        },
        5000);
    return framed;
  }

  // A dock window that reserves the screen outside `area` (_NET_WM_STRUT_PARTIAL), so that the
  // window manager's work area becomes `area`, as panels do; it stays until the connection ends.
  void ReserveAllBut(const QRect& area) {
    const Window w = XCreateSimpleWindow(d_, Root(), area.right() + 1, area.bottom() + 1, 1, 1,
                                         0, 0, 0);
    const Atom dock = XInternAtom(d_, "_NET_WM_WINDOW_TYPE_DOCK", False);
    XChangeProperty(d_, w, XInternAtom(d_, "_NET_WM_WINDOW_TYPE", False), XA_ATOM, 32,
                    PropModeReplace, reinterpret_cast<const unsigned char*>(&dock), 1);
    const int width = DisplayWidth(d_, DefaultScreen(d_));
    const int height = DisplayHeight(d_, DefaultScreen(d_));
    // left, right, top, bottom, then the ranges each of them covers.
    const long strut[12] = {area.left(), width - 1 - area.right(), area.top(),
                            height - 1 - area.bottom(), 0, height - 1, 0, height - 1,
                            0, width - 1, 0, width - 1};
    XChangeProperty(d_, w, XInternAtom(d_, "_NET_WM_STRUT_PARTIAL", False), XA_CARDINAL, 32,
                    PropModeReplace, reinterpret_cast<const unsigned char*>(strut), 12);
    XMapWindow(d_, w);
    XSync(d_, False);
  }
  // Maps again the top-level windows of process `pid` of size `size` that are left unmapped;
  // how many there were.
  int MapAgain(pid_t pid, QSize size) {
    Window rootReturn, parentReturn;
    Window* children = nullptr;
    unsigned count = 0;
    if (!XQueryTree(d_, Root(), &rootReturn, &parentReturn, &children, &count)) return 0;
    int mapped = 0;
    for (unsigned i = 0; i < count; ++i) {
      XWindowAttributes a;
      if (!XGetWindowAttributes(d_, children[i], &a) || a.map_state != IsUnmapped ||
          a.override_redirect || QSize(a.width, a.height) != size ||
          Cardinal(children[i], "_NET_WM_PID", XA_CARDINAL) != pid)
        continue;
      XMapWindow(d_, children[i]);
      ++mapped;
    }
    if (children) XFree(children);
    XSync(d_, False);
    return mapped;
  }
  // The first work area the window manager reports (_NET_WORKAREA); empty without one.
  QRect WorkArea() {
    const std::vector<long> v = Cardinals(Root(), "_NET_WORKAREA", XA_CARDINAL, 4);
    return v.empty() ? QRect() : QRect(int(v[0]), int(v[1]), int(v[2]), int(v[3]));
  }

  // The process of the active window, 0 for none.
  long ActivePid() {
    const long active = Cardinal(Root(), "_NET_ACTIVE_WINDOW", XA_WINDOW);
    return active ? Cardinal(static_cast<Window>(active), "_NET_WM_PID", XA_CARDINAL) : 0;
  }
  // Asks the window manager to activate `w`, as a pager does.
  void Activate(Window w) {
    XEvent e{};
    e.xclient.type = ClientMessage;
    e.xclient.window = w;
    e.xclient.message_type = XInternAtom(d_, "_NET_ACTIVE_WINDOW", False);
    e.xclient.format = 32;
    e.xclient.data.l[0] = 2;
    e.xclient.data.l[1] = CurrentTime;
    XSendEvent(d_, Root(), False, SubstructureRedirectMask | SubstructureNotifyMask, &e);
    XSync(d_, False);
  }

  void MoveTo(const QPoint& at) {
    XTestFakeMotionEvent(d_, -1, at.x(), at.y(), 0);
    XSync(d_, False);
  }
  void Button(unsigned button, bool press) {
    XTestFakeButtonEvent(d_, button, press ? True : False, 0);
    XSync(d_, False);
  }
  // A press or a release of the key of `keysym`, with no modifier.
  void Key(KeySym keysym, bool press) {
    XTestFakeKeyEvent(d_, XKeysymToKeycode(d_, keysym), press ? True : False, 0);
    XSync(d_, False);
  }
  void Click(const QPoint& at, unsigned button = 1) {
    MoveTo(at);
    std::this_thread::sleep_for(std::chrono::milliseconds(60));
    Button(button, true);
    Button(button, false);
  }
  void DoubleClick(const QPoint& at) {
    MoveTo(at);
    std::this_thread::sleep_for(std::chrono::milliseconds(60));
    for (int i = 0; i < 2; ++i) {
      Button(1, true);
      Button(1, false);
      std::this_thread::sleep_for(std::chrono::milliseconds(40));
    }
  }

 private:
  Window Root() const { return DefaultRootWindow(d_); }

  long Cardinal(Window w, const char* name, Atom kind) {
    const std::vector<long> v = Cardinals(w, name, kind, 1);
    return v.empty() ? 0 : v[0];
  }
  // The first `count` values of a 32-bit property; empty when it has fewer.
  std::vector<long> Cardinals(Window w, const char* name, Atom kind, long count) {
    Atom type;
    int format;
    unsigned long items, after;
    unsigned char* data = nullptr;
    std::vector<long> values;
    if (XGetWindowProperty(d_, w, XInternAtom(d_, name, False), 0, count, False, kind, &type,
                           &format, &items, &after, &data) == Success &&
        data && items == static_cast<unsigned long>(count)) {
      const auto* v = reinterpret_cast<const unsigned long*>(data);
      values.assign(v, v + count);
    }
    if (data) XFree(data);
    return values;
  }

  void Walk(Window parent, pid_t pid, bool topLevel, std::vector<Found>& out) {
    Window rootReturn, parentReturn;
    Window* children = nullptr;
    unsigned count = 0;
    if (!XQueryTree(d_, parent, &rootReturn, &parentReturn, &children, &count)) return;
    for (unsigned i = 0; i < count; ++i) {
      XWindowAttributes a;
      if (!XGetWindowAttributes(d_, children[i], &a) || a.map_state != IsViewable) continue;
      if (Cardinal(children[i], "_NET_WM_PID", XA_CARDINAL) == pid) {
        int x = 0, y = 0;
        Window child;
        XTranslateCoordinates(d_, children[i], Root(), 0, 0, &x, &y, &child);
        out.push_back({children[i], QRect(x, y, a.width, a.height), topLevel,
                       a.override_redirect != 0});
      }
      Walk(children[i], pid, false, out);
    }
    if (children) XFree(children);
  }

  ::Display* d_;
};

// Private runtime, data, configuration and home folders, the environment that uses them with
// the simulated mouse (state file and control pipe), and the programs started in it.
class DesktopSession {
 public:
  explicit DesktopSession(const std::string& display) {
    std::string pattern = (std::filesystem::temp_directory_path() / "kdz-desk-XXXXXX").string();
    if (mkdtemp(pattern.data()) == nullptr) return;
    folder_ = pattern;
    for (const char* sub : {"runtime", "data", "config", "home"})
      std::filesystem::create_directory(folder_ + "/" + sub);
    ::chmod((folder_ + "/runtime").c_str(), 0700);
    env_ = {
        {"DISPLAY", display},
        {"WAYLAND_DISPLAY", ""},
        {"DBUS_SESSION_BUS_ADDRESS", NoSessionBus(folder_)},
        {"HOME", folder_ + "/home"},
        {"QT_QPA_PLATFORM", "xcb"},
        {"XDG_RUNTIME_DIR", folder_ + "/runtime"},
        {"XDG_DATA_HOME", folder_ + "/data"},
        {"XDG_CONFIG_HOME", folder_ + "/config"},
        {"KDZ_SIMULATED_MOUSE", "1"},
        {"KDZ_SIMULATED_MOUSE_STATE", folder_ + "/mouse.state"},
        {"KDZ_SIMULATED_MOUSE_CONTROL", folder_ + "/control"},
    };
  }
  ~DesktopSession() {
    std::error_code ec;
    if (!folder_.empty()) std::filesystem::remove_all(folder_, ec);
  }
  DesktopSession(const DesktopSession&) = delete;
  DesktopSession& operator=(const DesktopSession&) = delete;

  bool Ok() const { return !folder_.empty(); }
  const std::string& Folder() const { return folder_; }
  const std::map<std::string, std::string>& Env() const { return env_; }
  // Sets a variable of the environment of the programs started from now on.
  void SetEnv(const std::string& key, const std::string& value) { env_[key] = value; }

  // A desktop component from the system; empty when it is not installed.
  std::optional<Child> Tool(const std::string& exe, const std::vector<std::string>& args) const {
    if (::access(exe.c_str(), X_OK) != 0) return std::nullopt;
    return Child(exe, args, env_, folder_ + "/tools.log");
  }
  Child Program(const std::string& exe, std::vector<std::string> args = {}) const {
    return Child(exe, args, env_, folder_ + "/program.log");
  }
  std::string Log() const { return ReadText(folder_ + "/program.log"); }

  // One line to the simulated mouse, once the program listens on its pipe.
  bool Control(const std::string& line) const {
    int fd = -1;
    WaitFor(
        [&] {
          fd = ::open((folder_ + "/control").c_str(), O_WRONLY | O_NONBLOCK | O_CLOEXEC);
          return fd >= 0;
        },
        10000);
    if (fd < 0) return false;
    const std::string text = line + "\n";
    const bool ok = ::write(fd, text.data(), text.size()) == static_cast<ssize_t>(text.size());
    ::close(fd);
    return ok;
  }
  // The mouse's current mode as its state file holds it; -1 before the first save.
  int StateMode() const {
    const std::string state = ReadText(folder_ + "/mouse.state");
    return state.size() > kStateCurrentMode ? state[kStateCurrentMode] : -1;
  }

 private:
  std::string folder_;
  std::map<std::string, std::string> env_;
};

// A desktop session on an Xvfb of its own. A test fixture derives from it besides
// ::testing::Test and opens the session in its SetUp.
class DesktopOnScreen {
 protected:
  DesktopOnScreen(int width, int height) : server_(width, height) {}

  // Opens the session on the server; empty when it is ready, else what went wrong.
  std::string OpenSession() {
    if (!server_.Problem().empty()) return server_.Problem();
    session_ = std::make_unique<DesktopSession>(server_.Display());
    return session_->Ok() ? std::string() : "no session folder";
  }

  Xvfb server_;
  std::unique_ptr<DesktopSession> session_;
};

}  // namespace apptest
