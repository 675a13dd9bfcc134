// The main window's tray: the icon, the double click with the device warning, the menu, the
// start with the session and Exit, with a fake notification area and the scripted box.
#include <QApplication>
#include <QGuiApplication>
#include <QScreen>

#include "resources/MenuTextTable.h"
#include "tests/app/AppFixture.h"
#include "tests/platform/ui/QtTestSupport.h"

namespace {

using namespace apptest;

class TrayTest : public AppFixture {
 protected:
  // Delivers a tray activation as the icon does.
  void Notify(uint32_t mouseMessage) {
    ui::SendMessage(window.get(), WM_TRAYICON_NOTIFY, IDR_MAINFRAME, mouseMessage);
  }
  void Command(uint16_t id) { ui::SendMessage(window.get(), ui::WM_COMMAND, id, 0); }
  // Opens the menu and chooses the item with `id` by a click, as the user does.
  void ChooseFromMenu(uint16_t id) {
    Notify(WM_RBUTTONDOWN);
    CXPMenu* menu = window->Tray().Menu();
    ASSERT_NE(menu, nullptr);
    for (int i = 0; i < menu->ItemCount(); ++i) {
      if (!menu->IsSeparator(i) && menu->CommandOf(i) == id) {
        uitest::Click(menu, menu->ItemRect(i).center());
        uitest::Drain();
        return;
      }
    }
    FAIL() << "no item " << id;
  }
  QString Warning() const { return Text(MenuText(MenuTextId::OpenDeviceWarning)); }
};

TEST_F(TrayTest, TheIconIsAddedAtStartAndIsTheApplicationsIcon) {
  CKavrinDireZerudDlg& w = Start();
  EXPECT_EQ(tray.adds, 1);
  EXPECT_TRUE(tray.shown);
  EXPECT_EQ(tray.target, &w);
  EXPECT_EQ(tray.iconSize, QSize(256, 256)) << "icon 128 from Icons/128.png";
  EXPECT_FALSE(QApplication::windowIcon().isNull());
}

TEST_F(TrayTest, DoubleClickShowsTheExpectedMouseAndSingleClicksDoNothing) {
  CKavrinDireZerudDlg& w = Start();
  w.hide();
  Notify(WM_LBUTTONUP);
  Notify(WM_MBUTTONUP);
  EXPECT_FALSE(w.isVisible());
  Notify(WM_LBUTTONDBLCLK);
  EXPECT_TRUE(w.isVisible());
  EXPECT_TRUE(QTest::qWaitForWindowActive(&w, uitest::kWaitMs));
  EXPECT_TRUE(boxes.empty());
  EXPECT_EQ(w.GetProp(u"IsMyDeivce"), 1u);
}

TEST_F(TrayTest, TheWarningOfADoubleClickShowsOnceWhileItIsOpen) {
  backend.Mouse().SetDeviceId(0x01020304);
  CKavrinDireZerudDlg& w = Start();
  w.show();
  int inner = 0;
  onBox = [&](const QString&) {
    if (inner++ > 0) return;
    EXPECT_TRUE(w.Tray().MessageGuard());
    EXPECT_FALSE(w.isVisible()) << "hidden before the box";
    Notify(WM_LBUTTONDBLCLK);  // only hides
    Notify(WM_LBUTTONDBLCLK);
    Command(ID_TRAY_SHOWMAINPANEL);  // no guard: a second box
  };
  Notify(WM_LBUTTONDBLCLK);
  EXPECT_EQ(boxes, (std::vector<QString>{Warning(), Warning()}));
  EXPECT_FALSE(w.Tray().MessageGuard()) << "cleared once the box returned";
  EXPECT_FALSE(w.isVisible());

  Notify(WM_LBUTTONDBLCLK);
  EXPECT_EQ(boxes.size(), 3u) << "a new double click warns again";
}

TEST_F(TrayTest, ShowMainPanelWarnsAtEveryFailureAndShowsTheExpectedMouse) {
  backend.Mouse().Disconnect();
  CKavrinDireZerudDlg& w = Start();
  Command(ID_TRAY_SHOWMAINPANEL);
  Command(ID_TRAY_SHOWMAINPANEL);
  EXPECT_EQ(boxes.size(), 2u);
  EXPECT_FALSE(w.isVisible());

  backend.Mouse().Reconnect();
  ASSERT_TRUE(QTest::qWaitFor([&] { return w.Device().IsOpen(); }, uitest::kWaitMs));
  Command(ID_TRAY_SHOWMAINPANEL);
  EXPECT_TRUE(w.isVisible());
  EXPECT_EQ(boxes.size(), 2u);
}

struct MenuCase {
  const char* name;
  bool enabled;
  int autoRunIcon;
};
void PrintTo(const MenuCase& c, std::ostream* os) { *os << c.name; }
class TrayMenuTest : public TrayTest, public ::testing::WithParamInterface<MenuCase> {};

TEST_P(TrayMenuTest, HoldsTheThreeCommandsAndASeparatorWithTheStateReadAtOpening) {
  const MenuCase& c = GetParam();
  CKavrinDireZerudDlg& w = Start();
  autostart.enabled = c.enabled;
  autostart.calls.clear();
  Notify(WM_RBUTTONDOWN);
  EXPECT_EQ(autostart.calls, std::vector<std::string>{"IsEnabled"});
  EXPECT_EQ(w.Tray().AutoRunFlag(), c.enabled);
  CXPMenu* menu = w.Tray().Menu();
  ASSERT_NE(menu, nullptr);
  ASSERT_EQ(menu->ItemCount(), 4);
  const struct {
    uint16_t id;
    MenuTextId text;
    int icon;
  } expected[] = {
      {ID_TRAY_SHOWMAINPANEL, MenuTextId::ShowMainPanel, IDR_MAINFRAME},
      {ID_TRAY_AUTORUN, MenuTextId::EnableAutoRun, c.autoRunIcon},
      {0, MenuTextId::Exit, 0},
      {ID_TRAY_EXIT, MenuTextId::Exit, IDR_MAINFRAME},
  };
  for (int i = 0; i < 4; ++i) {
    if (i == 2) {
      EXPECT_TRUE(menu->IsSeparator(i));
      continue;
    }
    EXPECT_FALSE(menu->IsSeparator(i));
    EXPECT_EQ(menu->CommandOf(i), expected[i].id);
    const tagXPMENUITEM* item = menu->DataOf(i);
    ASSERT_NE(item, nullptr);
    EXPECT_EQ(item->text, Text(MenuText(expected[i].text)));
    EXPECT_FALSE(item->text.isEmpty());
    EXPECT_EQ(item->normalIcon, expected[i].icon);
    EXPECT_EQ(item->selectedIcon, expected[i].icon);
    EXPECT_FALSE(w.Icons().Icon(item->normalIcon).isNull());
  }
  const QPoint cursor = QCursor::pos();
  EXPECT_EQ(menu->pos(), CXPMenu::PlaceOnScreen(cursor, menu->size(),
                                                QGuiApplication::screenAt(cursor)->geometry()))
      << "opened at the cursor";
}

INSTANTIATE_TEST_SUITE_P(States, TrayMenuTest,
                         ::testing::Values(MenuCase{"Off", false, IDI_AUTORUN_OFF},
                                           MenuCase{"On", true, IDI_AUTORUN_ON}),
                         [](const ::testing::TestParamInfo<MenuCase>& info) {
                           return std::string(info.param.name);
                         });

TEST_F(TrayTest, TheMenuSwitchesTheStartWithTheSessionAndAFailureShowsInTheNextMenu) {
  CKavrinDireZerudDlg& w = Start();
  ChooseFromMenu(ID_TRAY_AUTORUN);
  EXPECT_TRUE(autostart.enabled);
  EXPECT_EQ(autostart.calls.back(), "SetEnabled 1");
  ChooseFromMenu(ID_TRAY_AUTORUN);
  EXPECT_FALSE(autostart.enabled);
  EXPECT_EQ(autostart.calls.back(), "SetEnabled 0");

  autostart.failWrites = true;
  ChooseFromMenu(ID_TRAY_AUTORUN);
  EXPECT_TRUE(w.Tray().AutoRunFlag()) << "flipped although nothing was written";
  Notify(WM_RBUTTONDOWN);
  EXPECT_FALSE(w.Tray().AutoRunFlag()) << "read afresh";
  EXPECT_EQ(w.Tray().Menu()->DataOf(1)->normalIcon, IDI_AUTORUN_OFF);
  EXPECT_TRUE(boxes.empty()) << "silent";
}

TEST_F(TrayTest, ShowMainPanelFromTheMenuShowsTheWindow) {
  CKavrinDireZerudDlg& w = Start();
  w.hide();
  ChooseFromMenu(ID_TRAY_SHOWMAINPANEL);
  EXPECT_TRUE(w.isVisible());
  EXPECT_EQ(w.Tray().Menu(), nullptr);
}

TEST_F(TrayTest, ExitRemovesTheIconAndTheInstanceAndEndsWithZero) {
  CKavrinDireZerudDlg& w = Start();
  ASSERT_EQ(w.GetProp(u"kdz-app-test"), 1u);
  ChooseFromMenu(ID_TRAY_EXIT);
  EXPECT_EQ(exits, std::vector<int>{0});
  EXPECT_TRUE(w.Destroyed());
  EXPECT_EQ(tray.removes, 1);
  EXPECT_FALSE(tray.shown);
  EXPECT_EQ(w.GetProp(u"kdz-app-test"), 0u) << "the instance socket is withdrawn";
  EXPECT_FALSE(w.Device().IsOpen());
}

TEST_F(TrayTest, ExitWhileTheWarningOrTheMenuIsOpenDoesNotReturnIntoThem) {
  backend.Mouse().SetDeviceId(0x01020304);
  CKavrinDireZerudDlg& w = Start();
  onBox = [&](const QString&) { Command(ID_TRAY_EXIT); };
  Notify(WM_LBUTTONDBLCLK);
  EXPECT_EQ(exits, std::vector<int>{0});
  EXPECT_EQ(boxes.size(), 1u);
  // Nothing of the tray acts after the end: no menu, no box, no write.
  Notify(WM_RBUTTONDOWN);
  Notify(WM_LBUTTONDBLCLK);
  Command(ID_TRAY_SHOWMAINPANEL);
  EXPECT_EQ(w.Tray().Menu(), nullptr);
  EXPECT_EQ(boxes.size(), 1u);
  EXPECT_EQ(tray.removes, 1);
}

TEST_F(TrayTest, ExitWhileTheMenuIsOpenClosesIt) {
  CKavrinDireZerudDlg& w = Start();
  Notify(WM_RBUTTONDOWN);
  ASSERT_NE(w.Tray().Menu(), nullptr);
  ui::PostMessage(&w, ui::WM_COMMAND, ID_TRAY_EXIT, 0);  // as a later start with "exit"
  uitest::Drain();
  EXPECT_EQ(exits, std::vector<int>{0});
  EXPECT_EQ(w.Tray().Menu(), nullptr);
}

TEST(TrayMouseMessageTest, TellsXEmbedClicksFromStatusNotifierRequests) {
  const struct {
    QSystemTrayIcon::ActivationReason reason;
    bool sni;
    uint32_t message;
  } cases[] = {
      {QSystemTrayIcon::DoubleClick, false, WM_LBUTTONDBLCLK},
      {QSystemTrayIcon::Trigger, false, WM_LBUTTONUP},
      {QSystemTrayIcon::Context, false, WM_RBUTTONDOWN},
      {QSystemTrayIcon::MiddleClick, false, WM_MBUTTONUP},
      {QSystemTrayIcon::Trigger, true, WM_LBUTTONDBLCLK},
      {QSystemTrayIcon::Context, true, WM_RBUTTONDOWN},
      {QSystemTrayIcon::Unknown, false, 0},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(TrayMouseMessage(c.reason, c.sni), c.message) << c.reason << " " << c.sni;
  }
}

}  // namespace
