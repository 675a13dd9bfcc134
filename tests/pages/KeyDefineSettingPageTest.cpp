// The button page with the default skin and the shipped language file: the function menu, the
// mode gate, the choices with their dialogs run as scripted modal runs, the row texts and the
// hover highlight.
#include <dlfcn.h>
#include <stdlib.h>

#include <QTest>

#include <filesystem>
#include <fstream>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "pages/AssignAProgramToExecutonDialg.h"
#include "pages/AssignAShortcutDialg.h"
#include "pages/KeyDefineSettingPage.h"
#include "pages/MacroDialog.h"
#include "pages/MousePicturePage.h"
#include "platform/desktop/FakePointerMotionWatch.h"
#include "platform/ui/MessageBox.h"
#include "platform/ui/ScreenMetrics.h"
#include "resources/MenuTextTable.h"
#include "settings/FunctionCodes.h"
#include "skin/BmpMenu.h"
#include "skin/WarningDlg.h"
#include "tests/pages/TestSkinFixture.h"
#include "tests/platform/sys/FileTestUtil.h"
#include "tests/platform/ui/QtTestSupport.h"

namespace {

namespace fs = std::filesystem;
using pagetest::Bytes;
using pagetest::ClickButton;
using settings::tagKEYDEFINEINFO;
using settings::tagMODEINFO;

QString Q(MenuTextId id) { return QString::fromStdU16String(MenuText(id)); }

// The lParam of a menu choice.
ui::LPARAM Choice(unsigned major, unsigned minor) { return ui::MakeLong(minor, major); }

class KeyDefinePageTest : public ::testing::Test {
 protected:
  void SetUp() override {
    const QString folder = QStringLiteral(KDZ_PROGRAM_DIR);
    ASSERT_EQ(ini.SetFile((folder + "/Setup.ini").toStdU16String()), 1);
    ASSERT_EQ(LoadMenuTexts((folder + "/Language.xml").toStdU16String()), 1);
    ResetModes();
    fs::create_directories(hookFolder.path());
    fs::copy_file(KDZ_RECORDING_HOOK, hookFolder.path() + "/Zimhook.so");

    owner.setGeometry(40, 40, 860, 560);
    owner.show();
    picture = new CMousePicturePage(ini, folder, QStringLiteral("MousePictruePage"), &owner);
    picture->Create();
    page = new CKeyDefineSettingPage(ini, folder, QStringLiteral("KeyDefineSettingPage"), &owner);
    CKeyDefineSettingPage::Host host;
    host.currentMode = [this] { return mode; };
    host.mousePicture = picture;
    host.editingModes = modes;
    host.hookFolder = hookFolder.path();
    host.cursor = [this] { return cursor; };
    host.motion = Motion();
    page->SetHost(std::move(host));
    page->Create();
    page->SetKeyData(modes[mode].keys);
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&owner, uitest::kWaitMs));
  }
  void TearDown() override {
    delete page;
    delete picture;
  }
  // The pointer's motion watch of the page; none: the hover poll never sleeps.
  virtual desktop::PointerMotionWatch* Motion() { return nullptr; }

  // Every button off but button 0, the left button, in every mode.
  void ResetModes() {
    std::memset(modes, 0, sizeof modes);
    for (tagMODEINFO& m : modes) {
      for (tagKEYDEFINEINFO& k : m.keys) {
        k.major = settings::MAJOR_FUN_OFF;
        k.shortcutKey = settings::NO_SHORTCUT_KEY;
      }
      m.keys[0].major = settings::MAJOR_FUN_LEFT_MOUSE_KEY;
    }
  }

  // Shows mode `m` as the main window does after a mode change.
  void ShowMode(int m) {
    mode = m;
    page->SetKeyData(modes[m].keys);
  }

  // Clicks row `row` and makes choice (major, minor); `act` runs on the modal window that the
  // choice opens, if any. The sections of the modal windows shown.
  QStringList Choose(int row, unsigned major, unsigned minor,
                     std::function<void(QWidget*)> act = {}) {
    ClickButton(page->KeyButton(row));
    EXPECT_NE(page->FunctionMenu(), nullptr) << "row " << row;
    QStringList shown;
    uitest::OnModal actor([&](QWidget* w) {
      if (auto* d = dynamic_cast<CPageDialog*>(w)) shown << d->Section();
      if (act) {
        act(w);
      } else if (auto* d = qobject_cast<QDialog*>(w)) {
        d->done(ui::IDCANCEL);
      }
    });
    page->OnFunctionSelected(0, Choice(major, minor));
    EXPECT_EQ(page->FunctionMenu(), nullptr);
    EXPECT_TRUE(page->HoverTimerRunning());
    return shown;
  }

  // A store of `n` macros named "M0", "M1", ...
  void FillStore(uint32_t n) {
    settings::tagMACROSTORE& s = page->Macros().macroStore;
    std::memset(&s, 0, sizeof s);
    s.count = n;
    for (uint32_t k = 0; k < n && k < settings::MAX_MACRO_COUNT; ++k) {
      settings::SetFieldText(s.macros[k].name, (QStringLiteral("M") + QString::number(k)).toStdU16String());
      s.macros[k].loopCount = 1;
    }
  }

  testutil::TempDataFolder data;
  testutil::TempFolder hookFolder;
  CINIFile ini;
  QWidget owner;
  CMousePicturePage* picture = nullptr;
  CKeyDefineSettingPage* page = nullptr;
  tagMODEINFO modes[4];
  int mode = 3;
  QPoint cursor{-100, -100};
};

