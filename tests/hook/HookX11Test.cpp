// The keyboard hook as the program uses it: the built library, loaded through HookDll from the
// program folder, reporting XTest keys on an Xvfb of the test's own to a Qt object.
#include <gtest/gtest.h>
#include <stdlib.h>

#include <QCoreApplication>
#include <QEventLoop>
#include <QObject>
#include <QTimer>

#include <chrono>
#include <functional>
#include <memory>
#include <thread>
#include <vector>

#include "pages/HookDll.h"
#include "pages/KeyName.h"
#include "platform/ui/WindowMessage.h"
#include "tests/hook/XKeyboard.h"
#include "tests/platform/desktop/Setxkbmap.h"
#include "tests/platform/desktop/XvfbSuite.h"

// Last: Xlib defines macros (None, Bool, Status) that other headers would trip over.
#include <X11/XKBlib.h>

namespace {

using namespace hooktest;

struct Report {
  uint32_t msg;
  ui::WPARAM vk;
  ui::LPARAM flags;
  friend bool operator==(const Report&, const Report&) = default;
};

std::ostream& operator<<(std::ostream& os, const Report& r) {
  return os << "{0x" << std::hex << r.msg << ", 0x" << r.vk << ", 0x" << r.flags << std::dec << "}";
}

Report Down(ui::WPARAM vk) { return {WM_HOOK_KEY, vk, 0}; }
Report Up(ui::WPARAM vk) { return {WM_HOOK_KEY, vk, 0x80}; }

class Receiver : public QObject {
 public:
  std::vector<Report> reports;
  std::function<void()> onReport;

  bool event(QEvent* e) override {
    if (ui::WindowMessageEvent* m = ui::AsWindowMessage(e)) {
      reports.push_back({m->Msg(), m->WParam(), m->LParam()});
      if (onReport) onReport();
      return true;
    }
    return QObject::event(e);
  }
};

class HookX11Test : public testutil::XvfbSuite {
 protected:
  void SetUp() override {
    testutil::XvfbSuite::SetUp();
    if (IsSkipped() || HasFatalFailure()) return;
    // The library and the key names take the display from the environment.
    ::setenv("DISPLAY", DisplayName().c_str(), 1);
    ::unsetenv("WAYLAND_DISPLAY");
    keys_ = std::make_unique<XKeyboard>(DisplayName());
    ASSERT_NE(keys_->display(), nullptr) << "no XTest";
    ASSERT_TRUE(hook_.Loaded());
    ASSERT_EQ(hook_.installhook(&receiver_), 1);
  }
  void TearDown() override {
    hook_.SetHookStatus(0);
    hook_.removehook();
  }

  // The reports that arrived, once there are `count` of them (5 s at most).
  std::vector<Report> WaitFor(size_t count) {
    if (receiver_.reports.size() < count) {
      QEventLoop loop;
      receiver_.onReport = [&] {
        if (receiver_.reports.size() >= count) loop.quit();
      };
      QTimer::singleShot(5000, &loop, &QEventLoop::quit);
      loop.exec();
      receiver_.onReport = nullptr;
    }
    return receiver_.reports;
  }
  // Taps the marker key with the hook on and gives every report up to and with its release;
  // anything that arrived before it came from the keys pressed before.
  std::vector<Report> UpToMarker() {
    hook_.SetHookStatus(1);
    keys_->Tap(kKeyC);
    for (size_t seen = 0;; ++seen) {
      std::vector<Report> all = WaitFor(seen + 1);
      if (all.size() <= seen) return all;  // timed out
      if (all[seen] == Up('C')) return all;
    }
  }

