// The main window against the simulated mouse, on Qt's offscreen platform.
#include <QTimer>
#include <array>
#include <atomic>
#include <chrono>
#include <condition_variable>
#include <filesystem>
#include <mutex>
#include <optional>

#include "app/FactoryMouseState.h"
#include "platform/desktop/SingleInstance.h"
#include "platform/sys/Tick.h"
#include "platform/ui/CaptionDrag.h"
#include "platform/ui/FileDialog.h"
#include "settings/FactoryDefaults.h"
#include "skin/ProgressDlg.h"
#include "skin/SkinValues.h"
#include "tests/app/AppFixture.h"
#include "tests/platform/sys/BlockingPipe.h"
#include "tests/platform/ui/QtTestSupport.h"

namespace {

using namespace apptest;
using settings::tagMODEINFO;

constexpr Button kTabs[] = {Button::Light, Button::Sensitivity, Button::KeyDefine, Button::Advance};
constexpr Button kModes[] = {Button::ConfigFile1, Button::ConfigFile2, Button::ConfigFile3,
                             Button::ConfigFile4};

std::vector<int> Checked(CKavrinDireZerudDlg& w, std::initializer_list<Button> buttons) {
  std::vector<int> out;
  for (Button b : buttons) out.push_back(w.ButtonOf(b).GetCheckState());
  return out;
}

using MainWindowTest = AppFixture;

// --- Start-up -------------------------------------------------------------------------------

struct StartCase {
  const char* name;
  uint32_t deviceId;
  bool plugged;
  bool productIdOnlyInMainWindow;  // the skin names the id in the wrong section
  bool shown;
};
void PrintTo(const StartCase& c, std::ostream* os) { *os << c.name; }

class StartUpTest : public AppFixture, public ::testing::WithParamInterface<StartCase> {};

TEST_P(StartUpTest, ShowsTheWindowOnlyForTheMouseTheSkinExpects) {
  const StartCase& c = GetParam();
  backend.Mouse().SetDeviceId(c.deviceId);
  if (!c.plugged) backend.Mouse().Disconnect();
  if (c.productIdOnlyInMainWindow) {
    programFolder = CopyProgramFolder();
    const std::string ini = programFolder + "/Setup.ini";
    std::string text = ReadText(ini);
    const std::string own = "[ProductID]\r\nProductID=4417A001\r\n";
    ASSERT_NE(text.find(own), std::string::npos);
    text.erase(text.find(own), own.size());
    text.replace(text.find("[MainWindow]\r\n"), 14, "[MainWindow]\r\nProductID=4417A001\r\n");
    WriteText(ini, text);
  }
  testing::internal::CaptureStderr();
  CKavrinDireZerudDlg& w = Start();
  const std::string said = testing::internal::GetCapturedStderr();

  EXPECT_EQ(w.isVisible(), c.shown);
  // Without the expected mouse only the tray icon shows: a terminal is told why, once.
  const std::string notFound = "The mouse was not found";
  EXPECT_EQ(said.find(notFound) != std::string::npos, !c.shown) << said;
  EXPECT_EQ(said.find(notFound), said.rfind(notFound)) << said;
  EXPECT_EQ(w.GetProp(u"IsMyDeivce"), c.shown ? 1u : 0u);
  EXPECT_EQ(w.Settings().ExpectedProductId, c.productIdOnlyInMainWindow ? 0u : 0x4417A001u);
  EXPECT_EQ(w.Device().IsOpen(), c.plugged);
  // Initialised fully in every case: the instance property is set, the thread joined.
  EXPECT_EQ(w.GetProp(u"kdz-app-test"), 1u);
  EXPECT_FALSE(w.StartupThreadPending());
  EXPECT_TRUE(boxes.empty());
  EXPECT_TRUE(exits.empty());

  // The skin: sized to its background, shaped by its mask, the buttons at their rectangles.
  EXPECT_EQ(w.size(), QSize(860, 560));
  EXPECT_FALSE(w.mask().contains(QPoint(0, 0))) << "the chamfered corner is cut away";
  EXPECT_TRUE(w.mask().contains(QPoint(430, 280)));
  for (Button b : {Button::Apply, Button::ConfigFile4, Button::Modify}) {
    EXPECT_FALSE(w.ButtonOf(b).geometry().isEmpty());
    EXPECT_TRUE(w.rect().contains(w.ButtonOf(b).geometry()));
  }
  EXPECT_EQ(w.ButtonOf(Button::Apply).geometry(),
            skin::ReadRect(w.SkinFile(), QStringLiteral("MainWindow"), u"KeyApplyRect"));
  // The KeyDefine tab and the first mode are the checked ones.
  EXPECT_EQ(Checked(w, {Button::Light, Button::Sensitivity, Button::KeyDefine, Button::Advance}),
            (std::vector<int>{0, 0, 1, 0}));
  EXPECT_EQ(Checked(w, {Button::ConfigFile1, Button::ConfigFile2, Button::ConfigFile3,
                        Button::ConfigFile4}),
            (std::vector<int>{1, 0, 0, 0}));
}

INSTANTIATE_TEST_SUITE_P(
    Mouse, StartUpTest,
    ::testing::Values(StartCase{"ExpectedId", sim::kDefaultDeviceId, true, false, true},
                      StartCase{"OtherId", 0x12345678, true, false, false},
                      StartCase{"NoMouse", sim::kDefaultDeviceId, false, false, false},
                      StartCase{"IdOnlyInMainWindowSection", sim::kDefaultDeviceId, true, true,
                                false}),
    [](const ::testing::TestParamInfo<StartCase>& info) { return std::string(info.param.name); });

TEST_F(MainWindowTest, StartUpTakesTheMousesDataIntoBothRecordAreas) {
  backend.Mouse().SetCurrentMode(2);
  backend.Mouse().SetDpiLevel(1, 3);
  backend.Mouse().SetRateIndex(3, 1);
  CKavrinDireZerudDlg& w = Start();
  settings::DeviceSettings& s = w.Settings();
  EXPECT_EQ(s.CurrentMode(), 2);
  EXPECT_EQ(s.EditingModes[1].dpiLevel, 3);
  EXPECT_EQ(s.EditingModes[3].reportRateIndex, 1);
  for (int m = 0; m < 4; ++m) EXPECT_TRUE(SameBytes(s.EditingModes[m], s.AppliedModes[m]));
  EXPECT_EQ(Checked(w, {kModes[0], kModes[1], kModes[2], kModes[3]}),
            (std::vector<int>{0, 0, 1, 0}));
}

// The program's new simulated mouse is the mouse fresh from the factory: it holds what the first
// Apply of the factory settings, with no macros, writes onto a blank (erased) mouse.
TEST_F(MainWindowTest, AMouseFreshFromTheFactoryHoldsWhatApplyWritesFromTheFactorySettings) {
  CKavrinDireZerudDlg& w = Start();
  w.Settings().ResetAllModesToDefaults();
  Click(Button::Apply);
  ASSERT_TRUE(boxes.empty());
  const sim::SimulatedMouse::PersistentState written = backend.Mouse().GetPersistentState();
  const sim::SimulatedMouse::PersistentState factory = app::FactoryMouseState();
  for (int k = 0; k < sim::kFlashBlockCount; ++k)
    EXPECT_EQ(written.flash[k], factory.flash[k]) << "block " << k;
  EXPECT_EQ(factory.dpiLevel, written.dpiLevel);
  EXPECT_EQ(factory.rateIndex, written.rateIndex);
  EXPECT_EQ(factory.rateIndex, (std::array<int, 4>{1, 1, 1, 1})) << "250 Hz";
  EXPECT_EQ(factory.currentMode, 0);
}

// A first start on that mouse shows the factory settings, and Apply has nothing to change on it.
TEST_F(MainWindowTest, AFirstStartOnAMouseFreshFromTheFactoryShowsTheFactorySettings) {
  ASSERT_TRUE(backend.Mouse().SetPersistentState(app::FactoryMouseState()));
  CKavrinDireZerudDlg& w = Start();
  for (int m = 0; m < 4; ++m) {
    tagMODEINFO factory;
    settings::LoadFactoryDefaults(factory, m);
    EXPECT_TRUE(SameBytes(w.Settings().EditingModes[m], factory)) << "mode " << m;
  }
  const sim::SimulatedMouse::PersistentState before = backend.Mouse().GetPersistentState();
  backend.Mouse().ClearCommandLog();
  Click(Button::Apply);
  EXPECT_TRUE(boxes.empty());
  EXPECT_EQ(Commands(sim::CMD_FLASH_ERASE) + Commands(sim::CMD_FLASH_WRITE), 0);
  EXPECT_EQ(backend.Mouse().GetPersistentState().flash, before.flash);
  EXPECT_EQ(backend.Mouse().GetPersistentState().rateIndex, before.rateIndex);
}

struct FailureCase {
  const char* name;
  void (*spoil)(const std::string& folder);
  std::vector<std::u16string_view> boxes;
};
void PrintTo(const FailureCase& c, std::ostream* os) { *os << c.name; }

class StartUpFailureTest : public AppFixture, public ::testing::WithParamInterface<FailureCase> {};

TEST_P(StartUpFailureTest, BoxEndsTheProcessOnceTheDeviceThreadHasStopped) {
  const FailureCase& c = GetParam();
  programFolder = CopyProgramFolder();
  c.spoil(programFolder);
  // The start-up device thread is still waiting for the mouse when the box comes up.
  backend.Mouse().AddFault({.kind = sim::FaultKind::NoReply});
  bool threadPendingAtBox = false;
  onBox = [&](const QString&) { threadPendingAtBox = window->StartupThreadPending(); };
  bool threadPendingAtExit = true;
  bool deviceOpenAtExit = true;
  onExit = [&](int) {
    threadPendingAtExit = window->StartupThreadPending();
    deviceOpenAtExit = window->Device().IsOpen();
  };
  CKavrinDireZerudDlg& w = Start();

  std::vector<QString> expected;
  for (std::u16string_view text : c.boxes) expected.push_back(Text(text));
  EXPECT_EQ(boxes, expected);
  EXPECT_EQ(exits, std::vector<int>{0});
  EXPECT_TRUE(threadPendingAtBox);
  EXPECT_FALSE(threadPendingAtExit);
  EXPECT_FALSE(deviceOpenAtExit);
  EXPECT_FALSE(w.isVisible());
  EXPECT_EQ(w.GetProp(u"kdz-app-test"), 0u) << "a failed start never announces itself";
}

INSTANTIATE_TEST_SUITE_P(
    Files, StartUpFailureTest,
    ::testing::Values(
        FailureCase{"NoSkinFile",
                    [](const std::string& f) { std::filesystem::remove(f + "/Setup.ini"); },
                    {settings::kSkinFileErrorText, kSkinFailedText}},
        FailureCase{"NoBackground",
                    [](const std::string& f) {
                      std::filesystem::remove(f + "/Skin/MainWindow_BackGround.png");
                    },
                    {kSkinFailedText}},
        FailureCase{"BrokenLanguageFile",
                    [](const std::string& f) {
                      std::ofstream(f + "/Language.xml", std::ios::trunc) << "<Language><BMPMENU>";
                    },
                    {kLanguageFailedText}}),
    [](const ::testing::TestParamInfo<FailureCase>& info) {
      return std::string(info.param.name);
    });

// A named pipe in place of a skin image is a missing image: start-up neither waits for it nor
// goes on with it.
TEST_F(MainWindowTest, ANamedPipeInPlaceOfTheBackgroundIsAMissingBackground) {
  programFolder = CopyProgramFolder();
  const std::string background = programFolder + "/Skin/MainWindow_BackGround.png";
  std::filesystem::remove(background);
  const testutil::BlockingPipe pipe(background, uitest::kWaitMs);
  ASSERT_TRUE(pipe.Made());
  Start();
  EXPECT_FALSE(pipe.Blocked());
  EXPECT_EQ(boxes, std::vector<QString>{Text(kSkinFailedText)});
  EXPECT_EQ(exits, std::vector<int>{0});
}

TEST(ProductIdValue, IsReadAsHexadecimalUpToTheFirstOtherCharacter) {
  const struct {
    std::u16string_view text;
    uint32_t id;
  } cases[] = {
      {u"4417A001", 0x4417A001}, {u"0x4417a001", 0x4417A001}, {u"  1f", 0x1F},
      {u"12zz", 0x12},           {u"", 0},                    {u"zz", 0},
      {u"0x", 0},                {u"123456789", 0xFFFFFFFF},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(CKavrinDireZerudDlg::ParseProductId(c.text), c.id)
        << QString::fromUtf16(c.text.data(), c.text.size()).toStdString();
  }
}

// --- Commands -------------------------------------------------------------------------------

TEST_F(MainWindowTest, ModeButtonsChangeTheModeShownAndSelectItOnTheMouse) {
  for (bool plugged : {true, false}) {
    SCOPED_TRACE(plugged ? "mouse plugged" : "no mouse");
    if (!plugged) backend.Mouse().Disconnect();
    CKavrinDireZerudDlg& w = Start();
    Click(Button::ConfigFile3);
    EXPECT_EQ(w.Settings().CurrentMode(), 2);
    EXPECT_EQ(Checked(w, {kModes[0], kModes[1], kModes[2], kModes[3]}),
              (std::vector<int>{0, 0, 1, 0}));
    if (plugged) {
      EXPECT_EQ(backend.Mouse().CurrentMode(), 2);
    }
    Click(Button::ConfigFile1);
    EXPECT_EQ(w.Settings().CurrentMode(), 0);
    if (plugged) {
      EXPECT_EQ(backend.Mouse().CurrentMode(), 0);
    }
  }
}

TEST_F(MainWindowTest, TabsCheckOnlyTheirOwnButton) {
  CKavrinDireZerudDlg& w = Start();
  for (Button tab : kTabs) {
    Click(tab);
    for (Button other : kTabs) EXPECT_EQ(w.ButtonOf(other).GetCheckState(), other == tab ? 1 : 0);
  }
}

TEST_F(MainWindowTest, DefaultResetsOnlyTheCurrentMode) {
  CKavrinDireZerudDlg& w = Start();
  settings::DeviceSettings& s = w.Settings();
  for (int m = 0; m < 4; ++m) s.EditingModes[m].pointerSpeed = 7;
  Click(Button::ConfigFile2);
  Click(Button::Default);
  tagMODEINFO defaults{};
  settings::LoadFactoryDefaults(defaults, 1);
  EXPECT_TRUE(SameBytes(s.EditingModes[1], defaults));
  for (int m : {0, 2, 3}) EXPECT_EQ(s.EditingModes[m].pointerSpeed, 7) << "mode " << m;
  EXPECT_EQ(s.CurrentMode(), 1);
}

TEST_F(MainWindowTest, CancelHidesAndKeepsTheEdits) {
  CKavrinDireZerudDlg& w = Start();
  ASSERT_TRUE(w.isVisible());
  const sim::FlashBlock before = backend.Mouse().GetFlashBlock(5);
  w.Settings().EditingModes[0].pointerSpeed = 3;
  Click(Button::Cancel);
  EXPECT_FALSE(w.isVisible());
  EXPECT_EQ(w.Settings().EditingModes[0].pointerSpeed, 3);
  EXPECT_NE(w.Settings().AppliedModes[0].pointerSpeed, 3);
  EXPECT_EQ(backend.Mouse().GetFlashBlock(5), before);
  EXPECT_EQ(Commands(sim::CMD_FLASH_ERASE), 0);
}

TEST_F(MainWindowTest, ApplyWritesTheMouseWithTheProgressShownOverTheWindow) {
  CKavrinDireZerudDlg& w = Start();
  w.Settings().EditingModes[0].pointerSpeed = 4;
  w.Settings().EditingModes[2].dpiLevel = 2;
  const QRect inWindow =
      skin::ReadRect(w.SkinFile(), QStringLiteral("ApplyProgressDialog"), u"InMainWindowsRect");
  std::optional<QRect> progressAt;
  bool buttonsDisabled = false;
  QTimer::singleShot(0, [&] {
    for (QWidget* top : QApplication::topLevelWidgets()) {
      if (auto* progress = dynamic_cast<CProgressDlg*>(top); progress && progress->isVisible())
        progressAt = progress->geometry();
    }
    buttonsDisabled = !w.ButtonOf(Button::OK).isEnabled() && !w.ButtonOf(Button::Default).isEnabled();
  });
  Click(Button::Apply);

  ASSERT_TRUE(progressAt.has_value()) << "no progress display during Apply";
  EXPECT_EQ(*progressAt, QRect(w.mapToGlobal(inWindow.topLeft()), inWindow.size()));
  EXPECT_TRUE(buttonsDisabled);
  EXPECT_TRUE(w.ButtonOf(Button::OK).isEnabled());
  EXPECT_TRUE(boxes.empty()) << boxes.front().toStdString();
  EXPECT_TRUE(FlashEqualsImage());
  EXPECT_EQ(backend.Mouse().DpiLevel(2), 2);
  EXPECT_EQ(pointer.speed, 8);
  for (int m = 0; m < 4; ++m)
    EXPECT_TRUE(SameBytes(w.Settings().EditingModes[m], w.Settings().AppliedModes[m]));
  EXPECT_TRUE(std::filesystem::exists(data.DefaultCfg() + "/default3"));
  EXPECT_TRUE(w.isVisible());
  for (QWidget* top : QApplication::topLevelWidgets())
    EXPECT_EQ(dynamic_cast<CProgressDlg*>(top), nullptr) << "the progress display is gone";
}

// Counts the wake-ups of the progress display's pacing timer.
class PaceWakeups : public QObject {
 public:
  PaceWakeups() { qApp->installEventFilter(this); }
  ~PaceWakeups() override { qApp->removeEventFilter(this); }
  int count = 0;

