#include "settings/Apply.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <algorithm>
#include <cstring>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <thread>
#include <vector>

#include "platform/desktop/FakePointerSettings.h"
#include "platform/sys/AtomicFile.h"
#include "platform/sys/Utf.h"
#include "settings/FunctionCodes.h"
#include "sim/SimulatedHidBackend.h"
#include "tests/platform/sys/FileTestUtil.h"

namespace {

using namespace settings;
using Bytes = std::vector<uint8_t>;
using Log = std::vector<std::string>;

template <typename T>
Bytes RawOf(const T& value) {
  const auto* p = reinterpret_cast<const uint8_t*>(&value);
  return Bytes(p, p + sizeof value);
}

const char* NameOf(ApplyButton b) {
  switch (b) {
    case ApplyButton::OK: return "OK";
    case ApplyButton::Cancel: return "Cancel";
    case ApplyButton::Apply: return "Apply";
    case ApplyButton::Default: return "Default";
  }
  return "?";
}

// The main window as Apply sees it: every call goes into one log, together with the hover
// timer's. The device work runs on a thread of its own, as on the real window.
class FakeView : public ApplyView {
 public:
  explicit FakeView(Log& log) : log_(log) {}

  void EnableButton(ApplyButton b, bool enabled) override {
    log_.push_back(std::string(enabled ? "enable " : "disable ") + NameOf(b));
    if (onButton) onButton(b, enabled);
  }
  ScreenRect ProgressRect() override {
    log_.push_back("rect");
    return rect;
  }
  bool StartProgress(const ScreenRect& r) override {
    log_.push_back("start");
    startedAt = r;
    return progressOpens;
  }
  void RunDeviceWork(const std::function<void()>& work) override {
    log_.push_back("work done=" + std::to_string(runner->ApplyDone()));
    if (reenter) reenteredApplied = runner->OnApply();
    std::thread worker(work);
    worker.join();
  }
  void ProgressDone() override { log_.push_back("done"); }
  void WaitForProgress() override { log_.push_back("wait"); }
  void ShowMessage(std::u16string_view text) override {
    log_.push_back("message done=" + std::to_string(runner->ApplyDone()) + " " +
                   sys::ToUtf8(text));
  }
  void BringToFront() override { log_.push_back("front"); }

  ApplyRunner* runner = nullptr;
  ScreenRect rect{10, 20, 210, 70};
  ScreenRect startedAt{};
  bool progressOpens = true;
  bool reenter = false;
  bool reenteredApplied = true;
  std::function<void(ApplyButton, bool)> onButton;

 private:
  Log& log_;
};

class LoggingHoverTimer : public HoverTimer {
 public:
  explicit LoggingHoverTimer(Log& log) : log_(log) {}
  void Start() override { log_.push_back("hover start"); }
  void Stop() override { log_.push_back("hover stop"); }

 private:
  Log& log_;
};

const Log kDisable = {"disable OK", "disable Cancel", "disable Apply", "disable Default"};
const Log kEnable = {"enable OK", "enable Cancel", "enable Apply", "enable Default"};

Log Join(std::initializer_list<Log> parts) {
  Log out;
  for (const Log& p : parts) out.insert(out.end(), p.begin(), p.end());
  return out;
}

// Everything Apply works on, wired as the main window wires it, around a simulated mouse.
struct Rig {
  Rig() {
    s->ResetAllModesToDefaults();
    s->ExpectedProductId = sim::kDefaultDeviceId;
    macros->SetHoverTimer(&hover);
    view.runner = &runner;
  }
  sim::SimulatedMouse& Mouse() { return backend.Mouse(); }
  bool Open() { return sync.OpenDevice(nullptr) == 1; }