  std::unique_ptr<XKeyboard> keys_;
  Receiver receiver_;
  HookDll hook_;
};

// The keys of the sequence and what each reports, whatever holds the focus or a grab.
TEST_F(HookX11Test, KeysArriveInOrderWhateverHasTheFocus) {
  const std::vector<Report> sequence = {
      Down('A'),  Up('A'),  Down(0xA0), Up(0xA0), Down(0xA3), Up(0xA3), Down(0x74), Up(0x74),
      Down(0x23), Up(0x23),                        // keypad 1 with NumLock off: End
      Down(0x90), Up(0x90), Down(0x61), Up(0x61),  // NumLock on: VK_NUMPAD1
      Down(0x90), Up(0x90),
  };
  Display* other = XOpenDisplay(DisplayName().c_str());
  ASSERT_NE(other, nullptr);
  const Window window =
      XCreateSimpleWindow(other, DefaultRootWindow(other), 0, 0, 50, 50, 0, 0, 0);
  XMapWindow(other, window);
  XSync(other, False);

  enum Focus { kNoFocus, kOtherWindow, kOtherGrab };
  for (Focus focus : {kNoFocus, kOtherWindow, kOtherGrab}) {
    SCOPED_TRACE(focus);
    if (focus == kNoFocus) XSetInputFocus(other, None, RevertToNone, CurrentTime);
    if (focus == kOtherWindow) XSetInputFocus(other, window, RevertToNone, CurrentTime);
    if (focus == kOtherGrab) {
      ASSERT_EQ(XGrabKeyboard(other, window, False, GrabModeAsync, GrabModeAsync, CurrentTime),
                GrabSuccess);
    }
    XSync(other, False);
    receiver_.reports.clear();
    hook_.SetHookStatus(1);
    for (unsigned key : {kKeyA, kLeftShift, kRightCtrl, kF5, kKeypad1, kNumLock, kKeypad1,
                         kNumLock})
      keys_->Tap(key);
    EXPECT_EQ(WaitFor(sequence.size()), sequence);
  }
  XUngrabKeyboard(other, CurrentTime);
  XCloseDisplay(other);
}

TEST_F(HookX11Test, NothingWhileOffOrAfterRemovehook) {
  // Off after installhook.
  keys_->Tap(kKeyB);
  EXPECT_EQ(UpToMarker(), (std::vector<Report>{Down('C'), Up('C')}));

  // Switched off.
  receiver_.reports.clear();
  hook_.SetHookStatus(0);
  keys_->Tap(kKeyB);
  EXPECT_EQ(UpToMarker(), (std::vector<Report>{Down('C'), Up('C')}));

  // Removed while on; installed again it starts off.
  receiver_.reports.clear();
  hook_.SetHookStatus(1);
  hook_.removehook();
  keys_->Tap(kKeyB);
  ASSERT_EQ(hook_.installhook(&receiver_), 1);
  keys_->Tap(kKeyB);
  EXPECT_EQ(UpToMarker(), (std::vector<Report>{Down('C'), Up('C')}));
}

TEST_F(HookX11Test, HeldKeyGivesOnePressAndOneRelease) {
  // The server repeats a held key every 10 ms after 20 ms; a focused window of the test's own
  // sees the repeats, so the key was held long enough.
  Display* x = keys_->display();
  XkbSetAutoRepeatRate(x, XkbUseCoreKbd, 20, 10);
  XAutoRepeatOn(x);
  const Window window = XCreateSimpleWindow(x, DefaultRootWindow(x), 0, 0, 50, 50, 0, 0, 0);
  XSelectInput(x, window, KeyPressMask);
  XMapWindow(x, window);
  XSync(x, False);
  XSetInputFocus(x, window, RevertToNone, CurrentTime);
  XSync(x, False);

  hook_.SetHookStatus(1);
  keys_->Press(kKeyA);
  WaitFor(1);
  std::this_thread::sleep_for(std::chrono::milliseconds(150));  // held down
  keys_->Release(kKeyA);
  const std::vector<Report> all = UpToMarker();

  int presses = 0;
  XEvent event;
  while (XCheckTypedWindowEvent(x, window, KeyPress, &event))
    if (event.xkey.keycode == kKeyA) ++presses;
  EXPECT_GT(presses, 2) << "the server did not repeat the key";
  XDestroyWindow(x, window);
  XSync(x, False);

  ASSERT_GE(all.size(), 4u);
  // Presses, all alike, then one release, then the marker.
  for (size_t i = 0; i + 3 < all.size(); ++i) EXPECT_EQ(all[i], Down('A')) << i;
  EXPECT_EQ(all[all.size() - 3], Up('A'));
  EXPECT_EQ(all[all.size() - 2], Down('C'));
}

TEST_F(HookX11Test, GermanLayoutMovesTheLetters) {
  if (testutil::XvfbServer::FindProgram("setxkbmap").empty()) GTEST_SKIP() << "no setxkbmap";
  ASSERT_TRUE(testutil::Setxkbmap(DisplayName(), "de"));
  hook_.SetHookStatus(1);
  keys_->Tap(kKeyY);
  keys_->Tap(kKeyZ);
  EXPECT_EQ(WaitFor(4), (std::vector<Report>{Down(0x5A), Up(0x5A), Down(0x59), Up(0x59)}));
  EXPECT_EQ(KeyName(0x5A), u"Z");
  EXPECT_EQ(KeyName(0xBA), u"\u00f6");

  ASSERT_TRUE(testutil::Setxkbmap(DisplayName(), "us"));
  receiver_.reports.clear();
  keys_->Tap(kKeyY);
  EXPECT_EQ(WaitFor(2), (std::vector<Report>{Down('Y'), Up('Y')}));
  EXPECT_EQ(KeyName(0xBA), u";");
}

}  // namespace