TEST_F(KeyDefinePageTest, TheMenuHoldsTheFunctionsInCodeOrderAndTheManagerWith40Macros) {
  FillStore(45);
  ClickButton(page->KeyButton(4));
  CBmpMenu* menu = page->FunctionMenu();
  ASSERT_NE(menu, nullptr);
  EXPECT_EQ(page->CurrentKey(), 4);
  const BmpMenuItemList& items = menu->Items();
  ASSERT_EQ(items.size(), 22u);
  for (int i = 0; i < 22; ++i) {
    EXPECT_EQ(items[i].code, i + 1);
    EXPECT_EQ(QString::fromUtf16(items[i].text),
              Q(static_cast<MenuTextId>(static_cast<int>(MenuTextId::MAJOR_FUN_MACRO) + i)));
    EXPECT_EQ(items[i].hasSubItems != 0, i < 5) << i;
  }
  const BmpMenuItemList& macros = *items[0].subItems;
  ASSERT_EQ(macros.size(), 41u);
  EXPECT_EQ(macros[0].code, 1);
  EXPECT_EQ(QString::fromUtf16(macros[0].text), Q(MenuTextId::MINOR_FUN_MACRO_MANAGER));
  EXPECT_EQ(macros[40].code, 41);
  EXPECT_EQ(QString::fromUtf16(macros[40].text), "M39");
  struct Sub {
    int item, first, last;
    MenuTextId firstText;
  } subs[] = {{1, 2, 9, MenuTextId::MINOR_FUN_MEDIA_OPEN_PLAYER},
              {2, 10, 12, MenuTextId::MINOR_FUN_CONFIGFILE_CIRCLE},
              {3, 13, 15, MenuTextId::MINOR_FUN_DPI_CIRCLE},
              {4, 16, 25, MenuTextId::MINOR_FUN_WINDOWS_CALC}};
  for (const Sub& s : subs) {
    const BmpMenuItemList& list = *items[s.item].subItems;
    ASSERT_EQ(int(list.size()), s.last - s.first + 1) << s.item;
    for (int j = 0; j < int(list.size()); ++j) {
      EXPECT_EQ(list[j].code, s.first + j);
      EXPECT_EQ(QString::fromUtf16(list[j].text),
                Q(static_cast<MenuTextId>(static_cast<int>(s.firstText) + j)));
    }
  }
  // A name of 259 units is kept whole in the item.
  settings::SetFieldText(page->Macros().macroStore.macros[0].name, std::u16string(259, u'n'));
  page->RefreshMacroMenuItems();
  EXPECT_EQ(QString::fromUtf16(menu->Items()[0].subItems->at(1).text).size(), 259);
}

