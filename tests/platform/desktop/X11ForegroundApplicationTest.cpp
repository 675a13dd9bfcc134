#include "platform/desktop/X11ForegroundApplication.h"

#include <gtest/gtest.h>
#include <poll.h>
#include <signal.h>
#include <sys/prctl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <atomic>
#include <cstring>
#include <filesystem>
#include <functional>
#include <memory>
#include <string>
#include <thread>

#include "platform/sys/Utf.h"
#include "tests/platform/desktop/ChildProcess.h"
#include "tests/platform/desktop/XvfbSuite.h"

// Last: Xlib defines macros (None, Bool, Status) that other headers would trip over.
#include <X11/Xatom.h>
#include <X11/Xlib.h>

namespace desktop {
namespace {

// How long a change may take to reach the lookup, or a child to create its window, on a loaded
// machine.
constexpr int kWaitMs = 15000;

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

  // The foreground process once the news of the last change has reached the lookup's own
  // connection (it reads the server's events as they come, without asking): `expected`, or what
  // it still gives after a bounded wait.
  int ProcessIdOnceSettled(int expected) {
    int pid = foreground_->ForegroundProcessId();
    testutil::WaitFor([&] { return (pid = foreground_->ForegroundProcessId()) == expected; },
                      kWaitMs, 2);
    return pid;
  }

  Window window_ = 0;
  std::unique_ptr<X11ForegroundApplication> foreground_;
};

TEST_F(X11ForegroundTest, TheActiveWindowsProcessOnThisHost) {
  EXPECT_EQ(foreground_->ForegroundProcessId(), 0);  // no active window known
  EXPECT_EQ(foreground_->ForegroundImagePath(), kUnknownImagePath);

  SetPid(window_, static_cast<unsigned long>(::getpid()));
  SetActive(window_);
  EXPECT_EQ(ProcessIdOnceSettled(::getpid()), ::getpid());  // no WM_CLIENT_MACHINE at all
  EXPECT_EQ(foreground_->ForegroundImagePath(), GetProcessImagePath(::getpid()));

  SetMachine(window_, HostName());
  EXPECT_EQ(ProcessIdOnceSettled(::getpid()), ::getpid());

  // The pid of a window from another host names some other process here.
  SetMachine(window_, "elsewhere.example.org");
  EXPECT_EQ(ProcessIdOnceSettled(0), 0);
  EXPECT_EQ(foreground_->ForegroundImagePath(), kUnknownImagePath);
}

TEST_F(X11ForegroundTest, NoProcessWithoutAUsableActiveWindow) {
  SetActive(0);
  EXPECT_EQ(foreground_->ForegroundProcessId(), 0);

  SetPid(window_, 0);
  SetActive(window_);
  EXPECT_EQ(ProcessIdOnceSettled(0), 0);

  // The active window is gone: the lookup fails quietly, and the next one works again.
  const Window gone = XCreateSimpleWindow(raw_, DefaultRootWindow(raw_), 0, 0, 5, 5, 0, 0, 0);
  SetPid(gone, static_cast<unsigned long>(::getpid()));
  XDestroyWindow(raw_, gone);
  SetActive(gone);
  EXPECT_EQ(ProcessIdOnceSettled(0), 0);
  SetPid(window_, static_cast<unsigned long>(::getpid()));
  SetActive(window_);
  EXPECT_EQ(ProcessIdOnceSettled(::getpid()), ::getpid());
}

// A child process of the test that runs `body` until it is killed. `body` gets a pipe's end to
// hear the test on and one to tell it on.
class Forked {
 public:
  explicit Forked(const std::function<void(int fromTest, int toTest)>& body) {
    int down[2], up[2];
    if (::pipe(down) != 0) return;
    if (::pipe(up) != 0) {
      ::close(down[0]);
      ::close(down[1]);
      return;
    }
    pid_ = ::fork();
    if (pid_ == 0) {
      ::prctl(PR_SET_PDEATHSIG, SIGKILL);
      ::close(down[1]);
      ::close(up[0]);
      body(down[0], up[1]);
      ::_exit(127);
    }
    ::close(down[0]);
    ::close(up[1]);
    toChild_ = down[1];
    fromChild_ = up[0];
  }
  ~Forked() {
    ::close(toChild_);
    ::close(fromChild_);
    if (pid_ <= 0) return;
    ::kill(pid_, SIGKILL);
    ::waitpid(pid_, nullptr, 0);
  }
  Forked(const Forked&) = delete;
  Forked& operator=(const Forked&) = delete;

  pid_t Pid() const { return pid_; }
  void Tell() { (void)!::write(toChild_, "x", 1); }
  // The `size` bytes the child tells; false when they do not come within kWaitMs.
  bool Hear(void* data, size_t size) {
    pollfd p{fromChild_, POLLIN, 0};
    return pid_ > 0 && ::poll(&p, 1, kWaitMs) == 1 &&
           ::read(fromChild_, data, size) == static_cast<ssize_t>(size);
  }

