// The main window's settings pages: which pages each tab shows, the record every page holds,
// and the pages' messages while Apply runs.
#include <QPointer>
#include <QTest>

#include <optional>
#include <ostream>
#include <set>

#include "pages/KeyDefineSettingPage.h"
#include "settings/FunctionCodes.h"
#include "pages/LightSettingPage.h"
#include "pages/MousePicturePage.h"
#include "pages/SensitivityPage.h"
#include "platform/ui/FileDialog.h"
#include "tests/app/AppFixture.h"

namespace {

using namespace apptest;
using Page = CKavrinDireZerudDlg::Page;
using settings::tagMODEINFO;

constexpr Page kPages[] = {Page::MousePicture, Page::Light,  Page::Sensitivity,
                           Page::Advance,      Page::System, Page::KeyDefine};
constexpr Button kTabs[] = {Button::Light, Button::Sensitivity, Button::KeyDefine, Button::Advance};

class PageHostTest : public AppFixture {
 protected:
  // The pages that exist and are shown, and the checked tabs.
  std::set<Page> ShownPages() {
    std::set<Page> shown;
    for (Page p : kPages) {
      if (CPageDialog* page = window->PageOf(p); page && !page->isHidden()) shown.insert(p);
    }
    return shown;
  }
  std::set<Button> CheckedTabs() {
    std::set<Button> checked;
    for (Button t : kTabs) {
      if (window->ButtonOf(t).GetCheckState()) checked.insert(t);
    }
    return checked;
  }
  // The pages that have been skinned, looked at without skinning any (PageOf would).
  std::set<Page> SkinnedPages() {
    std::set<Page> skinned;
    const QList<CPageDialog*> made = window->findChildren<CPageDialog*>(Qt::FindDirectChildrenOnly);
    for (qsizetype i = 0; i < made.size() && i < qsizetype(std::size(kPages)); ++i) {
      if (made[i]->Initialised()) skinned.insert(kPages[i]);
    }
    return skinned;
  }
  bool AllPagesSkinned() {
    return QTest::qWaitFor([this] { return SkinnedPages().size() == std::size(kPages); },
                           uitest::kWaitMs);
  }
  // `wanted` without the pages that do not exist.
  std::set<Page> Existing(std::set<Page> wanted) {
    std::erase_if(wanted, [this](Page p) { return window->PageOf(p) == nullptr; });
    return wanted;
  }