TEST_F(KeyDefinePageTest, RowsLieAtTheirRectanglesOfTheMainWindowWithFacesCutThere) {
  const QRect page_ = page->geometry();
  const QImage normal(QStringLiteral(KDZ_PROGRAM_DIR "/Skin/KeyDefineSetting_Normal.png"));
  ASSERT_FALSE(normal.isNull());
  for (int i = 0; i < 10; ++i) {
    int32_t v[4] = {};
    const std::u16string key = u"KeyWindowRect_" + std::u16string(1, char16_t(u'0' + i));
    ini.GetInts(u"KeyDefineSettingPage", key, v, 4);
    const QRect inMain(v[0], v[1], v[2], v[3]);
    EXPECT_EQ(page->KeyButton(i).geometry(), inMain.translated(-page_.topLeft())) << i;
    const QImage face = uitest::Render(page->KeyButton(i));
    EXPECT_EQ(face.pixel(3, 3), normal.pixel(inMain.topLeft() + QPoint(3, 3))) << i;
  }
  EXPECT_TRUE(page->HoverTimerRunning());
}

TEST_F(KeyDefinePageTest, OnlyTheFourthModeOpensTheMenuUnderTheRowKeptOnTheScreen) {
  for (int m = 0; m < 3; ++m) {
    ShowMode(m);
    ClickButton(page->KeyButton(2));
    EXPECT_EQ(page->FunctionMenu(), nullptr) << m;
  }
  ShowMode(3);
  CBitmapBtn& row = page->KeyButton(2);
  const QPoint corner = row.mapToGlobal(QPoint(0, row.height()));
  struct Case {
    QSize screen;
    QPoint expected;
  } cases[] = {
      {QSize(4000, 4000), corner},
      {QSize(corner.x() + 100, 4000), corner - QPoint(128, 0)},
      {QSize(4000, corner.y() + 300), corner - QPoint(0, 375)},
  };
  for (const Case& c : cases) {
    ui::ScopedFullScreenSize screen(c.screen);
    ClickButton(row);
    ASSERT_NE(page->FunctionMenu(), nullptr);
    ASSERT_NE(page->FunctionMenu()->Window(), nullptr);
    EXPECT_EQ(page->FunctionMenu()->Window()->pos(), c.expected);
    EXPECT_TRUE(page->FunctionMenu()->Window()->isVisible());
  }
  page->CloseFunctionMenu();
  EXPECT_EQ(page->FunctionMenu(), nullptr);
}

TEST_F(KeyDefinePageTest, ChoicesAndTheirDialogs) {
  const auto done = [](int result) {
    return [result](QWidget* w) { qobject_cast<QDialog*>(w)->done(result); };
  };
  struct Case {
    const char* name;
    int row;
    unsigned major, minor;
    std::function<void(tagKEYDEFINEINFO*)> setUp;  // the fourth mode's ten records
    std::function<void(QWidget*)> act;
    QStringList shown;
    std::function<void(tagKEYDEFINEINFO&)> expect;  // on the row as it was
  } cases[] = {
      {"the only left button stays", 0, 7, 0, nullptr, done(ui::IDOK),
       {"SingleKeyWarningDialog"}, [](tagKEYDEFINEINFO&) {}},
      {"no manager on the only left button", 0, 1, 1, nullptr, done(ui::IDOK),
       {"SingleKeyWarningDialog"}, [](tagKEYDEFINEINFO&) {}},
      {"a second left button lets the first go", 0, 7, 0,
       [](tagKEYDEFINEINFO* k) { k[5].major = settings::MAJOR_FUN_LEFT_MOUSE_KEY; }, nullptr, {},
       [](tagKEYDEFINEINFO& r) { r.major = 7; }},
      {"macro 3", 2, 1, 5, nullptr, nullptr, {},
       [](tagKEYDEFINEINFO& r) { r.major = 1, r.minor = 5, r.macroIndex = 3; }},
      {"a macro choice with minor 0 stores nothing", 2, 1, 0, nullptr, nullptr, {},
       [](tagKEYDEFINEINFO&) {}},
      {"media keeps the given-up fields", 2, 2, 4,
       [](tagKEYDEFINEINFO* k) {
         k[2].major = 18, k[2].macroIndex = 9, k[2].shortcutModifiers = 3;
         settings::SetFieldText(k[2].programPath, u"/bin/true");
       },
       nullptr, {}, [](tagKEYDEFINEINFO& r) { r.major = 2, r.minor = 4; }},
      {"shortcut OK", 3, 10, 0, nullptr,
       [](QWidget* w) {
         auto* d = dynamic_cast<CAssignAShortcutDialg*>(w);
         ClickButton(d->CtrlToggle());
         ClickButton(d->OkButton());
       },
       {"AssignAShortcutDialg"},
       [](tagKEYDEFINEINFO& r) { r.major = 10, r.minor = 0, r.shortcutModifiers = 0x01; }},
      {"shortcut Cancel", 3, 10, 0, nullptr,
       [](QWidget* w) {
         auto* d = dynamic_cast<CAssignAShortcutDialg*>(w);
         ClickButton(d->CtrlToggle());
         ClickButton(d->CancelButton());
       },
       {"AssignAShortcutDialg"}, [](tagKEYDEFINEINFO&) {}},
      {"program OK", 4, 18, 0,
       [](tagKEYDEFINEINFO* k) { settings::SetFieldText(k[4].programPath, u"/old"); },
       [](QWidget* w) {
         auto* d = dynamic_cast<CAssignAProgramToExecutonDialg*>(w);
         EXPECT_EQ(d->PathEdit().text(), "/old");
         d->PathEdit().SetTextSelected("/opt/tools/run");
         ClickButton(d->OkButton());
       },
       {"AssignAProgramToExecutonDialg"},
       [](tagKEYDEFINEINFO& r) {
         r.major = 18, r.minor = 0;
         settings::SetFieldText(r.programPath, u"/opt/tools/run");
       }},
      {"program Cancel", 4, 18, 0, nullptr,
       [](QWidget* w) {
         auto* d = dynamic_cast<CAssignAProgramToExecutonDialg*>(w);
         d->PathEdit().SetTextSelected("/opt/tools/run");
         ClickButton(d->CancelButton());
       },
       {"AssignAProgramToExecutonDialg"}, [](tagKEYDEFINEINFO&) {}},
  };
  for (const Case& c : cases) {
    ResetModes();
    FillStore(5);
    tagKEYDEFINEINFO* keys = modes[3].keys;
    if (c.setUp) c.setUp(keys);
    page->RefreshKeyTexts();
    std::vector<tagKEYDEFINEINFO> expected(keys, keys + 10);
    c.expect(expected[size_t(c.row)]);
    const QStringList shown = Choose(c.row, c.major, c.minor, c.act);
    EXPECT_EQ(shown, c.shown) << c.name;
    for (int i = 0; i < 10; ++i) {
      EXPECT_EQ(Bytes(keys[i]), Bytes(expected[size_t(i)])) << c.name << " row " << i;
    }
  }
}