 protected:
  bool eventFilter(QObject* receiver, QEvent* e) override {
    if (e->type() == QEvent::Timer && receiver->objectName() == "ApplyProgressPace") ++count;
    return false;
  }
};

// The display steps once every 100 ms up to position 89 and then sleeps until Apply is done: a
// long Apply costs no wake-ups. The display's clock runs with the steady clock but jumps 9 s
// ahead while the device work is held, so the display is at 89 at its next step.
TEST_F(MainWindowTest, TheProgressDisplaySleepsFromPosition89UntilApplyIsDone) {
  std::atomic<uint32_t> ahead{0};
  sys::ScopedTickSource clock([&ahead] {
    const auto ms = std::chrono::duration_cast<std::chrono::milliseconds>(
        std::chrono::steady_clock::now().time_since_epoch());
    return static_cast<uint32_t>(ms.count()) + ahead.load();
  });
  Start();
  // The device work waits in the mouse's first reply until the test lets it go.
  std::mutex mutex;
  std::condition_variable changed;
  bool release = false, held = false;
  backend.Mouse().SetReplyHook([&](uint8_t) {
    std::unique_lock<std::mutex> lock(mutex);
    if (held) return;
    held = true;
    changed.wait_for(lock, std::chrono::seconds(10), [&] { return release; });
  });
  PaceWakeups wakeups;
  int wakeupsAsleep = -1, positionAsleep = -1;
  constexpr int kWatchMs = 400;  // four steps' worth
  QTimer::singleShot(0, [&] {
    ahead = 9000;
    wakeups.count = 0;
    QTimer::singleShot(kWatchMs, [&] {
      wakeupsAsleep = wakeups.count;
      for (QWidget* top : QApplication::topLevelWidgets()) {
        if (auto* progress = dynamic_cast<CProgressDlg*>(top))
          positionAsleep = progress->ProgressBar().GetPos();
      }
      std::lock_guard<std::mutex> lock(mutex);
      release = true;
      changed.notify_all();
    });
  });
  Click(Button::Apply);
  backend.Mouse().SetReplyHook({});

  EXPECT_EQ(positionAsleep, 89);
  // The step that was due when the clock jumped reaches 89; none follows.
  EXPECT_LE(wakeupsAsleep, 1);
  EXPECT_TRUE(boxes.empty());
  for (QWidget* top : QApplication::topLevelWidgets())
    EXPECT_EQ(dynamic_cast<CProgressDlg*>(top), nullptr) << "the progress display is gone";
}

TEST_F(MainWindowTest, ApplyGoesOnWithoutTheDisplayWhenItCannotReadTheSkin) {
  programFolder = CopyProgramFolder();
  CKavrinDireZerudDlg& w = Start();
  std::filesystem::remove(programFolder + "/Setup.ini");
  w.Settings().EditingModes[0].pointerSpeed = 4;
  Click(Button::Apply);
  // Said on this thread, where the display would have opened; the Apply itself goes through.
  EXPECT_EQ(boxes, std::vector<QString>{Text(settings::kSkinFileErrorText)});
  EXPECT_TRUE(FlashEqualsImage());
  EXPECT_EQ(w.Settings().AppliedModes[0].pointerSpeed, 4);
}

struct OkCase {
  const char* name;
  bool flashFails;
  bool withinDebounce;  // OK comes 50 ms after an Apply
  const char16_t* box;  // expected, or null
};
void PrintTo(const OkCase& c, std::ostream* os) { *os << c.name; }

class OkTest : public AppFixture, public ::testing::WithParamInterface<OkCase> {};

TEST_P(OkTest, AppliesAndHidesWhateverApplyDid) {
  const OkCase& c = GetParam();
  CKavrinDireZerudDlg& w = Start();
  backend.Mouse().ClearCommandLog();
  if (c.withinDebounce) {
    Click(Button::Apply);
    tick.Advance(50);
  }
  if (c.flashFails)
    backend.Mouse().AddFault({.kind = sim::FaultKind::NoReply, .command = sim::CMD_FLASH_ERASE});
  w.Settings().EditingModes[1].pointerSpeed = 9;
  const tagMODEINFO appliedBefore = w.Settings().AppliedModes[1];
  Click(Button::OK);

  EXPECT_FALSE(w.isVisible());
  std::vector<QString> expected;
  if (c.box) expected.push_back(QString::fromUtf16(c.box));
  EXPECT_EQ(boxes, expected);
  const bool applied = !c.flashFails && !c.withinDebounce;
  EXPECT_EQ(SameBytes(w.Settings().AppliedModes[1], appliedBefore), !applied);
  // Setting the DPI levels is the step after the flash; only an Apply that got there sent it.
  EXPECT_EQ(Commands(sim::CMD_DPI), c.flashFails ? 0 : 1);
}

INSTANTIATE_TEST_SUITE_P(
    Outcomes, OkTest,
    ::testing::Values(OkCase{"Applied", false, false, nullptr},
                      OkCase{"FlashWriteFails", true, false, u"保存E2数据失败！"},
                      OkCase{"IgnoredByTheDebounce", false, true, nullptr}),
    [](const ::testing::TestParamInfo<OkCase>& info) { return std::string(info.param.name); });

TEST_F(MainWindowTest, AMouseLostDuringApplyIsHandledOnceApplyHasEnded) {
  CKavrinDireZerudDlg& w = Start();
  // The third command of the Apply (a flash read) finds the mouse gone; the transport tells the
  // window at once, from the worker thread.
  backend.Mouse().DisconnectAtCommand(3);
  bool openDuringBox = false;
  onBox = [&](const QString&) { openDuringBox = w.Device().IsOpen(); };
  Click(Button::Apply);
  EXPECT_EQ(boxes, std::vector<QString>{QStringLiteral("保存E2数据失败！")});
  EXPECT_TRUE(openDuringBox) << "the device change waits for the end of Apply";
  EXPECT_TRUE(QTest::qWaitFor([&] { return !w.Device().IsOpen(); }, uitest::kWaitMs));
}

TEST_F(MainWindowTest, ApplyWithTheMouseClosedShowsAndWritesNothing) {
  backend.Mouse().Disconnect();
  CKavrinDireZerudDlg& w = Start();
  const tagMODEINFO appliedBefore = w.Settings().AppliedModes[0];
  w.Settings().EditingModes[0].pointerSpeed = 2;
  bool progressSeen = false;
  QTimer::singleShot(0, [&] {
    for (QWidget* top : QApplication::topLevelWidgets())
      progressSeen = progressSeen || dynamic_cast<CProgressDlg*>(top) != nullptr;
  });
  Click(Button::Apply);
  uitest::Drain();
  EXPECT_FALSE(progressSeen);
  EXPECT_TRUE(boxes.empty());
  EXPECT_FALSE(w.isVisible()) << "not brought forward";
  EXPECT_TRUE(SameBytes(w.Settings().AppliedModes[0], appliedBefore));
  EXPECT_TRUE(pointer.Sets().empty());
}

TEST_F(MainWindowTest, ProfileCommandsGoThroughTheFileDialog) {
  CKavrinDireZerudDlg& w = Start();
  const std::string file = data / "one.gmp";
  std::vector<ui::FileDialogOptions> asked;
  std::optional<QString> answer = QString::fromStdString(file);
  ui::ScopedFileDialogHandler dialog([&](const ui::FileDialogOptions& o) {
    asked.push_back(o);
    return answer;
  });
  Click(Button::ConfigFile2);
  tagMODEINFO& record = w.Settings().EditingModes[1];
  record.pointerSpeed = 6;
  const tagMODEINFO saved = record;
  Click(Button::Save);
  ASSERT_EQ(asked.size(), 1u);
  EXPECT_EQ(asked[0].kind, ui::FileDialogOptions::Kind::Save);
  EXPECT_TRUE(asked[0].overwritePrompt);
  EXPECT_EQ(asked[0].filter, QStringLiteral("Gaming Mouse Profile(*.gmp)|*.gmp|"));
  EXPECT_EQ(asked[0].initialFolder.toStdString(), data.Cfg());
  const std::vector<unsigned char> bytes = testutil::ReadAll(file);
  ASSERT_EQ(bytes.size(), sizeof saved);
  EXPECT_EQ(std::memcmp(bytes.data(), &saved, sizeof saved), 0);

  record.pointerSpeed = 1;
  answer.reset();  // cancelled: nothing changes
  Click(Button::Load);
  EXPECT_EQ(record.pointerSpeed, 1);
  answer = QString::fromStdString(file);
  Click(Button::Load);
  EXPECT_EQ(asked.back().kind, ui::FileDialogOptions::Kind::Open);
  EXPECT_TRUE(asked.back().fileMustExist);
  EXPECT_TRUE(SameBytes(record, saved));
  EXPECT_TRUE(boxes.empty());
}

// Load refuses a file that is not a profile, and Save tells a file it could not write; each
// says so in a box and leaves the record and an old file as they were.
TEST_F(MainWindowTest, ProfileCommandsTellWhatTheyCouldNotDo) {
  CKavrinDireZerudDlg& w = Start();
  Click(Button::ConfigFile3);
  tagMODEINFO& record = w.Settings().EditingModes[2];
  const std::string old = data / "old.gmp";
  const std::string oldBytes(sizeof(tagMODEINFO), '\x5A');
  data.Write("old.gmp", oldBytes);
  const struct {
    const char* what;
    Button button;
    std::string file;                     // what the dialog answers
    std::optional<std::string> contents;  // written there first
    bool diskFull;
    const char16_t* box;
  } cases[] = {
      {"a file of 100 bytes", Button::Load, data / "short.gmp", std::string(100, 'x'), false,
       u"配置文件无效，未导入！"},
      {"an empty file", Button::Load, data / "empty.gmp", "", false, u"配置文件无效，未导入！"},
      {"a file one byte too long", Button::Load, data / "long.gmp",
       std::string(sizeof(tagMODEINFO) + 1, 'x'), false, u"配置文件无效，未导入！"},
      {"a full disk", Button::Save, old, std::nullopt, true, u"保存配置文件失败！"},
      {"a folder that went away", Button::Save, data / "gone/new.gmp", std::nullopt, false,
       u"保存配置文件失败！"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    boxes.clear();
    if (c.contents) data.Write(c.file.substr(data.path().size() + 1), *c.contents);
    record.pointerSpeed = 3;
    const tagMODEINFO before = record;
    ui::ScopedFileDialogHandler dialog(
        [&](const ui::FileDialogOptions&) { return std::optional(QString::fromStdString(c.file)); });
    {
      std::optional<testutil::FileSizeLimit> limit;
      if (c.diskFull) limit.emplace(1024);
      Click(c.button);
    }
    EXPECT_EQ(boxes, std::vector<QString>{QString::fromUtf16(c.box)});
    EXPECT_TRUE(SameBytes(record, before));
    EXPECT_EQ(ReadText(old), oldBytes);
  }
}

TEST_F(MainWindowTest, APressOnTheBackgroundDragsTheWindow) {
  CKavrinDireZerudDlg& w = Start();
  const QPoint start = w.pos();
  const QPoint press(400, 30);  // the header, away from every button
  const QPoint pressGlobal = w.mapToGlobal(press);
  uitest::Press(&w, press);
  uitest::Drain();
  ASSERT_TRUE(ui::IsCaptionDragActive());
  uitest::Mouse(&w, QEvent::MouseMove, press + QPoint(30, 20), Qt::NoButton, Qt::LeftButton,
                pressGlobal + QPoint(30, 20));
  uitest::Mouse(&w, QEvent::MouseButtonRelease, press + QPoint(30, 20), Qt::LeftButton,
                Qt::NoButton, pressGlobal + QPoint(30, 20));
  EXPECT_FALSE(ui::IsCaptionDragActive());
  EXPECT_EQ(w.pos(), start + QPoint(30, 20));
}

TEST_F(MainWindowTest, AnUnpluggedMouseIsClosed) {
  CKavrinDireZerudDlg& w = Start();
  ASSERT_TRUE(w.Device().IsOpen());
  backend.Mouse().Disconnect();
  EXPECT_TRUE(QTest::qWaitFor([&] { return !w.Device().IsOpen(); }, uitest::kWaitMs));
}

// --- A later start --------------------------------------------------------------------------

struct LaterStartCase {
  const char* name;
  const char* commandLine;
  bool myDevice;
  bool shown;
  bool exited;
};
void PrintTo(const LaterStartCase& c, std::ostream* os) { *os << c.name; }

class LaterStartTest : public AppFixture, public ::testing::WithParamInterface<LaterStartCase> {};

TEST_P(LaterStartTest, ReachesTheRunningWindow) {
  const LaterStartCase& c = GetParam();
  const desktop::SingleInstance::Options folder{.folder = data / "run", .answerTimeoutMs = 2000};
  desktop::SingleInstance first("kdz-app-test", folder);
  ASSERT_TRUE(first.Start("").Runs());
  if (!c.myDevice) backend.Mouse().SetDeviceId(0x01020304);
  CKavrinDireZerudDlg::Options options = WindowOptions();
  options.instance = &first;
  window = std::make_unique<CKavrinDireZerudDlg>(options);
  window->Create();
  ASSERT_TRUE(first.Published());
  window->hide();

  // The window carries the request out once this thread drains its events: the later start
  // does not wait for it to end.
  desktop::SingleInstance::Options sender = folder;
  sender.exitWaitMs = 0;
  desktop::SingleInstance second("kdz-app-test", sender);
  const desktop::SingleInstance::StartOutcome outcome = second.Start(c.commandLine);
  EXPECT_FALSE(outcome.Runs());
  EXPECT_EQ(outcome.sent, desktop::SingleInstance::SendResult::Answered);
  uitest::Drain();
  EXPECT_EQ(window->isVisible(), c.shown);
  EXPECT_EQ(exits, c.exited ? std::vector<int>{0} : std::vector<int>{});
  EXPECT_EQ(window->Destroyed(), c.exited);
  EXPECT_EQ(first.Published(), !c.exited);
  EXPECT_EQ(window->Device().IsOpen(), !c.exited);
  window.reset();  // before the guard it publishes through
}

INSTANTIATE_TEST_SUITE_P(
    Requests, LaterStartTest,
    ::testing::Values(LaterStartCase{"RaisesTheWindowOfTheExpectedMouse", "", true, true, false},
                      LaterStartCase{"LeavesTheWindowOfAnotherMouseHidden", "", false, false,
                                     false},
                      LaterStartCase{"ExitEndsTheRunningInstance", "Exit", true, false, true}),
    [](const ::testing::TestParamInfo<LaterStartCase>& info) {
      return std::string(info.param.name);
    });

}  // namespace