  // Every page shows the current mode's editing record.
  void ExpectPagesHoldTheCurrentRecord() {
    tagMODEINFO& record = window->Settings().CurrentEditingMode();
    CLightSettingPage* light = window->LightPage();
    ASSERT_NE(light, nullptr);
    EXPECT_EQ(light->Attached(), &record.light);
    pages::LightControls lightShown;
    pages::ShowLightData(record.light, lightShown);
    EXPECT_EQ(light->Controls(), lightShown);
    CSensitivityPage* sensitivity = window->SensitivityPage();
    ASSERT_NE(sensitivity, nullptr);
    EXPECT_EQ(sensitivity->Attached(), &record);
    EXPECT_EQ(sensitivity->Controls(), pages::ShowSensitivity(record));
    CKeyDefineSettingPage* keyDefine = window->KeyDefinePage();
    ASSERT_NE(keyDefine, nullptr);
    EXPECT_EQ(keyDefine->KeyData(), record.keys);
  }
};

TEST_F(PageHostTest, PagesAreChildrenOfTheWindowInTheTablesOrder) {
  CKavrinDireZerudDlg& w = Start();
  std::vector<QObject*> made;
  for (Page p : kPages) {
    if (CPageDialog* page = w.PageOf(p)) {
      EXPECT_EQ(page->parentWidget(), &w);
      made.push_back(page);
    }
  }
  ASSERT_EQ(made.size(), 6u);
  std::vector<QObject*> children;
  for (QObject* child : w.children()) {
    if (std::find(made.begin(), made.end(), child) != made.end()) children.push_back(child);
  }
  EXPECT_EQ(children, made);
  // Every page lies in the window.
  for (QObject* page : made) {
    EXPECT_TRUE(w.rect().contains(static_cast<QWidget*>(page)->geometry()));
  }
}

struct TabCase {
  const char* name;
  std::optional<Button> tab;  // none: as started
  std::set<Page> shown;
  Button checked;
};
void PrintTo(const TabCase& c, std::ostream* os) { *os << c.name; }

class PageTabTest : public PageHostTest, public ::testing::WithParamInterface<TabCase> {};

TEST_P(PageTabTest, ShowsTheTabsPagesAndChecksOnlyItsButton) {
  const TabCase& c = GetParam();
  Start();
  // Whatever was shown before.
  Click(Button::Advance);
  Click(Button::Light);
  if (c.tab) {
    Click(*c.tab);
  } else {
    window.reset();
    Start();
  }
  EXPECT_EQ(ShownPages(), Existing(c.shown));
  EXPECT_EQ(CheckedTabs(), std::set<Button>{c.checked});
}

INSTANTIATE_TEST_SUITE_P(
    Tabs, PageTabTest,
    ::testing::Values(
        TabCase{"StartUp", std::nullopt, {Page::KeyDefine, Page::MousePicture}, Button::KeyDefine},
        TabCase{"Light", Button::Light, {Page::Light}, Button::Light},
        TabCase{"Sensitivity", Button::Sensitivity, {Page::Sensitivity}, Button::Sensitivity},
        TabCase{"KeyDefine", Button::KeyDefine, {Page::KeyDefine, Page::MousePicture},
                Button::KeyDefine},
        TabCase{"Advance", Button::Advance, {Page::System, Page::Advance}, Button::Advance}),
    [](const auto& info) { return std::string(info.param.name); });

const std::set<Page> kStartupTabPages = {Page::KeyDefine, Page::MousePicture};

// The start-up tab's pages are skinned before the window is first shown, the others only once
// it has been painted; then they hold the current record and stay behind the start-up tab.
TEST_F(PageHostTest, TheOtherTabsPagesAreSkinnedOnceTheWindowHasBeenPainted) {
  Start();
  ASSERT_TRUE(window->isVisible());
  EXPECT_EQ(SkinnedPages(), kStartupTabPages);
  ASSERT_TRUE(AllPagesSkinned());
  EXPECT_EQ(ShownPages(), kStartupTabPages);
  EXPECT_EQ(CheckedTabs(), std::set<Button>{Button::KeyDefine});
  ExpectPagesHoldTheCurrentRecord();
}

// A tab chosen before its pages were skinned skins them there and then: they show, with the
// current record, and only they.
TEST_F(PageHostTest, ATabChosenBeforeItsPagesAreSkinnedShowsThemSkinned) {
  Start();
  Click(Button::ConfigFile3);
  ASSERT_FALSE(SkinnedPages().count(Page::Light));
  Click(Button::Light);
  EXPECT_TRUE(SkinnedPages().count(Page::Light));
  auto* light = static_cast<CLightSettingPage*>(window->PageOf(Page::Light));
  EXPECT_EQ(light->Attached(), &window->Settings().EditingModes[2].light);
  EXPECT_EQ(ShownPages(), std::set<Page>{Page::Light});
  // Those skinned later stay hidden behind it.
  ASSERT_TRUE(AllPagesSkinned());
  EXPECT_EQ(ShownPages(), std::set<Page>{Page::Light});
  ExpectPagesHoldTheCurrentRecord();
}

// Pages do not wait for a paint that does not come: a window hidden at start-up (no mouse of
// the skin's id) skins them in the next turns, one shown but never painted after the wait.
TEST_F(PageHostTest, PagesDoNotWaitForAPaintThatDoesNotCome) {
  const auto start = [this](int paintWaitMs, bool painted) {
    CKavrinDireZerudDlg::Options options = WindowOptions();
    options.paintWaitMs = paintWaitMs;
    window = std::make_unique<CKavrinDireZerudDlg>(options);
    // Without updates no paint reaches the window, as if it were never exposed.
    if (!painted) window->setUpdatesEnabled(false);
    window->Create();
  };
  backend.Mouse().SetDeviceId(0x01020304);
  start(60000, true);
  ASSERT_FALSE(window->isVisible());
  EXPECT_TRUE(AllPagesSkinned());

  backend.Mouse().SetDeviceId(sim::kDefaultDeviceId);
  start(60000, false);
  ASSERT_TRUE(window->isVisible());
  QTest::qWait(100);
  EXPECT_EQ(SkinnedPages(), kStartupTabPages) << "skinned before the paint";
  start(50, false);
  EXPECT_TRUE(AllPagesSkinned());
  EXPECT_EQ(ShownPages(), kStartupTabPages);
}

TEST_F(PageHostTest, TabsShowPagesWhateverTheirSkinSaysOfVisibility) {
  programFolder = CopyProgramFolder();
  const std::string ini = programFolder + "/Setup.ini";
  std::string text = ReadText(ini);
  for (size_t at = text.find("Visable=1"); at != std::string::npos; at = text.find("Visable=1"))
    text.replace(at, 9, "Visable=0");
  WriteText(ini, text);
  CKavrinDireZerudDlg& w = Start();
  CPageDialog* light = w.PageOf(Page::Light);
  ASSERT_FALSE(light->IsPageVisible());
  Click(Button::Light);
  EXPECT_FALSE(light->isHidden());
  Click(Button::Sensitivity);
  EXPECT_TRUE(light->isHidden());
  EXPECT_FALSE(w.PageOf(Page::Sensitivity)->isHidden());
  Click(Button::KeyDefine);
  EXPECT_FALSE(w.PageOf(Page::MousePicture)->isHidden());
}

TEST_F(PageHostTest, EveryPageHoldsTheCurrentModesRecord) {
  CKavrinDireZerudDlg& w = Start();
  for (int m = 0; m < 4; ++m) {
    w.Settings().EditingModes[m].sensitivityX = pages::SensitivityByte(m * 3);
    w.Settings().EditingModes[m].dpiLevel = static_cast<uint8_t>(3 - m);
  }
  {
    SCOPED_TRACE("start-up");
    w.RefreshModeView();
    ExpectPagesHoldTheCurrentRecord();
  }
  const Button modes[] = {Button::ConfigFile3, Button::ConfigFile2, Button::ConfigFile4,
                          Button::ConfigFile1};
  for (Button mode : modes) {
    SCOPED_TRACE(static_cast<int>(mode));
    Click(mode);
    ExpectPagesHoldTheCurrentRecord();
  }

  // A profile loaded into the current mode is shown at once.
  tagMODEINFO loaded = w.Settings().EditingModes[0];
  loaded.light = {0x88, 0xFF, 0xFF, 0xFF, 0x28, 0xAA, 0x28};
  loaded.sensitivityX = 0x95;
  loaded.xySync = 1;
  const std::string file = data / "loaded.gmp";
  WriteText(file, std::string(reinterpret_cast<const char*>(&loaded), sizeof loaded));
  ui::ScopedFileDialogHandler dialog(
      [&](const ui::FileDialogOptions&) { return std::optional(QString::fromStdString(file)); });
  Click(Button::ConfigFile2);
  Click(Button::Load);
  EXPECT_TRUE(SameBytes(w.Settings().EditingModes[1], loaded));
  ExpectPagesHoldTheCurrentRecord();
  EXPECT_EQ(w.SensitivityPage()->YSlider().GetPos(), 9);
}

TEST_F(PageHostTest, AnEditLandsInTheCurrentModeOnly) {
  CKavrinDireZerudDlg& w = Start();
  Click(Button::ConfigFile3);
  Click(Button::Light);
  const tagMODEINFO before[4] = {w.Settings().EditingModes[0], w.Settings().EditingModes[1],
                                 w.Settings().EditingModes[2], w.Settings().EditingModes[3]};
  CBitmapBtn& cyan = w.LightPage()->Button(pages::LightButton::Cyan);
  uitest::Click(&cyan, cyan.rect().center());
  const settings::tagLIGHTINFO& light = w.Settings().EditingModes[2].light;
  EXPECT_EQ(light.red, 0x00);
  EXPECT_EQ(light.green, 0xFF);
  EXPECT_EQ(light.blue, 0xFF);
  for (int m : {0, 1, 3}) EXPECT_TRUE(SameBytes(w.Settings().EditingModes[m], before[m])) << m;
}

TEST_F(PageHostTest, APageMessageWaitsUntilApplyHasEnded) {
  CKavrinDireZerudDlg& w = Start();
  CLightSettingPage& light = *w.LightPage();
  w.Settings().EditingModes[0].light = {0xF0, 0xFF, 0, 0, 0x14, 0x11, 0x04};
  w.RefreshModeView();
  // A release whose message is still queued when Apply starts.
  light.Slider(CLightSettingPage::Time::Change).SetPos(9);
  ui::PostMessage(&light, WM_MARKER_POS, 9, 0);
  Click(Button::Apply);
  EXPECT_EQ(w.Settings().EditingModes[0].light.changeTime, 0x14) << "written while Apply ran";
  EXPECT_EQ(w.Settings().AppliedModes[0].light.changeTime, 0x14);
  EXPECT_EQ(backend.Mouse().GetFlashBlock(5)[128 + 4], 0x14);
  uitest::Drain();
  EXPECT_EQ(w.Settings().EditingModes[0].light.changeTime, 0x28);
}

TEST_F(PageHostTest, DestroyingTheWindowDeletesThePages) {
  CKavrinDireZerudDlg& w = Start();
  std::vector<QPointer<CPageDialog>> pages;
  for (Page p : kPages) {
    if (CPageDialog* page = w.PageOf(p)) pages.emplace_back(page);
  }
  ui::SendMessage(&w, ui::WM_COMMAND, ID_TRAY_EXIT, 0);
  EXPECT_EQ(exits, std::vector<int>{0});
  for (const QPointer<CPageDialog>& page : pages) EXPECT_TRUE(page.isNull());
  for (Page p : kPages) EXPECT_EQ(w.PageOf(p), nullptr);
  // A function-menu choice that comes after the button page is gone is dropped.
  const tagMODEINFO before = w.Settings().EditingModes[3];
  EXPECT_EQ(ui::SendMessage(&w, WM_BMPMENU_SELECT, 0, ui::MakeLong(0, 14)), 0);
  EXPECT_TRUE(SameBytes(w.Settings().EditingModes[3], before));
}

TEST_F(PageHostTest, TheFunctionMenuCarriesTheChoiceToTheClickedRowAndClosesWhenLeft) {
  CKavrinDireZerudDlg& w = Start();
  CKeyDefineSettingPage& page = *w.KeyDefinePage();
  Click(Button::ConfigFile4);
  const auto open = [&page](int row) {
    CBitmapBtn& button = page.KeyButton(row);
    uitest::Click(&button, button.rect().center());
    return page.FunctionMenu() != nullptr;
  };
  // The menu's choice travels through the main window to the page and the fourth mode's row.
  ASSERT_TRUE(open(3));
  ui::PostMessage(&w, WM_BMPMENU_SELECT, 13, ui::MakeLong(0, settings::MAJOR_FUN_SCROLL_UP));
  uitest::Drain();
  EXPECT_EQ(w.Settings().EditingModes[3].keys[3].major, settings::MAJOR_FUN_SCROLL_UP);
  EXPECT_EQ(page.FunctionMenu(), nullptr);

  struct Case {
    const char* name;
    std::function<void()> leave;
  } cases[] = {
      {"a command", [&] { Click(Button::Light); }},
      {"a tray command", [&] { ui::SendMessage(&w, ui::WM_COMMAND, ID_TRAY_SHOWMAINPANEL, 0); }},
      {"a press on the background",
       [&] { ui::SendMessage(&w, ui::WM_LBUTTONDOWN, ui::MK_LBUTTON, ui::MakeLParam(700, 500)); }},
      {"the application deactivated",
       [&] { emit qApp->applicationStateChanged(Qt::ApplicationInactive); }},
  };
  for (const Case& c : cases) {
    Click(Button::KeyDefine);
    ASSERT_TRUE(open(5)) << c.name;
    page.KeyButton(5).SetCheckState(1);
    c.leave();
    EXPECT_EQ(page.FunctionMenu(), nullptr) << c.name;
    EXPECT_EQ(page.KeyButton(5).GetCheckState(), 0) << c.name;
  }
  // Apply stops the page's hover timer while it runs, through the store the page holds.
  EXPECT_EQ(&w.Macros(), &page.Macros());
  w.Macros().StopHoverTimer();
  EXPECT_FALSE(page.HoverTimerRunning());
  w.Macros().StartHoverTimer();
  EXPECT_TRUE(page.HoverTimerRunning());
  // In the other modes a row opens nothing.
  Click(Button::KeyDefine);
  Click(Button::ConfigFile2);
  EXPECT_FALSE(open(5));
}

// Hidden in the tray, the window has no row under the cursor: the hover poll sleeps until the
// window shows again, and a start or stop meanwhile (Apply's) is kept for then.
TEST_F(PageHostTest, TheHoverTimerRunsOnlyWhileTheWindowIsShown) {
  CKavrinDireZerudDlg& w = Start();
  CKeyDefineSettingPage& page = *w.KeyDefinePage();
  ASSERT_TRUE(page.isVisible());
  EXPECT_TRUE(page.HoverTimerRunning());
  const auto showAgain = [&] { ui::SendMessage(&w, ui::WM_COMMAND, ID_TRAY_SHOWMAINPANEL, 0); };

  Click(Button::Cancel);
  ASSERT_FALSE(w.isVisible());
  EXPECT_FALSE(page.HoverTimerRunning());
  w.Macros().StopHoverTimer();
  w.Macros().StartHoverTimer();
  EXPECT_FALSE(page.HoverTimerRunning());
  showAgain();
  ASSERT_TRUE(page.isVisible());
  EXPECT_TRUE(page.HoverTimerRunning());

  Click(Button::Cancel);
  w.Macros().StopHoverTimer();
  showAgain();
  EXPECT_FALSE(page.HoverTimerRunning()) << "stopped while hidden";
  w.Macros().StartHoverTimer();
  EXPECT_TRUE(page.HoverTimerRunning());
}

}  // namespace
