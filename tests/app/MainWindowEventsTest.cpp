// The mouse's own reports and its arrival reach the main window's handlers through the
// window's messages.
#include <QAbstractEventDispatcher>

#include <chrono>
#include <condition_variable>
#include <mutex>

#include "settings/E2Image.h"
#include "settings/FactoryDefaults.h"
#include "settings/FunctionCodes.h"
#include "tests/app/AppFixture.h"
#include "tests/platform/ui/QtTestSupport.h"

namespace {

using namespace apptest;

using MainWindowEventsTest = AppFixture;

TEST_F(MainWindowEventsTest, AKeyStatusReportRunsTheAppliedRecordsActions) {
  CKavrinDireZerudDlg& w = Start();
  w.hide();
  settings::tagMODEINFO& applied = w.Settings().AppliedModes[w.Settings().CurrentMode()];
  applied.keys[2].major = settings::MAJOR_FUN_SHOW_DRIVER;
  applied.keys[4].major = settings::MAJOR_FUN_ASSIGN_PROGRAM_TO_EXECUTION;
  settings::SetFieldText(applied.keys[4].programPath, u"/usr/bin/run");
  applied.keys[7].major = settings::MAJOR_FUN_SCROLL_RIGHT;
  applied.horizontalScrollAmount = 3;

  backend.Mouse().InjectKeyStatus((1u << 2) | (1u << 4) | (1u << 7));
  ASSERT_TRUE(QTest::qWaitFor([&] { return !launcher.opened.empty(); }, uitest::kWaitMs));
  EXPECT_EQ(launcher.opened, std::vector<std::u16string>{u"/usr/bin/run"});
  EXPECT_EQ(wheel.requests, std::vector<int>{3});
  EXPECT_TRUE(w.isVisible()) << "shown without an identity check, also after a hidden start";
  EXPECT_EQ(w.ButtonActions().Pressed().flags[7], 1);
}

TEST_F(MainWindowEventsTest, AModeReportIsShownAndAReturningMouseIsReadAgain) {
  CKavrinDireZerudDlg& w = Start();
  backend.Mouse().SetCurrentMode(2);
  backend.Mouse().InjectModeInfo();
  ASSERT_TRUE(QTest::qWaitFor([&] { return w.Settings().CurrentMode() == 2; }, uitest::kWaitMs));
  EXPECT_EQ(w.ButtonOf(Button::ConfigFile3).GetCheckState(), 1);

  w.Settings().EditingModes[0].wheelLines = 99;
  backend.Mouse().Disconnect();
  ASSERT_TRUE(QTest::qWaitFor([&] { return !w.Device().IsOpen(); }, uitest::kWaitMs));
  backend.Mouse().Reconnect();
  ASSERT_TRUE(QTest::qWaitFor([&] { return w.Device().IsOpen(); }, uitest::kWaitMs));
  EXPECT_TRUE(QTest::qWaitFor([&] { return w.Settings().EditingModes[0].wheelLines != 99; },
                              uitest::kWaitMs))
      << "the unapplied edit is replaced by a fresh read";
  EXPECT_EQ(w.Settings().CurrentMode(), 2);
}

// Counts the ticks of the window's application-switch timer (the one of its timers with that
// period) and tells a waiting thread of each.
class AppSwitchTicks : public QObject {
 public:
  explicit AppSwitchTicks(CKavrinDireZerudDlg& window) {
    for (const QAbstractEventDispatcher::TimerInfo& t :
         QAbstractEventDispatcher::instance()->registeredTimers(&window)) {
      if (t.interval == TIMER_APP_SWITCH_INTERVAL_MS) id_ = t.timerId;
    }
    window.installEventFilter(this);
  }
  bool Found() const { return id_ != 0; }
  // Waits (on any thread) until `n` ticks have come, at most `ms`.
  bool WaitFor(int n, int ms) {
    std::unique_lock<std::mutex> lock(mutex_);
    return ticked_.wait_for(lock, std::chrono::milliseconds(ms), [&] { return count_ >= n; });
  }
  int Count() {
    std::lock_guard<std::mutex> lock(mutex_);
    return count_;
  }

 protected:
  bool eventFilter(QObject*, QEvent* event) override {
    if (event->type() == QEvent::Timer && static_cast<QTimerEvent*>(event)->timerId() == id_) {
      std::lock_guard<std::mutex> lock(mutex_);
      ++count_;
      ticked_.notify_all();
    }
    return false;
  }