 private:
  pid_t pid_ = -1;
  int toChild_ = -1;
  int fromChild_ = -1;
};

TEST_F(X11ForegroundTest, FollowsTheActiveWindowItsProcessAndThatProcessesProgram) {
  const std::u16string own = GetProcessImagePath(::getpid());
  const std::string sleep = std::filesystem::canonical("/bin/sleep").string();
  // It runs this test's program until it is told to start another one in its place.
  Forked child([&](int fromTest, int) {
    char c;
    if (::read(fromTest, &c, 1) == 1)
      ::execl(sleep.c_str(), sleep.c_str(), "30", static_cast<char*>(nullptr));
  });
  ASSERT_GT(child.Pid(), 0);
  const Window second = XCreateSimpleWindow(raw_, DefaultRootWindow(raw_), 0, 0, 5, 5, 0, 0, 0);
  SetPid(second, static_cast<unsigned long>(child.Pid()));
  SetPid(window_, static_cast<unsigned long>(::getpid()));
  SetActive(window_);
  EXPECT_EQ(ProcessIdOnceSettled(::getpid()), ::getpid());

  SetActive(second);  // another window
  EXPECT_EQ(ProcessIdOnceSettled(child.Pid()), child.Pid());
  SetActive(window_);
  EXPECT_EQ(ProcessIdOnceSettled(::getpid()), ::getpid());
  SetPid(window_, static_cast<unsigned long>(child.Pid()));  // the active window's process
  EXPECT_EQ(ProcessIdOnceSettled(child.Pid()), child.Pid());
  EXPECT_EQ(foreground_->ForegroundImagePath(), own);

  // The same process starts another program: nothing changes on the X server.
  child.Tell();
  std::u16string path;
  testutil::WaitFor([&] { return (path = foreground_->ForegroundImagePath()) != own; }, kWaitMs,
                    2);
  EXPECT_EQ(path, sys::FromUtf8(sleep));
  EXPECT_EQ(foreground_->ForegroundProcessId(), child.Pid());
  XDestroyWindow(raw_, second);
}

// Once it follows the desktop, a lookup with nothing changed needs no answer from the server: it
// returns while another client holds the server grabbed.
TEST_F(X11ForegroundTest, ALookupWithNothingChangedAsksTheServerNothing) {
  SetPid(window_, static_cast<unsigned long>(::getpid()));
  SetActive(window_);
  ASSERT_EQ(ProcessIdOnceSettled(::getpid()), ::getpid());

  XGrabServer(raw_);
  XSync(raw_, False);
  std::atomic<int> pid{-1};
  std::thread lookup([&] { pid = foreground_->ForegroundProcessId(); });
  const bool answered = testutil::WaitFor([&] { return pid != -1; }, kWaitMs, 2);
  XUngrabServer(raw_);
  XSync(raw_, False);
  lookup.join();
  EXPECT_TRUE(answered) << "the lookup waited for the server";
  EXPECT_EQ(pid, ::getpid());
}

// Not followed meanwhile, the desktop is looked at afresh by the next lookup.
TEST_F(X11ForegroundTest, ALookupAfterAPauseReadsTheDesktopAgain) {
  const Window second = XCreateSimpleWindow(raw_, DefaultRootWindow(raw_), 0, 0, 5, 5, 0, 0, 0);
  SetPid(second, 1);
  SetPid(window_, static_cast<unsigned long>(::getpid()));
  SetActive(window_);
  ASSERT_EQ(ProcessIdOnceSettled(::getpid()), ::getpid());

  foreground_->StopFollowing();
  SetActive(second);
  EXPECT_EQ(foreground_->ForegroundProcessId(), 1);
  foreground_->StopFollowing();
  SetActive(window_);
  SetPid(window_, 2);
  EXPECT_EQ(foreground_->ForegroundProcessId(), 2);
  XDestroyWindow(raw_, second);
}

// Clients such as xcalc set no _NET_WM_PID: the server names the process behind the window.
TEST_F(X11ForegroundTest, AWindowWithoutPidIsTheProcessOfItsLocalClient) {
  // Another process of this host makes a window without _NET_WM_PID on a connection of its own.
  const std::string display = DisplayName();
  Forked other([&](int, int toTest) {
    Display* d = XOpenDisplay(display.c_str());
    const Window w = d ? XCreateSimpleWindow(d, DefaultRootWindow(d), 0, 0, 20, 20, 0, 0, 0) : 0;
    if (d) XSync(d, False);
    if (::write(toTest, &w, sizeof w) == sizeof w) {
      for (;;) ::pause();
    }
  });
  Window pidless = 0;
  ASSERT_TRUE(other.Hear(&pidless, sizeof pidless));
  ASSERT_NE(pidless, 0u);
  SetActive(pidless);
  EXPECT_EQ(ProcessIdOnceSettled(other.Pid()), other.Pid());

  SetActive(window_);  // created on this process's own connection
  EXPECT_EQ(ProcessIdOnceSettled(::getpid()), ::getpid());
  SetMachine(window_, HostName());
  EXPECT_EQ(ProcessIdOnceSettled(::getpid()), ::getpid());

  // Another host's window found through a local connection (a forwarding proxy): not its pid.
  SetMachine(window_, "elsewhere.example.org");
  EXPECT_EQ(ProcessIdOnceSettled(0), 0);
  EXPECT_EQ(foreground_->ForegroundImagePath(), kUnknownImagePath);

  // A window's own _NET_WM_PID comes first.
  SetMachine(window_, HostName());
  SetPid(window_, static_cast<unsigned long>(other.Pid()));
  EXPECT_EQ(ProcessIdOnceSettled(other.Pid()), other.Pid());
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
