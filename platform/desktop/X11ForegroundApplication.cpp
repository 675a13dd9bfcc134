#include "platform/desktop/X11ForegroundApplication.h"

#include <X11/Xatom.h>
#include <X11/Xlib.h>
#include <X11/extensions/XRes.h>
#include <poll.h>
#include <unistd.h>

#include <optional>

#include "platform/desktop/WaylandSession.h"
#include "platform/desktop/X11ErrorTrap.h"

namespace desktop {
namespace {

// The first 32-bit item of a window property of the given type; empty when it is missing.
std::optional<unsigned long> CardinalProperty(Display* display, Window window, Atom property,
                                              Atom type) {
  Atom actualType = None;
  int format = 0;
  unsigned long items = 0, after = 0;
  unsigned char* data = nullptr;
  std::optional<unsigned long> value;
  if (XGetWindowProperty(display, window, property, 0, 1, False, type, &actualType, &format,
                         &items, &after, &data) == Success &&
      actualType == type && format == 32 && items >= 1 && data != nullptr) {
    value = reinterpret_cast<unsigned long*>(data)[0];  // Xlib hands 32-bit items as longs
  }
  if (data != nullptr) XFree(data);
  return value;
}

// A text property as its bytes (up to the first zero); empty when missing.
std::string TextProperty(Display* display, Window window, Atom property) {
  Atom actualType = None;
  int format = 0;
  unsigned long items = 0, after = 0;
  unsigned char* data = nullptr;
  std::string value;
  if (XGetWindowProperty(display, window, property, 0, 1024, False, AnyPropertyType, &actualType,
                         &format, &items, &after, &data) == Success &&
      format == 8 && data != nullptr) {
    value.assign(reinterpret_cast<const char*>(data), items);
    value.resize(value.find('\0') == std::string::npos ? value.size() : value.find('\0'));
  }
  if (data != nullptr) XFree(data);
  return value;
}

// The process of the client that created `window`, as the X server knows it from the client's
// local connection (X Resource extension 1.2); 0 when the server cannot tell.
int CreatorProcessId(Display* display, Window window) {
  XResClientIdSpec spec{window, XRES_CLIENT_ID_PID_MASK};
  long count = 0;
  XResClientIdValue* ids = nullptr;
  if (XResQueryClientIds(display, 1, &spec, &count, &ids) != Success) return 0;
  pid_t pid = -1;
  for (long i = 0; i < count && pid <= 0; ++i) {
    if (XResGetClientIdType(&ids[i]) == XRES_CLIENT_ID_PID) pid = XResGetClientPid(&ids[i]);
  }
  XResClientIdsDestroy(count, ids);
  return pid > 0 ? static_cast<int>(pid) : 0;
}

// Whether the server offers the client ids of the X Resource extension (version 1.2 on).
bool HasClientIds(Display* display) {
  int eventBase = 0, errorBase = 0, major = 0, minor = 0;
  return XResQueryExtension(display, &eventBase, &errorBase) &&
         XResQueryVersion(display, &major, &minor) &&
         (major > 1 || (major == 1 && minor >= 2));
}

std::string LocalHostName() {
  char name[256] = {};
  if (::gethostname(name, sizeof name - 1) != 0) return {};
  return name;
}

// Host names compare without regard to case.
bool EqualNoCase(const std::string& a, const std::string& b) {
  if (a.size() != b.size()) return false;
  for (size_t i = 0; i < a.size(); ++i) {
    const auto lower = [](char c) { return c >= 'A' && c <= 'Z' ? char(c - 'A' + 'a') : c; };
    if (lower(a[i]) != lower(b[i])) return false;
  }
  return true;
}

std::string FirstLabel(const std::string& host) { return host.substr(0, host.find('.')); }

}  // namespace

bool SameClientMachine(const std::string& clientMachine, const std::string& localHost) {
  if (clientMachine.empty()) return true;
  if (EqualNoCase(clientMachine, localHost)) return true;
  // One side may carry the domain and the other not.
  const bool eitherShort = clientMachine.find('.') == std::string::npos ||
                           localHost.find('.') == std::string::npos;
  return eitherShort && !localHost.empty() &&
         EqualNoCase(FirstLabel(clientMachine), FirstLabel(localHost));
}

struct X11ForegroundApplication::Connection {
  ~Connection() {
    if (display != nullptr) XCloseDisplay(display);
  }
  Window Root() const { return DefaultRootWindow(display); }
  // Takes the events that have arrived, without asking the server: a change of the active
  // window, or of the watched window's process or host, makes the process stale. Nothing is read
  // while nothing has come: one look at the socket, where Xlib's reads would cost two.
  void TakeEvents();
  // Takes every event Xlib and its connection hold or can read now. After requests with replies
  // it leaves nothing behind that the socket would not show.
  void DrainEvents();
  // The process of the active window, read from the server; the active window is watched from
  // now on.
  int LookUpProcess();
  // The process of `window` on this host, 0 when it cannot be told or a request failed.
  int ProcessOf(Window window, ErrorTrap& trap);

  Display* display = nullptr;
  Atom activeWindow = None;
  Atom wmPid = None;
  bool clientIds = false;  // the server tells the process of a local client
  std::string localHost;

