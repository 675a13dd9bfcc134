// How the main window follows the mouse, tested on DeviceEvents and PcButtonActions directly:
// the simulated mouse, a fake foreground application, a fake wheel and launcher, and a window
// that only counts what it is asked to do.
#include <gtest/gtest.h>

#include <chrono>
#include <cstring>
#include <memory>
#include <thread>

#include "app/DeviceEvents.h"
#include "device/DeviceCommand.h"
#include "platform/desktop/FakeForegroundApplication.h"
#include "platform/desktop/FakeProgramLauncher.h"
#include "platform/desktop/FakeWheelInjector.h"
#include "settings/FactoryDefaults.h"
#include "settings/FunctionCodes.h"
#include "sim/SimulatedHidBackend.h"
#include "tests/device/RecordingWindow.h"
#include "tests/platform/sys/FileTestUtil.h"

namespace {

using settings::tagMODEINFO;

constexpr uint32_t kOtherDevice = 0x01020304;

class DeviceEventsTest : public ::testing::Test {
 protected:
  DeviceEventsTest()
      : settingsModel(std::make_unique<settings::DeviceSettings>()),
        comm(&backend, 300),
        sync(*settingsModel, comm),
        actions(CMouseFunction(launcher, wheel), [this] { ++shows; }),
        events(*settingsModel, comm, sync, foreground, actions,
               {&window, [this] { ++refreshes; }, [this] { ++hides; }}) {
    settingsModel->ExpectedProductId = sim::kDefaultDeviceId;
  }
  ~DeviceEventsTest() override { comm.Close(); }

  // The window's start: defaults, the mouse read and merged, opened for `notify`.
  void Start(sys::MessageWindow* notify) {
    settingsModel->ResetAllModesToDefaults();
    ASSERT_EQ(sync.OpenDevice(notify), 1);
    ASSERT_EQ(sync.ReadAllFromDevice(), 1);
    sync.MergeDeviceData();
  }
  settings::DeviceSettings& S() { return *settingsModel; }
  int Commands(uint8_t command) {
    int n = 0;
    for (const sim::Report& r : backend.Mouse().CommandLog()) n += r[1] == command ? 1 : 0;
    return n;
  }
  void SetAppPath(int mode, std::u16string_view path) {
    settings::SetFieldText(S().AppliedModes[mode].appPath, path);
  }