TEST_F(KeyDefinePageTest, TheManagersOkSavesTheStoreAndLeavesTheRow) {
  const std::string file = data.DefaultCfg() + "/sequence.dat";
  FillStore(2);
  modes[3].keys[1].major = settings::MAJOR_FUN_MACRO;
  modes[3].keys[1].minor = 3;
  modes[3].keys[1].macroIndex = 1;
  const tagMODEINFO before = modes[3];
  int first = -2;
  const QStringList shown = Choose(1, 1, 1, [&](QWidget* w) {
    auto* manager = dynamic_cast<CMacroDialog*>(w);
    first = manager->Manager().CurrentMacro();
    ClickButton(manager->OkButton());
  });
  EXPECT_EQ(shown, QStringList{"MacroManagerDialog"});
  EXPECT_EQ(first, 1) << "the manager opens on the row's macro";
  EXPECT_EQ(Bytes(modes[3]), Bytes(before));
  ASSERT_TRUE(fs::exists(file));
  EXPECT_EQ(fs::file_size(file), sizeof(settings::tagMACROSTORE));
}

TEST_F(KeyDefinePageTest, AFailedSaveAfterTheManagersOkIsToldAndTheStoreKept) {
  std::vector<QString> boxes;
  ui::ScopedMessageBoxHandler handler([&](QWidget*, const QString& text) { boxes.push_back(text); });
  FillStore(3);
  ASSERT_TRUE(page->SaveSequenceFile());
  const std::string file = data.DefaultCfg() + "/sequence.dat";
  const auto before = testutil::ReadAll(file);
  FillStore(30);
  {
    testutil::FileSizeLimit limit(4096);
    Choose(1, 1, 1, [](QWidget* w) { ClickButton(dynamic_cast<CMacroDialog*>(w)->OkButton()); });
  }
  EXPECT_EQ(boxes, std::vector<QString>{"保存宏文件失败！"});
  EXPECT_EQ(page->Macros().macroStore.count, 30u) << "the editing store keeps the macros";
  EXPECT_EQ(testutil::ReadAll(file), before) << "the old file is whole";
  // Cancel saves nothing and says nothing.
  boxes.clear();
  Choose(1, 1, 1, [](QWidget* w) { ClickButton(dynamic_cast<CMacroDialog*>(w)->CancelButton()); });
  EXPECT_TRUE(boxes.empty());
}