  // Macro `index` of the store: `presses` presses of A (two items each).
  void AddMacro(int presses) {
    tagMACROINFO& m = macros->macroStore.macros[macros->macroStore.count++];
    std::memset(&m, 0, sizeof m);
    for (int i = 0; i < presses; ++i) {
      m.events[2 * i] = tagMACROEVENT{0x41, MACRO_KEY_DOWN, {0, 0}, 0};
      m.events[2 * i + 1] = tagMACROEVENT{0x41, MACRO_KEY_UP, {0, 0}, 0};
    }
    m.eventCount = static_cast<uint32_t>(2 * presses);
    m.loopCount = 1;
  }
  // No button of any mode uses the macro area (the factory defaults have double clicks).
  void ClearButtons() {
    for (tagMODEINFO& mode : s->EditingModes)
      for (tagKEYDEFINEINFO& key : mode.keys) key.major = MAJOR_FUN_OFF;
  }
  void AssignMacro(int mode, int button, int index) {
    tagKEYDEFINEINFO& k = s->EditingModes[mode].keys[button];
    k.major = MAJOR_FUN_MACRO;
    k.minor = static_cast<uint8_t>(MINOR_FUN_FIRST_MACRO + index);
    k.macroIndex = static_cast<uint8_t>(index);
  }

  bool FlashEqualsImage() {
    for (int k = 0; k < FLASH_BLOCK_COUNT; ++k) {
      const uint8_t* block = k < MACRO_AREA_BLOCKS ? s->image.macroArea.bytes + 256 * k
                                                   : s->image.configBlock.bytes;
      if (std::memcmp(Mouse().GetFlashBlock(k).data(), block, 256) != 0) return false;
    }
    return true;
  }
  bool FlashWasTouched() {
    for (const sim::Report& r : Mouse().CommandLog())
      if (r[1] == sim::CMD_FLASH_WRITE || r[1] == sim::CMD_FLASH_ERASE) return true;
    return false;
  }

  Log log;
  sim::SimulatedHidBackend backend;
  device::CKavrinUSBComm comm{&backend, 200, 100};
  std::unique_ptr<DeviceSettings> s = std::make_unique<DeviceSettings>();
  DeviceSync sync{*s, comm};
  std::unique_ptr<MacroStore> macros = std::make_unique<MacroStore>();
  LoggingHoverTimer hover{log};
  desktop::FakePointerSettings pointer;
  FakeView view{log};
  sys::FakeTick tick{1000};
  ApplyRunner runner{*s, sync, comm, macros.get(), pointer, view, [this] { return tick(); }};
};

class ApplyTest : public ::testing::Test {
 protected:
  // Default file `m` below the data folder `folder`.
  static std::string DefaultFileIn(const std::string& folder, int m) {
    return folder + "/Kavrin-Velro-4417/DefaultCfg/default" + std::to_string(m);
  }
  std::string DefaultFile(int m) const { return DefaultFileIn(data.path(), m); }
  bool AnyDefaultFile() const {
    struct stat st {};
    for (int m = 0; m < MODE_COUNT; ++m)
      if (::stat(DefaultFile(m).c_str(), &st) == 0) return true;
    return false;
  }