  testutil::TempDataFolder data;
  sim::SimulatedHidBackend backend;
  std::unique_ptr<settings::DeviceSettings> settingsModel;
  device::CKavrinUSBComm comm;
  settings::DeviceSync sync;
  RecordingWindow window;
  desktop::FakeForegroundApplication foreground;
  desktop::FakeWheelInjector wheel;
  desktop::FakeProgramLauncher launcher;
  PcButtonActions actions;
  DeviceEvents events;
  int refreshes = 0;
  int hides = 0;
  int shows = 0;
};

// --- Device changes --------------------------------------------------------------------------

struct ChangeCase {
  const char* name;
  bool openBefore;
  bool replugged;  // unplugged and plugged in again while open, before the change is handled
  bool windowSet;  // the transport knows the window (else OpenDevice reopens)
  bool pluggedAfter;
  bool readFails;
  uint32_t idAfter;
  bool openAfter;
  bool readFresh;
  bool hidden;
  bool keepsPressed;  // a button held before the change is still held after it
};
void PrintTo(const ChangeCase& c, std::ostream* os) { *os << c.name; }

class DeviceChangeTest : public DeviceEventsTest,
                         public ::testing::WithParamInterface<ChangeCase> {};

TEST_P(DeviceChangeTest, ReadsAMouseThatCameBackAndHidesForAnotherOne) {
  const ChangeCase& c = GetParam();
  Start(c.windowSet ? &window : nullptr);
  // A default file, and an edit that was never applied.
  S().EditingModes[1].wheelLines = 7;
  S().SaveDefaultProfiles();
  S().EditingModes[1].wheelLines = 99;
  if (!c.openBefore) {
    backend.Mouse().Disconnect();
    events.OnDeviceChange(0, 0);
    ASSERT_FALSE(comm.IsOpen());
    if (!c.windowSet) comm.Close();  // the window is forgotten with the closed device
  }
  if (c.replugged) {
    backend.Mouse().Disconnect();
    // The reader finds the handle dead before the window hears of it.
    for (int i = 0; i < 500 && !comm.HandleLost(); ++i)
      std::this_thread::sleep_for(std::chrono::milliseconds(10));
    ASSERT_TRUE(comm.HandleLost());
  }
  hides = refreshes = 0;
  backend.Mouse().SetCurrentMode(2);
  backend.Mouse().SetDeviceId(c.idAfter);
  if (c.pluggedAfter && !backend.Mouse().IsConnected()) backend.Mouse().Reconnect();
  if (!c.pluggedAfter) backend.Mouse().Disconnect();
  if (c.readFails) {
    backend.Mouse().AddFault({.kind = sim::FaultKind::NoReply,
                              .count = sim::Fault::kEveryCommand,
                              .command = device::CMD_FLASH_READ});
  }
  backend.Mouse().ClearCommandLog();
  // A scroll button held when the change comes, as the last report said.
  actions.OnKeyStatus(1u << 3, S().AppliedModes[S().CurrentMode()]);

  events.OnDeviceChange(0, 0);

  EXPECT_EQ(comm.IsOpen(), c.openAfter);
  EXPECT_EQ(S().EditingModes[1].wheelLines, c.readFresh ? 7 : 99);
  EXPECT_EQ(S().CurrentMode(), c.readFresh ? 2 : 0);
  EXPECT_EQ(refreshes, c.readFresh ? 1 : 0);
  if (c.readFresh) {
    EXPECT_EQ(std::memcmp(&S().AppliedModes[1], &S().EditingModes[1], sizeof(tagMODEINFO)), 0);
  }
  EXPECT_EQ(Commands(device::CMD_FLASH_READ) > 0,
            c.openAfter && (!c.openBefore || c.replugged));
  EXPECT_EQ(hides, c.hidden ? 1 : 0);
  EXPECT_EQ(actions.Pressed().flags[3], c.keepsPressed ? 1 : 0)
      << "a mouse closed or read afresh reports no release of what was held";
}

INSTANTIATE_TEST_SUITE_P(
    Changes, DeviceChangeTest,
    ::testing::Values(ChangeCase{"AnotherDeviceWhileOpen", true, false, true, true, false,
                                 sim::kDefaultDeviceId, true, false, false, true},
                      ChangeCase{"WhileOpenTheIdentityFails", true, false, true, true, false,
                                 kOtherDevice, true, false, true, true},
                      ChangeCase{"UnpluggedWhileOpen", true, false, true, false, false,
                                 sim::kDefaultDeviceId, false, false, true, false},
                      ChangeCase{"PluggedAgainReopenedByTheTransport", false, false, true, true,
                                 false, sim::kDefaultDeviceId, true, true, false, false},
                      ChangeCase{"PluggedAgainReopenedByOpenDevice", false, false, false, true,
                                 false, sim::kDefaultDeviceId, true, true, false, false},
                      ChangeCase{"PluggedAgainButTheReadFails", false, false, true, true, true,
                                 sim::kDefaultDeviceId, true, false, false, false},
                      ChangeCase{"PluggedAgainAnotherMouse", false, false, true, true, false,
                                 kOtherDevice, true, true, true, false},
                      ChangeCase{"UnpluggedAndPluggedAgainBeforeEitherChange", true, true, true,
                                 true, false, sim::kDefaultDeviceId, true, true, false, false},
                      ChangeCase{"StillUnplugged", false, false, true, false, false,
                                 sim::kDefaultDeviceId, false, false, true, false}),
    [](const ::testing::TestParamInfo<ChangeCase>& info) { return std::string(info.param.name); });

// --- Mode and DPI reported by the mouse ------------------------------------------------------

TEST_F(DeviceEventsTest, AReportedModeIsTakenIntoTheEditingRecordsOnly) {
  Start(&window);
  for (int m = 0; m < 4; ++m) {
    uint8_t* half = S().image.configBlock.bytes + settings::DpiHalfOffset(m);
    for (int i = 0; i < 4; ++i) half[i] = static_cast<uint8_t>(0x10 * (m + 1) + i);
  }
  S().EditingModes[2].dpiIndex01 = 0xEE;  // an unapplied DPI edit: discarded
  S().EditingModes[2].fireSpeed = 0x77;   // other fields stay
  S().deviceInfo.dpiLevel[0] = 1;
  S().deviceInfo.rateIndex[3] = 2;
  const tagMODEINFO applied = S().AppliedModes[2];

  backend.Mouse().SetCurrentMode(2);
  backend.Mouse().SetDpiLevel(2, 3);
  backend.Mouse().SetRateIndex(2, 1);
  const uint32_t modeMsg = sys::RegisterWindowMessage(u"MODEDPICHANGE_MSG");
  backend.Mouse().InjectModeInfo();
  ASSERT_TRUE(window.WaitForPosted(modeMsg));
  events.OnModeDpiChange();

  EXPECT_EQ(S().CurrentMode(), 2);
  const tagMODEINFO& r = S().EditingModes[2];
  EXPECT_EQ(r.dpiIndex01, 0x30);
  EXPECT_EQ(r.dpiIndex23, 0x31);
  EXPECT_EQ(r.deviceByte10, 0x32);
  EXPECT_EQ(r.deviceByte11, 0x33);
  EXPECT_EQ(r.fireSpeed, 0x77);
  EXPECT_EQ(S().EditingModes[0].dpiIndex01, S().AppliedModes[0].dpiIndex01) << "other modes' values";
  const uint8_t levels[4] = {1, S().deviceInfo.dpiLevel[1], 3, S().deviceInfo.dpiLevel[3]};
  for (int m = 0; m < 4; ++m) {
    EXPECT_EQ(S().EditingModes[m].dpiLevel, levels[m]) << m;
    EXPECT_EQ(S().EditingModes[m].reportRateIndex, S().deviceInfo.rateIndex[m]) << m;
  }
  EXPECT_EQ(S().deviceInfo.dpiLevel[2], 3);
  EXPECT_EQ(S().deviceInfo.rateIndex[2], 1);
  EXPECT_EQ(S().EditingModes[3].reportRateIndex, 2);
  EXPECT_EQ(std::memcmp(&S().AppliedModes[2], &applied, sizeof applied), 0);
  EXPECT_EQ(refreshes, 1);
}

// --- The timer: scroll repeat and the mode by the foreground application ---------------------

struct SwitchCase {
  const char* name;
  std::u16string applied[4];
  std::u16string editing2;  // an unapplied path in mode 2
  std::u16string foreground;
  int currentBefore;
  int currentAfter;
  bool commandSent;
};

TEST_F(DeviceEventsTest, TheForegroundApplicationSwitchesByTheAppliedRecords) {
  const std::u16string deep = u"/" + std::u16string(400, u'x') + u"/bin/blender";
  const SwitchCase cases[] = {
      {"nothing matches: the mode stays", {u"gimp"}, u"", u"/usr/bin/inkscape", 1, 1, false},
      {"a match switches", {u"", u"", u"inkscape"}, u"", u"/usr/bin/Inkscape", 0, 2, true},
      {"the current mode matches: no command", {u"", u"inkscape"}, u"", u"/usr/bin/inkscape", 1,
       1, false},
      {"lower mode wins", {u"", u"bin/ink", u"inkscape"}, u"", u"/usr/bin/inkscape", 3, 1, true},
      {"short paths never match", {u"ink", u"", u"", u"usr"}, u"", u"/usr/bin/ink", 2, 2, false},
      {"unapplied paths do not count", {}, u"inkscape", u"/usr/bin/inkscape", 0, 0, false},
      {"unknown foreground", {u"", u"", u"", u"unknown"}, u"", u"<unknown>", 0, 3, true},
      {"a name past 260 units", {u"", u"", u"", u"blender"}, u"", deep, 0, 3, true},
  };
  Start(&window);
  for (const SwitchCase& c : cases) {
    for (int m = 0; m < 4; ++m) SetAppPath(m, c.applied[m]);
    settings::SetFieldText(S().EditingModes[2].appPath, c.editing2);
    S().SetCurrentMode(c.currentBefore);
    backend.Mouse().SetCurrentMode(c.currentBefore);
    foreground.imagePath = c.foreground;
    backend.Mouse().ClearCommandLog();
    refreshes = 0;

    events.OnAppSwitchTimer();

    EXPECT_EQ(S().CurrentMode(), c.currentAfter) << c.name;
    EXPECT_EQ(Commands(device::CMD_MODE_INFO) > 0, c.commandSent) << c.name;
    EXPECT_EQ(refreshes, c.commandSent ? 1 : 0) << c.name;
    if (c.commandSent) {
      EXPECT_EQ(backend.Mouse().CurrentMode(), c.currentAfter) << c.name;
    }
  }
}

// The desktop is looked at only while a path could match: otherwise it is not even followed.
TEST_F(DeviceEventsTest, TheForegroundIsLookedUpOnlyWhileAnAppliedPathCanMatch) {
  Start(&window);
  foreground.imagePath = u"/usr/bin/ink";
  for (int m = 0; m < 4; ++m) SetAppPath(m, m == 2 ? u"ink" : u"");
  settings::SetFieldText(S().EditingModes[1].appPath, u"/usr/bin/ink");  // not applied
  events.OnAppSwitchTimer();
  EXPECT_EQ(foreground.lookups, 0);
  EXPECT_FALSE(foreground.following);

  SetAppPath(3, u"/usr/bin/ink");
  events.OnAppSwitchTimer();
  events.OnAppSwitchTimer();
  EXPECT_EQ(foreground.lookups, 2);
  EXPECT_TRUE(foreground.following);
  EXPECT_EQ(S().CurrentMode(), 3);

  SetAppPath(3, u"");
  events.OnAppSwitchTimer();
  EXPECT_EQ(foreground.lookups, 2);
  EXPECT_FALSE(foreground.following) << "no more path";

  SetAppPath(3, u"/usr/bin/ink");
  events.OnAppSwitchTimer();
  EXPECT_TRUE(foreground.following);
  backend.Mouse().Disconnect();
  events.OnDeviceChange(0, 0);
  ASSERT_FALSE(comm.IsOpen());
  events.OnAppSwitchTimer();
  EXPECT_EQ(foreground.lookups, 3);
  EXPECT_FALSE(foreground.following) << "the mouse closed";
}

TEST_F(DeviceEventsTest, AModeChangedWithTheMousesButtonIsUndoneAtTheNextTick) {
  Start(&window);
  SetAppPath(0, u"inkscape");
  foreground.imagePath = u"/usr/bin/inkscape";
  events.OnAppSwitchTimer();
  ASSERT_EQ(S().CurrentMode(), 0);

  backend.Mouse().SetCurrentMode(1);
  backend.Mouse().InjectModeInfo();
  ASSERT_TRUE(window.WaitForPosted(sys::RegisterWindowMessage(u"MODEDPICHANGE_MSG")));
  events.OnModeDpiChange();
  EXPECT_EQ(S().CurrentMode(), 1) << "shown";
  events.OnAppSwitchTimer();
  EXPECT_EQ(S().CurrentMode(), 0);
  EXPECT_EQ(backend.Mouse().CurrentMode(), 0);
}

TEST_F(DeviceEventsTest, TheTimerRepeatsHeldScrollButtonsOnlyWhileTheMouseIsOpen) {
  Start(&window);
  tagMODEINFO& applied = S().AppliedModes[0];
  applied.keys[3].major = settings::MAJOR_FUN_SCROLL_RIGHT;
  applied.keys[4].major = settings::MAJOR_FUN_SCROLL_LEFT;
  applied.horizontalScrollAmount = -2;
  SetAppPath(1, u"inkscape");
  foreground.imagePath = u"/usr/bin/inkscape";

  actions.OnKeyStatus(1u << 3, applied);
  EXPECT_EQ(wheel.requests, std::vector<int>{2}) << "the report scrolls once";
  events.OnAppSwitchTimer();
  EXPECT_EQ(wheel.requests, (std::vector<int>{2, 2})) << "repeated before the switch";
  EXPECT_EQ(S().CurrentMode(), 1);

  // The held button of mode 0 is not assigned in mode 1: the repeat follows the current mode.
  events.OnAppSwitchTimer();
  EXPECT_EQ(wheel.requests.size(), 2u);

  S().SetCurrentMode(0);
  SetAppPath(1, u"");
  backend.Mouse().Disconnect();
  events.OnDeviceChange(0, 0);
  ASSERT_FALSE(comm.IsOpen());
  const int lookups = foreground.lookups;
  events.OnAppSwitchTimer();
  EXPECT_EQ(wheel.requests.size(), 2u) << "no repeat with the mouse closed";
  EXPECT_EQ(foreground.lookups, lookups) << "no switching either";

  // Plugged in again, the mouse is read afresh; the button held before it went stays released
  // in a mode that scrolls with it.
  backend.Mouse().Reconnect();
  events.OnDeviceChange(0, 0);
  ASSERT_TRUE(comm.IsOpen());
  tagMODEINFO& now = S().AppliedModes[S().CurrentMode()];
  now.keys[3].major = settings::MAJOR_FUN_SCROLL_RIGHT;
  now.horizontalScrollAmount = 2;
  events.OnAppSwitchTimer();
  EXPECT_EQ(wheel.requests.size(), 2u) << "no scrolling nobody asked for";
}

// --- Key-status reports ------------------------------------------------------------------------

TEST_F(DeviceEventsTest, AKeyStatusReportShowsRunsAndScrollsAsTheAppliedRecordSays) {
  auto record = std::make_unique<tagMODEINFO>();
  std::memset(record.get(), 0, sizeof *record);
  record->keys[0].major = settings::MAJOR_FUN_ASSIGN_PROGRAM_TO_EXECUTION;
  settings::SetFieldText(record->keys[0].programPath, u"/opt/a b/run $HOME;x");
  record->keys[1].major = settings::MAJOR_FUN_SHOW_DRIVER;
  record->keys[2].major = settings::MAJOR_FUN_SHOW_DRIVER;
  record->keys[5].major = settings::MAJOR_FUN_ASSIGN_PROGRAM_TO_EXECUTION;
  settings::SetFieldText(record->keys[5].programPath, u"/usr/bin/second");
  record->keys[6].major = settings::MAJOR_FUN_SCROLL_LEFT;
  record->horizontalScrollAmount = INT32_MIN;

  actions.OnKeyStatus(0x67, *record);
  EXPECT_EQ(shows, 1);
  EXPECT_EQ(launcher.opened,
            (std::vector<std::u16string>{u"/opt/a b/run $HOME;x", u"/usr/bin/second"}));
  EXPECT_EQ(wheel.requests, std::vector<int>{-8});

  // A second button pressed while a program button is held opens the program again.
  actions.OnKeyStatus(0x41, *record);
  EXPECT_EQ(launcher.opened.size(), 3u);
  EXPECT_EQ(shows, 1);
  actions.OnKeyStatus(0, *record);
  actions.DoScrollActions(*record);
  EXPECT_EQ(wheel.requests.size(), 2u) << "released: no more steps";

  record->horizontalScrollAmount = 0;
  actions.OnKeyStatus(0x40, *record);
  EXPECT_EQ(wheel.requests.size(), 2u) << "amount 0 scrolls nothing";
}

}  // namespace
