#include "platform/desktop/X11WheelInjector.h"

#include <gtest/gtest.h>
#include <poll.h>

#include <memory>
#include <string>
#include <vector>

#include "tests/platform/desktop/XvfbSuite.h"

// Last: Xlib defines macros (None, Bool, Status) that other headers would trip over.
#include <X11/Xatom.h>
#include <X11/Xlib.h>

namespace desktop {
namespace {

// A 320x240 screen with a client window on the left (0-159) that records its button presses
// and releases, a desktop-type window with a child on the right top (160-319, 0-119), and bare
// root below it.
class X11WheelTest : public testutil::XvfbClientSuite {
 protected:
  void SetUp() override {
    XvfbClientSuite::SetUp();
    if (IsSkipped() || HasFatalFailure()) return;
    const Window root = DefaultRootWindow(raw_);
    client_ = XCreateSimpleWindow(raw_, root, 0, 0, 160, 240, 0, 0, 0);
    XSelectInput(raw_, client_, ButtonPressMask | ButtonReleaseMask);
    desktop_ = XCreateSimpleWindow(raw_, root, 160, 0, 160, 120, 0, 0, 0);
    const Atom type = XInternAtom(raw_, "_NET_WM_WINDOW_TYPE_DESKTOP", False);
    XChangeProperty(raw_, desktop_, XInternAtom(raw_, "_NET_WM_WINDOW_TYPE", False), XA_ATOM, 32,
                    PropModeReplace, reinterpret_cast<const unsigned char*>(&type), 1);
    const Window icons = XCreateSimpleWindow(raw_, desktop_, 0, 60, 160, 60, 0, 0, 0);
    XSelectInput(raw_, desktop_, ButtonPressMask | ButtonReleaseMask);
    XSelectInput(raw_, icons, ButtonPressMask | ButtonReleaseMask);
    XMapWindow(raw_, icons);
    XMapWindow(raw_, client_);
    XMapWindow(raw_, desktop_);
    XSync(raw_, False);
    wheel_ = X11WheelInjector::Open(DisplayName());
    ASSERT_NE(wheel_, nullptr);
  }

  void PointerAt(int x, int y) {
    XWarpPointer(raw_, None, DefaultRootWindow(raw_), 0, 0, 0, 0, x, y);
    XSync(raw_, False);
  }

  // The button events that reached the test's windows, as "+6" (press) and "-6" (release),
  // waiting until `count` have come (or half a second without any).
  std::vector<std::string> Events(size_t count) {
    std::vector<std::string> events;
    while (events.size() < count) {
      if (XPending(raw_) == 0) {
        pollfd p{ConnectionNumber(raw_), POLLIN, 0};
        if (::poll(&p, 1, 500) <= 0) break;
        if (XPending(raw_) == 0) continue;
      }
      XEvent e;
      XNextEvent(raw_, &e);
      if (e.type != ButtonPress && e.type != ButtonRelease) continue;
      const std::string where = e.xbutton.window == client_ ? "" : "(desktop)";
      events.push_back(where + (e.type == ButtonPress ? "+" : "-") +
                       std::to_string(e.xbutton.button));
    }
    return events;
  }

  Window client_ = 0;
  Window desktop_ = 0;
  std::unique_ptr<X11WheelInjector> wheel_;
};

TEST_F(X11WheelTest, OnePressAndReleasePerStepAtThePointer) {
  PointerAt(80, 100);
  EXPECT_FALSE(wheel_->PointerOverDesktop());
  ASSERT_TRUE(wheel_->ScrollHorizontally(-3));
  EXPECT_EQ(Events(6), (std::vector<std::string>{"+6", "-6", "+6", "-6", "+6", "-6"}));
  ASSERT_TRUE(wheel_->ScrollHorizontally(2));
  EXPECT_EQ(Events(4), (std::vector<std::string>{"+7", "-7", "+7", "-7"}));
  EXPECT_FALSE(wheel_->ScrollHorizontally(0));
  EXPECT_EQ(Events(1), std::vector<std::string>{});
}

TEST_F(X11WheelTest, NothingOverTheDesktopOrTheBareRoot) {
  const struct {
    const char* name;
    int x, y;
  } cases[] = {
      {"desktop window", 240, 30},
      {"window inside the desktop", 240, 90},
      {"bare root", 240, 200},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    PointerAt(c.x, c.y);
    EXPECT_TRUE(wheel_->PointerOverDesktop());
    EXPECT_FALSE(wheel_->ScrollHorizontally(4));
    EXPECT_EQ(Events(1), std::vector<std::string>{});
  }
}

TEST(X11Wheel, OpenFailsWithoutAServer) { EXPECT_EQ(X11WheelInjector::Open(":9999"), nullptr); }

}  // namespace
}  // namespace desktop
