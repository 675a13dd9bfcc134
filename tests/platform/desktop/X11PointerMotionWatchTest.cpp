#include "platform/desktop/X11PointerMotionWatch.h"

#include <gtest/gtest.h>
#include <poll.h>

#include <memory>

#include "tests/platform/desktop/XvfbSuite.h"

// Last: Xlib defines macros (None, Bool, Status) that other headers would trip over.
#include <X11/Xlib.h>
#include <X11/extensions/XTest.h>

namespace desktop {
namespace {

// How long an event may take to reach the watch on a loaded machine.
constexpr int kWaitMs = 15000;

// The test moves the pointer through XTest, as a device would, over a connection of its own.
class X11MotionWatchTest : public testutil::XvfbClientSuite {
 protected:
  void SetUp() override {
    XvfbClientSuite::SetUp();
    if (IsSkipped() || HasFatalFailure()) return;
    watch_ = X11PointerMotionWatch::Open(DisplayName());
    ASSERT_NE(watch_, nullptr);
  }

  void MovePointer() {
    x_ = x_ == 40 ? 41 : 40;
    XTestFakeMotionEvent(raw_, -1, x_, 30, 0);
    XSync(raw_, False);
  }
  // Whether the watch's descriptor becomes readable within `ms`.
  bool Readable(int ms) {
    pollfd p{watch_->Descriptor(), POLLIN, 0};
    return ::poll(&p, 1, ms) == 1;
  }
  // The watch's report once the descriptor became readable, or false after kWaitMs.
  bool Reported() { return Readable(kWaitMs) && watch_->TakeMotion(); }

  std::unique_ptr<X11PointerMotionWatch> watch_;
  int x_ = 40;
};

TEST_F(X11MotionWatchTest, AnArmedWatchReportsOneMotion) {
  watch_->Arm();
  EXPECT_FALSE(watch_->TakeMotion()) << "nothing moved since";
  MovePointer();
  EXPECT_TRUE(Reported());
  // Reported once, the watch has ended: a pointer that goes on moving is not reported again.
  MovePointer();
  MovePointer();
  Readable(200);  // motions the server made before it took the end of the watch
  EXPECT_FALSE(watch_->TakeMotion());

  watch_->Arm();
  MovePointer();
  EXPECT_TRUE(Reported()) << "armed again";
}

TEST_F(X11MotionWatchTest, AMotionBeforeArmingOrAfterDisarmingIsNotReported) {
  MovePointer();
  EXPECT_FALSE(watch_->TakeMotion()) << "never armed";
  watch_->Arm();
  MovePointer();
  // Not taken before the watch ends: its event is still to be read when the watch is armed again.
  watch_->Disarm();
  MovePointer();
  watch_->Arm();
  EXPECT_FALSE(watch_->TakeMotion()) << "the motions came before this arming";
  MovePointer();
  EXPECT_TRUE(Reported());
}

// Another client's pointer grab (a menu, a drag) does not hold the raw motion back.
TEST_F(X11MotionWatchTest, MotionIsReportedWhileAnotherClientGrabsThePointer) {
  ASSERT_EQ(XGrabPointer(raw_, DefaultRootWindow(raw_), False, PointerMotionMask, GrabModeAsync,
                         GrabModeAsync, 0, 0, CurrentTime),
            GrabSuccess);
  watch_->Arm();
  MovePointer();
  EXPECT_TRUE(Reported());
  XUngrabPointer(raw_, CurrentTime);
  XSync(raw_, False);
}

TEST(X11MotionWatch, OpenFailsWithoutAServer) {
  EXPECT_EQ(X11PointerMotionWatch::Open(":9999"), nullptr);
}

}  // namespace
}  // namespace desktop