TEST_F(KeyDefinePageTest, AModeReportDuringTheShortcutDialogLeavesTheChoiceOnTheClickedRow) {
  const tagMODEINFO otherBefore = modes[1];
  Choose(6, 10, 0, [this](QWidget* w) {
    auto* d = dynamic_cast<CAssignAShortcutDialg*>(w);
    ShowMode(1);  // the mouse reported mode 1 while the dialog was open
    ClickButton(d->ShiftToggle());
    d->OnHookKey(0x42, 0);
    ClickButton(d->OkButton());
  });
  const tagKEYDEFINEINFO& row = modes[3].keys[6];
  EXPECT_EQ(row.major, settings::MAJOR_FUN_ASSIGN_SHORTCUT);
  EXPECT_EQ(row.shortcutModifiers, 0x02);
  EXPECT_EQ(row.shortcutKey, 0x42);
  EXPECT_EQ(Bytes(modes[1]), Bytes(otherBefore));
  // A choice while the menu was open goes to the fourth mode as well.
  ShowMode(3);
  ClickButton(page->KeyButton(7));
  ShowMode(0);
  const tagMODEINFO zeroBefore = modes[0];
  page->OnFunctionSelected(0, Choice(settings::MAJOR_FUN_SCROLL_UP, 0));
  EXPECT_EQ(modes[3].keys[7].major, settings::MAJOR_FUN_SCROLL_UP);
  EXPECT_EQ(Bytes(modes[0]), Bytes(zeroBefore));
  // A second choice for the same click, a late one, writes nothing.
  const tagMODEINFO threeBefore = modes[3];
  page->OnFunctionSelected(0, Choice(settings::MAJOR_FUN_SCROLL_DOWN, 0));
  EXPECT_EQ(Bytes(modes[3]), Bytes(threeBefore));
  EXPECT_EQ(Bytes(modes[0]), Bytes(zeroBefore));
}

TEST_F(KeyDefinePageTest, NothingIsWrittenBeforeARecordIsAttached) {
  CKeyDefineSettingPage bare(ini, QStringLiteral(KDZ_PROGRAM_DIR),
                             QStringLiteral("KeyDefineSettingPage"), &owner);
  CKeyDefineSettingPage::Host host;
  host.currentMode = [] { return 3; };
  bare.SetHost(std::move(host));
  bare.Create();
  ClickButton(bare.KeyButton(1));
  EXPECT_EQ(bare.FunctionMenu(), nullptr);
  bare.OnFunctionSelected(0, Choice(settings::MAJOR_FUN_SCROLL_UP, 0));
  bare.OnTimer(settings::TIMER_KEY_HOVER);
  bare.PollHoveredKey();
  EXPECT_TRUE(bare.HoverTimerRunning());
}

TEST_F(KeyDefinePageTest, RowTexts) {
  FillStore(4);
  const auto major = [](MenuTextId id) { return std::u16string(MenuText(id)); };
  struct Case {
    uint8_t major, minor, macroIndex;
    const char16_t* path;
    std::u16string text;
  } cases[] = {
      {1, 4, 2, u"", u"M2"},
      {1, 6, 4, u"", major(MenuTextId::MAJOR_FUN_MACRO)},  // no macro 4 in the store
      {1, 255, 254, u"", major(MenuTextId::MAJOR_FUN_MACRO)},
      {2, 5, 0, u"", major(MenuTextId::MINOR_FUN_MEDIA_PLAY_PAUSE)},
      {2, 10, 0, u"", major(MenuTextId::MAJOR_FUN_MEDIA)},  // a minor of another major
      {3, 11, 0, u"", major(MenuTextId::MINOR_FUN_CONFIGFILE_PLUS)},
      {4, 13, 0, u"", major(MenuTextId::MINOR_FUN_DPI_CIRCLE)},
      {4, 0, 0, u"", major(MenuTextId::MAJOR_FUN_DPI)},
      {5, 25, 0, u"", major(MenuTextId::MINOR_FUN_WINDOWS_BROWSER_FIND)},
      {6, 0, 0, u"", major(MenuTextId::MAJOR_FUN_LEFT_MOUSE_KEY)},
      {18, 0, 0, u"C:\\Tools\\run.exe", u"run.exe"},
      {18, 0, 0, u"/opt/tools/run", u"run"},
      {18, 0, 0, u"run", u"run"},
      {18, 0, 0, u"", u""},
      {22, 0, 0, u"", major(MenuTextId::MAJOR_FUN_SHOW_DRIVER)},
      {0, 0, 0, u"", u""},
      {23, 0, 0, u"", u""},
  };
  for (const Case& c : cases) {
    tagKEYDEFINEINFO key{};
    key.major = c.major;
    key.minor = c.minor;
    key.macroIndex = c.macroIndex;
    settings::SetFieldText(key.programPath, c.path);
    EXPECT_EQ(page->KeyText(key), c.text) << int(c.major) << "/" << int(c.minor);
  }
  // A path without terminator is read as its 260 units.
  tagKEYDEFINEINFO key{};
  key.major = 18;
  for (char16_t& u : key.programPath) u = u'p';
  EXPECT_EQ(page->KeyText(key).size(), 260u);
}

