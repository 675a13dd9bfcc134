#include "platform/desktop/X11ForegroundApplication.h"

#include <gtest/gtest.h>
#include <poll.h>
#include <signal.h>
#include <sys/prctl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstring>
#include <memory>
#include <string>

#include "tests/platform/desktop/XvfbSuite.h"

// Last: Xlib defines macros (None, Bool, Status) that other headers would trip over.
#include <X11/Xatom.h>
#include <X11/Xlib.h>

namespace desktop {
namespace {

std::string HostName() {
  char name[256] = {};
  ::gethostname(name, sizeof name - 1);
  return name;
}

// The test plays both the window manager (root _NET_ACTIVE_WINDOW) and a client whose window
// carries _NET_WM_PID and WM_CLIENT_MACHINE.
class X11ForegroundTest : public testutil::XvfbClientSuite {
 protected:
  void SetUp() override {
    XvfbClientSuite::SetUp();
    if (IsSkipped() || HasFatalFailure()) return;
    window_ = XCreateSimpleWindow(raw_, DefaultRootWindow(raw_), 0, 0, 50, 50, 0, 0, 0);
    foreground_ = X11ForegroundApplication::Open(DisplayName());
    ASSERT_NE(foreground_, nullptr);
  }
  void TearDown() override {
    if (raw_ != nullptr)
      XDeleteProperty(raw_, DefaultRootWindow(raw_), AtomOf("_NET_ACTIVE_WINDOW"));
    XvfbClientSuite::TearDown();
  }

  Atom AtomOf(const char* name) { return XInternAtom(raw_, name, False); }
  void SetActive(Window window) {
    const unsigned long value = window;
    XChangeProperty(raw_, DefaultRootWindow(raw_), AtomOf("_NET_ACTIVE_WINDOW"), XA_WINDOW, 32,
                    PropModeReplace, reinterpret_cast<const unsigned char*>(&value), 1);
    XSync(raw_, False);
  }
  void SetPid(Window window, unsigned long pid) {
    XChangeProperty(raw_, window, AtomOf("_NET_WM_PID"), XA_CARDINAL, 32, PropModeReplace,
                    reinterpret_cast<const unsigned char*>(&pid), 1);
    XSync(raw_, False);
  }
  void SetMachine(Window window, const std::string& host) {
    XChangeProperty(raw_, window, XA_WM_CLIENT_MACHINE, XA_STRING, 8, PropModeReplace,
                    reinterpret_cast<const unsigned char*>(host.data()),
                    static_cast<int>(host.size()));
    XSync(raw_, False);
  }