  bool following = false;  // the root window's property changes are selected
  bool stale = true;       // `pid` must be looked up again
  Window watched = None;   // the active window whose property changes are selected
  int pid = 0;
};

void X11ForegroundApplication::Connection::TakeEvents() {
  if (XEventsQueued(display, QueuedAlready) == 0) {
    pollfd socket{ConnectionNumber(display), POLLIN, 0};
    if (::poll(&socket, 1, 0) != 1) return;
  }
  DrainEvents();
}

void X11ForegroundApplication::Connection::DrainEvents() {
  while (XEventsQueued(display, QueuedAfterReading) > 0) {
    XEvent event;
    XNextEvent(display, &event);
    if (event.type != PropertyNotify) continue;
    const XPropertyEvent& change = event.xproperty;
    if (change.window == Root() ? change.atom == activeWindow
                                : change.window == watched &&
                                      (change.atom == wmPid || change.atom == XA_WM_CLIENT_MACHINE))
      stale = true;
  }
}

int X11ForegroundApplication::Connection::LookUpProcess() {
  // The windows may go away between two requests: their errors are trapped, not fatal.
  ErrorTrap trap(display);
  const std::optional<unsigned long> active =
      CardinalProperty(display, Root(), activeWindow, XA_WINDOW);
  const Window window = active ? static_cast<Window>(*active) : None;
  const Window before = watched;
  // Selected before its properties are read, so that no later change goes unseen.
  if (window != before && window != None) XSelectInput(display, window, PropertyChangeMask);
  const int process = window != None ? ProcessOf(window, trap) : 0;
  // After the reads: the window watched before may be gone, and that error is no failure of
  // theirs (the trap waits for it as it ends).
  if (window != before && before != None) XSelectInput(display, before, NoEventMask);
  watched = window;
  return process;
}

int X11ForegroundApplication::Connection::ProcessOf(Window window, ErrorTrap& trap) {
  if (!SameClientMachine(TextProperty(display, window, XA_WM_CLIENT_MACHINE), localHost))
    return 0;
  const std::optional<unsigned long> pid = CardinalProperty(display, window, wmPid, XA_CARDINAL);
  if (pid) {
    if (!trap.Ok() || *pid == 0 || *pid > 0x7FFFFFFF) return 0;
    return static_cast<int>(*pid);
  }
  // Many clients set no _NET_WM_PID; the server knows the process of a local connection. Each
  // read above and this query have an answer, so the trap has seen every error without a
  // round trip of its own.
  const int creator = clientIds ? CreatorProcessId(display, window) : 0;
  return trap.Ok() ? creator : 0;
}

std::unique_ptr<X11ForegroundApplication> X11ForegroundApplication::Open(
    const std::string& displayName) {
  auto x = std::make_unique<Connection>();
  x->display = XOpenDisplay(displayName.empty() ? nullptr : displayName.c_str());
  if (x->display == nullptr) return nullptr;
  x->activeWindow = XInternAtom(x->display, "_NET_ACTIVE_WINDOW", False);
  x->wmPid = XInternAtom(x->display, "_NET_WM_PID", False);
  x->clientIds = HasClientIds(x->display);
  x->localHost = LocalHostName();
  return std::unique_ptr<X11ForegroundApplication>(new X11ForegroundApplication(std::move(x)));
}

X11ForegroundApplication::X11ForegroundApplication(std::unique_ptr<Connection> x)
    : x_(std::move(x)) {}

X11ForegroundApplication::~X11ForegroundApplication() = default;

int X11ForegroundApplication::ForegroundProcessId() {
  Connection& x = *x_;
  if (!x.following) {
    XSelectInput(x.display, x.Root(), PropertyChangeMask);
    x.following = true;
    x.stale = true;
  }
  x.TakeEvents();
  if (x.stale) {
    x.stale = false;
    x.pid = x.LookUpProcess();
    // The replies may have brought events along, which the socket no longer shows.
    x.DrainEvents();
  }
  return x.pid;
}

void X11ForegroundApplication::StopFollowing() {
  Connection& x = *x_;
  if (!x.following) return;
  {
    ErrorTrap trap(x.display);  // the watched window may be gone
    XSelectInput(x.display, x.Root(), NoEventMask);
    if (x.watched != None) XSelectInput(x.display, x.watched, NoEventMask);
  }
  // What came before the deselection says nothing once following starts again.
  while (XEventsQueued(x.display, QueuedAlready) > 0) {
    XEvent event;
    XNextEvent(x.display, &event);
  }
  x.following = false;
  x.watched = None;
}

namespace {

// Without an X server no window can be told.
class NoForegroundApplication : public ForegroundApplication {
 public:
  int ForegroundProcessId() override { return 0; }
};

}  // namespace

std::unique_ptr<ForegroundApplication> CreateForegroundApplication() {
  NoteX11ProgramsOnly();
  if (std::unique_ptr<X11ForegroundApplication> x = X11ForegroundApplication::Open({})) return x;
  return std::make_unique<NoForegroundApplication>();
}

}  // namespace desktop