TEST_F(KeyDefinePageTest, ShortcutTexts) {
  struct Case {
    uint8_t modifiers, key;
    std::u16string text;
  } cases[] = {
      {0x07, 'A', u"Shift+Ctrl+Alt+A"}, {0x80, 'A', u"A"},          {0x01, 255, u"Ctrl+"},
      {0x0F, 0x0D, u"Shift+Ctrl+Alt+Win+Enter"}, {0x00, 255, u""},  {0x8F, 255, u""},
      {0x70, 'B', u"B"},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(CKeyDefineSettingPage::GetShortcutText(c.modifiers, c.key), c.text)
        << int(c.modifiers) << " " << int(c.key);
  }
}

// A stopped hover timer is gone, not only flagged: no tick reaches the page until it starts
// again, also after the stops and restarts of a choice.
TEST_F(KeyDefinePageTest, TheHoverTimerTicksOnlyWhileItRuns) {
  uitest::EventCounter ticks(page, QEvent::Timer);
  ASSERT_TRUE(QTest::qWaitFor([&] { return ticks.count > 0; }, uitest::kWaitMs));
  Choose(1, settings::MAJOR_FUN_SCROLL_UP, 0);
  Choose(1, settings::MAJOR_FUN_ASSIGN_SHORTCUT, 0);  // its dialog cancelled
  page->Macros().StopHoverTimer();                    // as Apply does
  EXPECT_FALSE(page->HoverTimerRunning());
  ticks.count = 0;
  // Three periods: a timer left running would tick in them, however late.
  QTest::qWait(3 * settings::TIMER_KEY_HOVER_INTERVAL_MS);
  EXPECT_EQ(ticks.count, 0) << "the stopped timer still ticks";
  page->Macros().StartHoverTimer();
  EXPECT_TRUE(QTest::qWaitFor([&] { return ticks.count > 0; }, uitest::kWaitMs));
}

TEST_F(KeyDefinePageTest, TheHoveredRowLightsItsButtonOnThePicture) {
  const auto lit = [this] {
    std::vector<int> on;
    for (int i = 0; i < 10; ++i) {
      if (picture->Marker(i).GetCheckState()) on.push_back(i);
    }
    return on;
  };
  CBitmapBtn& row4 = page->KeyButton(4);
  cursor = row4.mapToGlobal(row4.rect().center());
  page->OnTimer(settings::TIMER_KEY_HOVER);
  EXPECT_EQ(lit(), std::vector<int>{4});
  cursor = QPoint(-50, -50);
  page->PollHoveredKey();
  EXPECT_TRUE(lit().empty());
  // While the menu is shown the highlight stays as it is.
  cursor = row4.mapToGlobal(row4.rect().center());
  page->PollHoveredKey();
  ClickButton(page->KeyButton(1));
  cursor = page->KeyButton(2).mapToGlobal(QPoint(3, 3));
  page->PollHoveredKey();
  cursor = QPoint(-50, -50);
  page->PollHoveredKey();
  EXPECT_EQ(lit(), std::vector<int>{4});
  page->CloseFunctionMenu();
  // A hidden page does not poll.
  cursor = page->KeyButton(2).mapToGlobal(QPoint(3, 3));
  page->hide();
  page->OnTimer(settings::TIMER_KEY_HOVER);
  EXPECT_EQ(lit(), std::vector<int>{4});
  page->show();
  page->OnTimer(settings::TIMER_KEY_HOVER);
  EXPECT_EQ(lit(), std::vector<int>{2});
}

