// The mouse's own reports and its arrival reach the main window's handlers through the
// window's messages.
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

}  // namespace