  testutil::TempDataFolder data;
};

TEST_F(ApplyTest, DebounceIgnoresRequestsCloserThan100msToThePreviousOne) {
  const struct {
    const char* what;
    uint32_t start;
    uint32_t applyTakesMs;
    std::vector<std::pair<uint32_t, bool>> clicks;  // ms after the previous click, applied
  } cases[] = {
      {"the first request is never ignored, even at once", 1000, 0, {{0, true}}},
      {"50 ms apart apply once; 80 ms after the ignored one is ignored too",
       1000, 0, {{0, true}, {50, false}, {80, false}, {100, true}, {99, false}, {100, true}}},
      {"the 100 ms count from the end of an Apply", 1000, 500, {{0, true}, {550, false}, {100, true}}},
      {"across the wrap of the tick", 0xFFFFFFC0u, 0, {{0, true}, {90, false}, {100, true}}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    Rig rig;  // the mouse stays closed: each Apply only disables and enables the buttons
    rig.tick.Set(c.start);
    rig.view.onButton = [&](ApplyButton b, bool enabled) {
      if (b == ApplyButton::Default && !enabled) rig.tick.Advance(c.applyTakesMs);
    };
    uint32_t afterPrevious = 0;
    for (const auto& [gap, applied] : c.clicks) {
      rig.tick.Advance(gap - afterPrevious);
      afterPrevious = 0;
      rig.log.clear();
      EXPECT_EQ(rig.runner.OnApply(), applied) << "after " << gap;
      EXPECT_EQ(rig.log, applied ? Join({kDisable, kEnable}) : Log{});
      if (applied) afterPrevious = c.applyTakesMs;  // the gap counts from the click
    }
  }
}

TEST_F(ApplyTest, ApplyWritesTheMouseAndThenCommitsEverything) {
  Rig rig;
  ASSERT_TRUE(rig.Open());
  tagMODEINFO* modes = rig.s->EditingModes;
  for (int m = 0; m < MODE_COUNT; ++m) {
    modes[m].dpiLevel = static_cast<uint8_t>(m);
    modes[m].reportRateIndex = static_cast<uint8_t>(3 - m);
    modes[m].light.red = static_cast<uint8_t>(0x10 + m);
    modes[m].fireSpeed = static_cast<uint8_t>(0x20 + m);
  }
  rig.AddMacro(3);
  rig.AssignMacro(3, 4, 0);
  rig.s->SetCurrentMode(2);
  modes[2].pointerSpeed = 4;
  modes[2].pointerPrecision = 0;
  modes[2].wheelLines = 5;
  modes[2].wheelOnePage = 0;
  modes[2].doubleClickSpeed = 4;
  std::memset(&modes[4], 0x5A, sizeof modes[4]);  // the fifth record travels along
  rig.view.reenter = true;

  EXPECT_TRUE(rig.runner.OnApply());
  EXPECT_FALSE(rig.view.reenteredApplied) << "a request while Apply runs is ignored";
  EXPECT_EQ(rig.log, Join({kDisable,
                           {"rect", "hover stop", "start", "work done=0", "done", "wait", "front",
                            "hover start"},
                           kEnable}));
  EXPECT_EQ(rig.view.startedAt, rig.view.rect);
  EXPECT_FALSE(rig.runner.Running());

  // The image was rebuilt from the records and the flash holds it.
  EXPECT_TRUE(rig.FlashEqualsImage());
  EXPECT_FALSE(rig.Mouse().InTestMode());
  const uint8_t* config = rig.s->image.configBlock.bytes;
  for (int m = 0; m < MODE_COUNT; ++m) {
    const auto* device = reinterpret_cast<const uint8_t*>(&modes[m]) + DEVICE_BLOCK_OFFSET;
    EXPECT_EQ(std::memcmp(config + LightHalfOffset(m), device, 8), 0) << m;
    EXPECT_EQ(std::memcmp(config + DpiHalfOffset(m), device + 8, 8), 0) << m;
  }
  EXPECT_EQ(config[ButtonCodeOffset(3, 4) + 1] & 0xC0, 0xC0) << "a macro button's code";
  EXPECT_NE(rig.s->image.macroArea.bytes[0], 0xFF) << "the macro area holds compiled macros";

  // DPI levels, report rates and the current mode reached the mouse.
  for (int m = 0; m < MODE_COUNT; ++m) {
    EXPECT_EQ(rig.Mouse().DpiLevel(m), m);
    EXPECT_EQ(rig.Mouse().RateIndex(m), 3 - m);
  }
  EXPECT_EQ(rig.Mouse().CurrentMode(), 2);

  // The pointer settings of the current mode, each set because it differed.
  EXPECT_EQ(rig.pointer.Sets(),
            (std::vector<std::string>{"SetMouseSpeed 8", "SetMouseAcceleration 0,0,0",
                                      "SetWheelScrollLines 5", "SetDoubleClickTime 620"}));

  // Applied records, default files and the committed store.
  EXPECT_EQ(RawOf(rig.s->AppliedModes), RawOf(rig.s->EditingModes));
  for (int m = 0; m < MODE_COUNT; ++m)
    EXPECT_EQ(testutil::ReadAll(DefaultFile(m)), RawOf(modes[m])) << m;
  EXPECT_EQ(RawOf(rig.macros->committedMacroStore), RawOf(rig.macros->macroStore));
}

// The four default files are each synced whole, and their folder once after the last of them.
TEST_F(ApplyTest, TheDefaultFilesFolderIsSyncedOnceAfterTheFourFiles) {
  std::vector<std::string> synced;
  sys::SetSyncObserver([&](const std::string& path) { synced.push_back(path); });
  Rig rig;
  ASSERT_TRUE(rig.Open());
  EXPECT_TRUE(rig.runner.OnApply());
  sys::SetSyncObserver({});
  EXPECT_EQ(synced, (std::vector<std::string>{DefaultFile(0), DefaultFile(1), DefaultFile(2),
                                              DefaultFile(3), data.DefaultCfg()}));
}

TEST_F(ApplyTest, EveryFailureLeavesTheAppliedStateAndStillBringsTheWindowForward) {
  const struct {
    const char* what;
    std::function<void(Rig&)> spoil;
    const char* text;
    bool flashWritten;
  } cases[] = {
      {"macros of three modes do not fit",
       [](Rig& r) {
         r.ClearButtons();
         r.AddMacro(25);  // 104 bytes each: the third cannot end before byte 254
         r.AssignMacro(0, 2, 0);
         r.AssignMacro(1, 2, 0);
         r.AssignMacro(2, 7, 0);
       },
       " 设置模式3 E2 空间不够！", false},
      {"a macro of mode 4 does not fit",
       [](Rig& r) {
         r.ClearButtons();
         r.AddMacro(25);
         r.AssignMacro(0, 2, 0);
         r.AssignMacro(0, 3, 0);
         r.AssignMacro(3, 9, 0);
       },
       " 设置模式4 E2 空间不够！", false},
      {"the flash erase gets no reply",
       [](Rig& r) { r.Mouse().AddFault({.kind = sim::FaultKind::NoReply, .command = 0x03}); },
       "保存E2数据失败！", true},
      {"the DPI command gets no reply",
       [](Rig& r) { r.Mouse().AddFault({.kind = sim::FaultKind::NoReply, .command = 0x21}); },
       "保存配置数据失败！", true},
      {"the mode command gets a wrong echo",
       [](Rig& r) {
         // Test mode and normal mode come first; the third mode-info command selects the mode.
         sim::Fault f;
         f.kind = sim::FaultKind::WrongData;
         f.count = sim::Fault::kEveryCommand;
         f.command = sim::CMD_MODE_INFO;
         f.patch = [seen = std::make_shared<int>(0)](sim::Report& reply) {
           if (++*seen == 3) reply[1] = 0x00;
         };
         r.Mouse().AddFault(f);
       },
       "保存配置数据失败！", true},
      {"the pointer speed cannot be set",
       [](Rig& r) { r.pointer.failing = {"SetMouseSpeed"}; }, " 设置鼠标属性失败！", true},
      {"the wheel lines cannot be read",
       [](Rig& r) { r.pointer.failing = {"GetWheelScrollLines"}; }, " 设置鼠标属性失败！", true},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    Rig rig;
    ASSERT_TRUE(rig.Open());
    std::memset(rig.s->AppliedModes, 0x3C, sizeof rig.s->AppliedModes);
    rig.s->EditingModes[0].pointerSpeed = 1;  // so that the speed differs and is set
    c.spoil(rig);
    rig.macros->committedMacroStore.count = 7;
    const Bytes committed = RawOf(rig.macros->committedMacroStore);

    EXPECT_TRUE(rig.runner.OnApply());
    EXPECT_EQ(rig.log,
              Join({kDisable,
                    {"rect", "hover stop", "start", "work done=0", "done",
                     std::string("message done=1 ") + c.text, "wait", "front", "hover start"},
                    kEnable}));
    EXPECT_EQ(RawOf(rig.s->AppliedModes), Bytes(sizeof rig.s->AppliedModes, 0x3C));
    EXPECT_EQ(RawOf(rig.macros->committedMacroStore), committed);
    EXPECT_FALSE(AnyDefaultFile());
    EXPECT_EQ(rig.FlashWasTouched(), c.flashWritten);
    EXPECT_FALSE(rig.Mouse().InTestMode());
  }
}

// The mouse took the new settings, so they are applied and committed even when their default
// files cannot be written; the failure is told, and the old files stay whole.
TEST_F(ApplyTest, AFailedSaveOfTheDefaultFilesIsToldOnceEverythingIsCommitted) {
  const struct {
    const char* what;
    bool diskFull;  // else the folder of the default files cannot be made
  } cases[] = {{"the disk is full", true}, {"the folder cannot be made", false}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    const std::string folder = data / (c.diskFull ? "full" : "blocked");
    sys::SetDataFolderOverride(folder);
    Rig rig;
    ASSERT_TRUE(rig.Open());
    std::vector<Bytes> oldFiles;
    if (c.diskFull) {
      ASSERT_TRUE(rig.s->SaveDefaultProfiles());
      for (int m = 0; m < MODE_COUNT; ++m) oldFiles.push_back(testutil::ReadAll(DefaultFileIn(folder, m)));
    } else {
      data.Write(std::string("blocked/Kavrin-Velro-4417"), "not a folder");
    }
    for (int m = 0; m < MODE_COUNT; ++m) rig.s->EditingModes[m].fireSpeed = static_cast<uint8_t>(90 + m);
    rig.AddMacro(2);
    {
      std::optional<testutil::FileSizeLimit> limit;
      if (c.diskFull) limit.emplace(1024);
      EXPECT_TRUE(rig.runner.OnApply());
    }
    EXPECT_EQ(rig.log,
              Join({kDisable,
                    {"rect", "hover stop", "start", "work done=0", "done",
                     "message done=1 保存默认配置文件失败！", "wait", "front", "hover start"},
                    kEnable}));
    EXPECT_TRUE(rig.FlashEqualsImage());
    EXPECT_EQ(RawOf(rig.s->AppliedModes), RawOf(rig.s->EditingModes));
    EXPECT_EQ(RawOf(rig.macros->committedMacroStore), RawOf(rig.macros->macroStore));
    for (size_t m = 0; m < oldFiles.size(); ++m)
      EXPECT_EQ(testutil::ReadAll(DefaultFileIn(folder, static_cast<int>(m))), oldFiles[m]) << m;
  }
}

TEST_F(ApplyTest, WithTheDeviceClosedNothingIsShownStartedOrWritten) {
  Rig rig;
  EXPECT_TRUE(rig.runner.OnApply());
  EXPECT_EQ(rig.log, Join({kDisable, kEnable}));
  EXPECT_TRUE(rig.pointer.calls.empty());
  EXPECT_TRUE(rig.Mouse().CommandLog().empty());
  EXPECT_FALSE(AnyDefaultFile());
  EXPECT_EQ(RawOf(rig.s->AppliedModes), Bytes(sizeof rig.s->AppliedModes, 0));
}

TEST_F(ApplyTest, AProgressDisplayWithoutItsSkinFileIsReportedAndApplyGoesOn) {
  Rig rig;
  ASSERT_TRUE(rig.Open());
  rig.view.progressOpens = false;
  EXPECT_TRUE(rig.runner.OnApply());
  EXPECT_EQ(rig.log, Join({kDisable,
                           {"rect", "hover stop", "start", "message done=0 配置文件错误！",
                            "work done=0", "front", "hover start"},
                           kEnable}));
  EXPECT_EQ(RawOf(rig.s->AppliedModes), RawOf(rig.s->EditingModes));
  EXPECT_TRUE(rig.FlashEqualsImage());
}

// Each level and index reaches the mouse within its own nibble; one outside 0 to 3 goes as its
// factory value (DPI level 1, report-rate index 1).
TEST_F(ApplyTest, DeviceConfigPacksEachValueIntoItsOwnNibble) {
  const struct {
    tagDEVICEINFO info;
    Bytes dpi;   // bytes 2 to 4 of the DPI command
    Bytes rate;  // bytes 2 to 4 of the report-rate command
  } cases[] = {
      {{2, {0, 1, 2, 3}, {3, 2, 1, 0}}, {0x0F, 0x10, 0x32}, {0x0F, 0x23, 0x01}},
      // From a file: values above 15 must not spill into the next mode's nibble.
      {{1, {0x12, 0, 0, 0x21}, {0x13, 0, 0xF4, 0}}, {0x0F, 0x01, 0x10}, {0x0F, 0x01, 0x01}},
      {{0, {0, 0, 0x35, 1}, {0x10, 0x21, 0x32, 0x43}}, {0x0F, 0x00, 0x11}, {0x0F, 0x11, 0x11}},
  };
  for (const auto& c : cases) {
    Rig rig;
    ASSERT_TRUE(rig.Open());
    rig.Mouse().ClearCommandLog();
    EXPECT_EQ(rig.runner.WriteDeviceConfig(c.info), 1);
    const std::vector<sim::Report> sent = rig.Mouse().CommandLog();
    ASSERT_EQ(sent.size(), 3u);
    EXPECT_EQ(sent[0][1], sim::CMD_DPI);
    EXPECT_EQ(Bytes(sent[0].begin() + 2, sent[0].begin() + 5), c.dpi);
    EXPECT_EQ(sent[1][1], sim::CMD_REPORT_RATE);
    EXPECT_EQ(Bytes(sent[1].begin() + 2, sent[1].begin() + 5), c.rate);
    EXPECT_EQ(rig.Mouse().CurrentMode(), c.info.currentMode);
  }
}

// Default files holding a DPI level and report-rate index out of range (a file may hold any
// byte): loaded and applied, Apply succeeds and the mouse holds what was sent, the factory value
// for a value out of range. Modes 0/1 share one byte of the commands, modes 2/3 the other.
TEST_F(ApplyTest, OutOfRangeLevelsAndRatesFromFilesGoAsTheirFactoryValues) {
  const struct {
    std::vector<int> modes;  // the modes whose files hold `value`
    uint8_t value;
    int sent;
  } cases[] = {
      {{2}, 3, 3},    {{2}, 4, 1},    {{0}, 9, 1},    {{3}, 255, 1},
      {{1, 2}, 3, 3}, {{0, 3}, 4, 1}, {{1, 2}, 9, 1}, {{0, 3}, 255, 1},
  };
  constexpr uint8_t kOtherDpi = 0, kOtherRate = 2;  // what the other modes' files hold
  for (const auto& c : cases) {
    SCOPED_TRACE(testing::Message() << "value " << int(c.value) << " in " << c.modes.size());
    Rig rig;
    for (int m = 0; m < MODE_COUNT; ++m) {
      tagMODEINFO record = rig.s->EditingModes[m];
      const bool bad = std::find(c.modes.begin(), c.modes.end(), m) != c.modes.end();
      record.dpiLevel = bad ? c.value : kOtherDpi;
      record.reportRateIndex = bad ? c.value : kOtherRate;
      data.Write("Kavrin-Velro-4417/DefaultCfg/default" + std::to_string(m),
                 std::string_view(reinterpret_cast<const char*>(&record), sizeof record));
      // The mouse starts with other values, so that a level left as it was shows.
      rig.Mouse().SetDpiLevel(m, 2);
      rig.Mouse().SetRateIndex(m, 0);
    }
    rig.s->LoadDefaultProfiles();
    ASSERT_TRUE(rig.Open());
    EXPECT_TRUE(rig.runner.OnApply());
    for (const std::string& entry : rig.log) EXPECT_EQ(entry.rfind("message", 0), std::string::npos) << entry;
    for (int m = 0; m < MODE_COUNT; ++m) {
      const bool bad = std::find(c.modes.begin(), c.modes.end(), m) != c.modes.end();
      EXPECT_EQ(rig.Mouse().DpiLevel(m), bad ? c.sent : kOtherDpi) << m;
      EXPECT_EQ(rig.Mouse().RateIndex(m), bad ? c.sent : kOtherRate) << m;
      EXPECT_EQ(rig.s->EditingModes[m].dpiLevel, bad ? c.value : kOtherDpi) << "the record keeps it";
    }
  }
}

// The pointer values a record asks for, each read first and set only when it differs.
TEST_F(ApplyTest, PointerSettingsFollowTheRecordAndAreSetOnlyWhenTheyDiffer) {
  using desktop::MouseAcceleration;
  const struct {
    int32_t speed, precision, wheelLines, onePage, doubleClick;
    int curSpeed;
    MouseAcceleration curAcceleration;
    int curLines;
    uint32_t curDoubleClick;
    std::vector<std::string> sets;
  } cases[] = {
      {4, 1, 3, 0, 4, 10, {6, 10, 1}, 3, 500, {"SetMouseSpeed 8", "SetDoubleClickTime 620"}},
      // 0 gives speed 1, 11 lines give 3, -1 gives 480 ms; precision off at 0, 0, 0 stays.
      {0, 0, 11, 0, -1, 1, {0, 0, 0}, 3, 480, {}},
      {11, 0, 5, 1, 11, 1, {6, 10, 1}, -1, 500,
       {"SetMouseSpeed 10", "SetMouseAcceleration 0,0,0", "SetDoubleClickTime 480"}},
      {-1, 5, 0, 0, 10, 10, {4, 8, 2}, 3, 200,
       {"SetMouseAcceleration 6,10,1", "SetWheelScrollLines 0"}},
      {10, 1, 10, 0, 0, 20, {6, 10, 1}, 10, 900, {}},
      {3, 0, -1, 0, 7, 6, {6, 10, 0}, 4, 410, {"SetMouseAcceleration 0,0,0", "SetWheelScrollLines 3"}},
  };
  const std::vector<std::string> gets = {"GetMouseSpeed", "GetMouseAcceleration",
                                         "GetWheelScrollLines", "GetDoubleClickTime"};
  for (const auto& c : cases) {
    Rig rig;
    tagMODEINFO& r = rig.s->EditingModes[0];
    r.pointerSpeed = c.speed;
    r.pointerPrecision = c.precision;
    r.wheelLines = c.wheelLines;
    r.wheelOnePage = c.onePage;
    r.doubleClickSpeed = c.doubleClick;
    rig.pointer.speed = c.curSpeed;
    rig.pointer.acceleration = c.curAcceleration;
    rig.pointer.wheelLines = c.curLines;
    rig.pointer.doubleClickTimeMs = c.curDoubleClick;
    SCOPED_TRACE(testing::Message() << c.speed << " " << c.precision << " " << c.wheelLines << " "
                                    << c.onePage << " " << c.doubleClick);
    EXPECT_EQ(rig.runner.ApplySystemMouseSettings(r), 1);
    EXPECT_EQ(rig.pointer.Sets(), c.sets);
    std::vector<std::string> asked;
    for (const std::string& call : rig.pointer.calls)
      if (call.rfind("Get", 0) == 0) asked.push_back(call);
    EXPECT_EQ(asked, gets);
  }
}

TEST_F(ApplyTest, PointerSettingsStopAtTheFirstFailingCall) {
  const struct {
    const char* failing;
    size_t callsMade;
  } cases[] = {{"GetMouseSpeed", 1}, {"SetMouseSpeed", 2}, {"GetMouseAcceleration", 3},
               {"SetMouseAcceleration", 4}, {"SetWheelScrollLines", 6}, {"SetDoubleClickTime", 8}};
  for (const auto& c : cases) {
    Rig rig;
    tagMODEINFO& r = rig.s->EditingModes[0];
    r.pointerSpeed = 1;       // every value differs from the fake's defaults
    r.pointerPrecision = 0;
    r.wheelLines = 7;
    r.wheelOnePage = 0;
    r.doubleClickSpeed = 1;
    rig.pointer.failing = {c.failing};
    EXPECT_EQ(rig.runner.ApplySystemMouseSettings(r), 0) << c.failing;
    EXPECT_EQ(rig.pointer.calls.size(), c.callsMade) << c.failing;
  }
}

TEST(ApplyTexts, TheShortageNamesTheModeNumber) {
  EXPECT_EQ(sys::ToUtf8(SpaceShortageText(4)), " 设置模式4 E2 空间不够！");
}

}  // namespace