  Window window_ = 0;
  std::unique_ptr<X11ForegroundApplication> foreground_;
};

TEST_F(X11ForegroundTest, TheActiveWindowsProcessOnThisHost) {
  EXPECT_EQ(foreground_->ForegroundProcessId(), 0);  // no active window known
  EXPECT_EQ(foreground_->ForegroundImagePath(), kUnknownImagePath);

  SetPid(window_, static_cast<unsigned long>(::getpid()));
  SetActive(window_);
  EXPECT_EQ(foreground_->ForegroundProcessId(), ::getpid());  // no WM_CLIENT_MACHINE at all
  EXPECT_EQ(foreground_->ForegroundImagePath(), GetProcessImagePath(::getpid()));

  SetMachine(window_, HostName());
  EXPECT_EQ(foreground_->ForegroundProcessId(), ::getpid());

  // The pid of a window from another host names some other process here.
  SetMachine(window_, "elsewhere.example.org");
  EXPECT_EQ(foreground_->ForegroundProcessId(), 0);
  EXPECT_EQ(foreground_->ForegroundImagePath(), kUnknownImagePath);
}

TEST_F(X11ForegroundTest, NoProcessWithoutAUsableActiveWindow) {
  SetActive(0);
  EXPECT_EQ(foreground_->ForegroundProcessId(), 0);

  SetPid(window_, 0);
  EXPECT_EQ(foreground_->ForegroundProcessId(), 0);

  // The active window is gone: the lookup fails quietly, and the next one works again.
  const Window gone = XCreateSimpleWindow(raw_, DefaultRootWindow(raw_), 0, 0, 5, 5, 0, 0, 0);
  SetPid(gone, static_cast<unsigned long>(::getpid()));
  XDestroyWindow(raw_, gone);
  SetActive(gone);
  EXPECT_EQ(foreground_->ForegroundProcessId(), 0);
  SetPid(window_, static_cast<unsigned long>(::getpid()));
  SetActive(window_);
  EXPECT_EQ(foreground_->ForegroundProcessId(), ::getpid());
}

// How long the child may take to create its window on a loaded machine.
constexpr int kWindowWaitMs = 15000;

// A window that carries no _NET_WM_PID, created by another process of this host on a connection
// of its own; the process keeps it until it is killed.
class PidlessWindow {
 public:
  explicit PidlessWindow(const std::string& display) {
    int fds[2];
    if (::pipe(fds) != 0) return;
    pid_ = ::fork();
    if (pid_ == 0) {
      ::prctl(PR_SET_PDEATHSIG, SIGKILL);
      ::close(fds[0]);
      Display* d = XOpenDisplay(display.c_str());
      Window w = d ? XCreateSimpleWindow(d, DefaultRootWindow(d), 0, 0, 20, 20, 0, 0, 0) : 0;
      if (d) XSync(d, False);
      if (::write(fds[1], &w, sizeof w) != sizeof w) ::_exit(1);
      for (;;) ::pause();
    }
    ::close(fds[1]);
    pollfd p{fds[0], POLLIN, 0};
    if (pid_ > 0 && ::poll(&p, 1, kWindowWaitMs) == 1 &&
        ::read(fds[0], &window_, sizeof window_) != sizeof window_)
      window_ = 0;
    ::close(fds[0]);
  }
  ~PidlessWindow() {
    if (pid_ <= 0) return;
    ::kill(pid_, SIGKILL);
    ::waitpid(pid_, nullptr, 0);
  }
  PidlessWindow(const PidlessWindow&) = delete;
  PidlessWindow& operator=(const PidlessWindow&) = delete;

  pid_t Pid() const { return pid_; }
  Window Id() const { return window_; }

 private:
  pid_t pid_ = -1;
  Window window_ = 0;
};

// Clients such as xcalc set no _NET_WM_PID: the server names the process behind the window.
TEST_F(X11ForegroundTest, AWindowWithoutPidIsTheProcessOfItsLocalClient) {
  PidlessWindow other(DisplayName());
  ASSERT_NE(other.Id(), 0u);
  SetActive(other.Id());
  EXPECT_EQ(foreground_->ForegroundProcessId(), other.Pid());

  SetActive(window_);  // created on this process's own connection
  EXPECT_EQ(foreground_->ForegroundProcessId(), ::getpid());
  SetMachine(window_, HostName());
  EXPECT_EQ(foreground_->ForegroundProcessId(), ::getpid());

  // Another host's window found through a local connection (a forwarding proxy): not its pid.
  SetMachine(window_, "elsewhere.example.org");
  EXPECT_EQ(foreground_->ForegroundProcessId(), 0);
  EXPECT_EQ(foreground_->ForegroundImagePath(), kUnknownImagePath);

  // A window's own _NET_WM_PID comes first.
  SetMachine(window_, HostName());
  SetPid(window_, static_cast<unsigned long>(other.Pid()));
  EXPECT_EQ(foreground_->ForegroundProcessId(), other.Pid());
}

TEST(X11Foreground, OpenFailsWithoutAServer) {
  EXPECT_EQ(X11ForegroundApplication::Open(":9999"), nullptr);
}

TEST(SameClientMachine, ComparesHostNamesWithOrWithoutTheirDomain) {
  const struct {
    const char* client;
    const char* local;
    bool same;
  } cases[] = {
      {"", "pc", true},
      {"pc", "pc", true},
      {"PC", "pc", true},
      {"pc.example.org", "pc", true},
      {"pc", "pc.example.org", true},
      {"pc.example.org", "pc.example.org", true},
      {"other", "pc", false},
      {"pc.a.org", "pc.b.org", false},
      {"other.example.org", "pc", false},
      {"pcx", "pc", false},
      {"pc", "", false},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(std::string(c.client) + " / " + c.local);
    EXPECT_EQ(SameClientMachine(c.client, c.local), c.same);
  }
}

}  // namespace
}  // namespace desktop