// With the pointer watched, the hover poll sleeps once two polls found the same with the
// pointer still between them; what changes the highlight wakes it.
class KeyDefinePageSleepTest : public KeyDefinePageTest {
 protected:
  void SetUp() override {
    KeyDefinePageTest::SetUp();
    if (HasFatalFailure()) return;
    ticks.emplace(page, QEvent::Timer);
  }
  desktop::PointerMotionWatch* Motion() override { return &motion; }

  std::vector<int> Lit() const {
    std::vector<int> on;
    for (int i = 0; i < 10; ++i) {
      if (picture->Marker(i).GetCheckState()) on.push_back(i);
    }
    return on;
  }
  QPoint OnRow(int row) const {
    CBitmapBtn& button = page->KeyButton(row);
    return button.mapToGlobal(button.rect().center());
  }
  // Moves the pointer onto row `row` and rests it there until the poll has lit the row and
  // gone to sleep.
  void RestOn(int row) {
    cursor = OnRow(row);
    motion.Move();
    ASSERT_TRUE(QTest::qWaitFor([&] { return Lit() == std::vector<int>{row}; }, uitest::kWaitMs));
    WaitAsleep();
  }
  // Until one poll has armed the watch and a later one found the same with the pointer still.
  void WaitAsleep() {
    ASSERT_TRUE(QTest::qWaitFor([&] { return motion.armed && motion.quietTakes > 0; },
                                uitest::kWaitMs));
    ASSERT_TRUE(page->HoverTimerRunning());
  }

  desktop::FakePointerMotionWatch motion;
  std::optional<uitest::EventCounter> ticks;
};

TEST_F(KeyDefinePageSleepTest, ThePollSleepsWhileThePointerIsStillAndWakesWhenItMoves) {
  RestOn(4);
  ticks->count = 0;
  // Three periods: a poll still awake would tick in them, however late.
  QTest::qWait(3 * settings::TIMER_KEY_HOVER_INTERVAL_MS);
  EXPECT_EQ(ticks->count, 0) << "the poll did not sleep";
  EXPECT_TRUE(page->HoverTimerRunning());
  EXPECT_TRUE(motion.armed);

  cursor = OnRow(2);
  motion.Move();
  EXPECT_TRUE(QTest::qWaitFor([&] { return Lit() == std::vector<int>{2}; }, uitest::kWaitMs));
  // Still again, it sleeps again.
  WaitAsleep();
  EXPECT_EQ(motion.arms, 2);
}

TEST_F(KeyDefinePageSleepTest, ASleepingPollWakesForWhatChangesTheHighlightWithoutMotion) {
  const struct Case {
    const char* what;
    int row;  // the row under the still cursor after the change
    std::function<void()> change;
  } cases[] = {
      {"the function menu closes", 2,
       [this] {
         // Opened over row 4, the menu holds the highlight while the pointer goes to row 2.
         ClickButton(page->KeyButton(1));
         cursor = OnRow(2);
         motion.Move();
         WaitAsleep();
         page->CloseFunctionMenu();
       }},
      {"the page shows again", 3,
       [this] {
         page->hide();
         cursor = OnRow(3);
         page->show();
       }},
      {"the main window moves", 5,
       [this] { owner.move(owner.pos() + cursor - OnRow(5)); }},
      {"the timer starts again, as after Apply", 6,
       [this] {
         page->StopHoverTimer();
         cursor = OnRow(6);
         page->StartHoverTimer();
       }},
      {"a program puts the pointer on a row, without a device", 7,
       [this] {
         cursor = OnRow(7);
         QEvent enter(QEvent::Enter);
         QCoreApplication::sendEvent(&page->KeyButton(7), &enter);
       }},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    RestOn(4);
    c.change();
    EXPECT_TRUE(
        QTest::qWaitFor([&] { return Lit() == std::vector<int>{c.row}; }, uitest::kWaitMs))
        << "lit: " << (Lit().empty() ? -1 : Lit()[0]);
  }
}

}  // namespace