 private:
  int id_ = 0;
  std::mutex mutex_;
  std::condition_variable ticked_;
  int count_ = 0;
};

// The mode numbers of the mode-selection commands the mouse received, in order.
std::vector<int> ModeSelections(sim::SimulatedMouse& mouse) {
  std::vector<int> modes;
  for (const sim::Report& r : mouse.CommandLog()) {
    if (r[1] == sim::CMD_MODE_INFO && r[2] == 0x08) modes.push_back(r[3]);
  }
  return modes;
}

// While Apply writes a slow mouse, the program in front asks for another mode: the switch
// sends nothing until Apply has ended (Apply selects the mode shown itself), and then at once.
TEST_F(MainWindowEventsTest, TheForegroundSwitchWaitsUntilApplyHasEnded) {
  CKavrinDireZerudDlg& w = Start();
  ASSERT_TRUE(w.Device().IsOpen());
  ASSERT_EQ(w.Settings().CurrentMode(), 0);
  AppSwitchTicks ticks(w);
  ASSERT_TRUE(ticks.Found());
  settings::DeviceSettings& s = w.Settings();
  for (settings::tagMODEINFO* area : {s.EditingModes, s.AppliedModes})
    settings::SetFieldText(area[2].appPath, u"/opt/game/bin/game");
  foreground.imagePath = u"/opt/game/bin/game";
  // The mouse holds Apply's first reply until the timer has ticked twice.
  const int ticksBefore = ticks.Count();
  std::atomic<bool> held{false};
  backend.Mouse().SetReplyHook([&](uint8_t) {
    if (!held.exchange(true)) ticks.WaitFor(ticksBefore + 2, 10000);
  });
  backend.Mouse().ClearCommandLog();
  w.OnApply();
  backend.Mouse().SetReplyHook({});

  ASSERT_GE(ticks.Count(), ticksBefore + 2) << "the timer did not tick while Apply ran";
  EXPECT_TRUE(boxes.empty()) << boxes.front().toStdString();
  EXPECT_EQ(ModeSelections(backend.Mouse()), std::vector<int>{0}) << "only Apply's own";
  EXPECT_EQ(s.CurrentMode(), 0);
  EXPECT_TRUE(QTest::qWaitFor([&] { return backend.Mouse().CurrentMode() == 2; }, uitest::kWaitMs));
  EXPECT_EQ(s.CurrentMode(), 2);
  EXPECT_EQ(ModeSelections(backend.Mouse()), (std::vector<int>{0, 2}));
}

// An Apply cut short in the write of the configuration block leaves the rest of it erased. Read
// again after the replug, the erased flash gives no settings: the records keep what the default
// files hold there, a mode report takes no 0xFF from the image either, and the next Apply
// writes the records' values.
TEST_F(MainWindowEventsTest, FlashLeftErasedByACutApplyIsNotTakenAsSettings) {
  CKavrinDireZerudDlg& w = Start();
  settings::DeviceSettings& s = w.Settings();
  s.ResetAllModesToDefaults();
  Click(Button::Apply);  // the mouse and the default files hold the factory settings
  ASSERT_TRUE(boxes.empty());
  tick.Advance(1000);
  s.EditingModes[0].light.green = 255;
  // Test mode, six blocks read, block 5 erased and 33 chunks of it written (bytes 0 to 131):
  // the mouse is gone at the next chunk, in the middle of mode 0's light half.
  backend.Mouse().DisconnectAtCommand(1 + 6 * 64 + 1 + 33 + 1);
  Click(Button::Apply);
  ASSERT_EQ(boxes, std::vector<QString>{QStringLiteral("保存E2数据失败！")});
  ASSERT_TRUE(QTest::qWaitFor([&] { return !w.Device().IsOpen(); }, uitest::kWaitMs));
  const sim::FlashBlock cut = backend.Mouse().GetFlashBlock(5);
  ASSERT_EQ(cut[131], 0x00);  // mode 0's blue, written
  ASSERT_EQ(cut[132], 0xFF);  // its change time, erased

  s.EditingModes[1].wheelLines = 99;
  backend.Mouse().Reconnect();
  ASSERT_TRUE(QTest::qWaitFor([&] { return s.EditingModes[1].wheelLines != 99; }, uitest::kWaitMs))
      << "the mouse is read again";
  const auto deviceBytes = [](const settings::tagMODEINFO& r) {
    const auto* p = reinterpret_cast<const uint8_t*>(&r) + settings::DEVICE_BLOCK_OFFSET;
    return std::vector<uint8_t>(p, p + 2 * settings::DEVICE_HALF_SIZE);
  };
  for (int m = 0; m < 4; ++m) {
    settings::tagMODEINFO expected;
    settings::LoadFactoryDefaults(expected, m);
    if (m == 0) expected.light.green = 255;  // the written quarter is taken
    EXPECT_EQ(deviceBytes(s.EditingModes[m]), deviceBytes(expected)) << "mode " << m;
  }

  backend.Mouse().SetCurrentMode(1);
  backend.Mouse().InjectModeInfo();
  ASSERT_TRUE(QTest::qWaitFor([&] { return s.CurrentMode() == 1; }, uitest::kWaitMs));
  EXPECT_EQ(s.EditingModes[1].dpiIndex01, 0x10);
  EXPECT_EQ(s.EditingModes[1].dpiIndex23, 0x64);

  tick.Advance(1000);
  Click(Button::Apply);
  EXPECT_EQ(boxes.size(), 1u) << "the Apply after the replug succeeds";
  const sim::FlashBlock written = backend.Mouse().GetFlashBlock(5);
  for (int m = 0; m < 4; ++m) {
    std::vector<uint8_t> flash(written.begin() + settings::LightHalfOffset(m),
                               written.begin() + settings::LightHalfOffset(m) + 8);
    flash.insert(flash.end(), written.begin() + settings::DpiHalfOffset(m),
                 written.begin() + settings::DpiHalfOffset(m) + 8);
    EXPECT_EQ(flash, deviceBytes(s.EditingModes[m])) << "mode " << m;
  }
}

}  // namespace
