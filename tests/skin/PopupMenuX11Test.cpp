// The popup menus and the editable lists on a real X server that the test starts itself, with
// openbox managing the windows where activation matters: the pointer and the keys come from
// XTest, as a user's would, and each test saves a screenshot under the build folder.
#include <gtest/gtest.h>

#include <QApplication>
#include <QDir>
#include <QGuiApplication>
#include <QScreen>
#include <QTest>

#include <memory>
#include <string>
#include <vector>

#include "platform/ui/IconTable.h"
#include "platform/ui/ScreenMetrics.h"
#include "resources/MenuTextTable.h"
#include "resources/SkinPath.h"
#include "skin/BmpMenu.h"
#include "skin/ListBoxEx.h"
#include "skin/MacroMenu.h"
#include "skin/XPMenu.h"
#include "tests/platform/ui/QtTestSupport.h"
// After Qt's headers: Xlib's macros would meet Qt's names.
#include "tests/platform/ui/XClient.h"
#include "tests/platform/ui/XvfbQtTest.h"

#include <X11/keysym.h>

namespace {

using uitest::SaveScreen;
using uitest::XvfbQtTest;

const QString kProgramDir = QStringLiteral(KDZ_PROGRAM_DIR);

QString SkinFile(const char16_t* name) {
  return QString::fromStdString(resources::SkinPath(kProgramDir.toStdString(), name));
}

QString Text(MenuTextId id) { return QString::fromStdU16String(MenuText(id)); }

// Pointer and keys through XTest, on a connection of the test's own.
class FakeInput {
 public:
  FakeInput() : d_(XOpenDisplay(nullptr)) {}
  ~FakeInput() {
    if (d_) XCloseDisplay(d_);
  }
  bool Ok() const { return d_ != nullptr; }
  void Move(QPoint p) {
    XTestFakeMotionEvent(d_, -1, p.x(), p.y(), 0);
    XSync(d_, False);
    QTest::qWait(60);
  }
  void Click(QPoint p, unsigned button = 1) {
    Move(p);
    XTestFakeButtonEvent(d_, button, True, 0);
    XTestFakeButtonEvent(d_, button, False, 0);
    XSync(d_, False);
    QTest::qWait(60);
  }
  void DoubleClick(QPoint p) {
    Move(p);
    for (int i = 0; i < 2; ++i) {
      XTestFakeButtonEvent(d_, 1, True, 0);
      XTestFakeButtonEvent(d_, 1, False, 0);
    }
    XSync(d_, False);
    QTest::qWait(100);
  }
  void Key(KeySym sym) {
    const KeyCode code = XKeysymToKeycode(d_, sym);
    XTestFakeKeyEvent(d_, code, True, 0);
    XTestFakeKeyEvent(d_, code, False, 0);
    XSync(d_, False);
    QTest::qWait(30);
  }
  void Type(const char* text) {
    for (const char* c = text; *c; ++c) Key(XStringToKeysym(std::string(1, *c).c_str()));
  }
  // The window `w` is kept above (WM_TRANSIENT_FOR), or 0.
  Window TransientFor(Window w) {
    Window owner = 0;
    return XGetTransientForHint(d_, w, &owner) ? owner : 0;
  }
  // Another client's window, mapped and made the active window.
  Window ActivateOtherClient() {
    const int screen = DefaultScreen(d_);
    const Window root = RootWindow(d_, screen);
    const Window w = XCreateSimpleWindow(d_, root, 600, 500, 200, 120, 0, 0, WhitePixel(d_, screen));
    XMapWindow(d_, w);
    XSync(d_, False);
    QTest::qWait(200);
    XEvent e{};
    e.xclient.type = ClientMessage;
    e.xclient.window = w;
    e.xclient.message_type = XInternAtom(d_, "_NET_ACTIVE_WINDOW", False);
    e.xclient.format = 32;
    e.xclient.data.l[0] = 2;  // from a pager: honoured at once
    e.xclient.data.l[1] = CurrentTime;
    XSendEvent(d_, root, False, SubstructureRedirectMask | SubstructureNotifyMask, &e);
    XSync(d_, False);
    return w;
  }

 private:
  Display* d_;
};

bool Shown(const QWidget* w) { return w && w->isVisible(); }

class X11Test : public XvfbQtTest {
 protected:
  void SetUp() override {
    XvfbQtTest::SetUp();
    if (IsSkipped() || HasFatalFailure()) return;
    ASSERT_TRUE(input.Ok());
    ASSERT_EQ(LoadMenuTexts((kProgramDir + QStringLiteral("/Language.xml")).toStdU16String()), 1);
    owner.setGeometry(QRect(60, 60, 420, 320));
    owner.setWindowTitle(QStringLiteral("owner"));
    // The window manager may still be settling in when the first window maps: map it again.
    bool exposed = false;
    for (int i = 0; i < 10 && !exposed; ++i) {
      owner.hide();
      owner.show();
      exposed = QTest::qWaitForWindowExposed(&owner, 1000);
    }
    ASSERT_TRUE(exposed);
    bool active = false;
    for (int i = 0; i < 10 && !active; ++i) {
      owner.activateWindow();
      active = QTest::qWaitFor([&] { return owner.isActiveWindow(); }, 500);
    }
    ASSERT_TRUE(active);
  }

  FakeInput input;
  uitest::MessageRecorder owner;
};

// The function menu as the button page builds it, opened under a row of the page.
std::unique_ptr<CBmpMenu> MakeFunctionMenu(QWidget* page, QPoint anchor) {
  auto menu = std::make_unique<CBmpMenu>();
  menu->LoadImages(SkinFile(u"Defualt\\button_menu_n.png"), SkinFile(u"Defualt\\button_menu_o.png"),
                   SkinFile(u"Defualt\\button_menu_d.png"), SkinFile(u"Defualt\\button_menu_n.png"));
  menu->LoadSubMenuImages(SkinFile(u"Defualt\\sub_menu_n.png"), SkinFile(u"Defualt\\sub_menu_o.png"),
                          SkinFile(u"Defualt\\sub_menu_d.png"), SkinFile(u"Defualt\\sub_menu_n.png"));
  CBmpMenu::KeepOnScreen(anchor, 128, 375);
  menu->SetPosition(anchor.x(), anchor.y());
  for (int code = 1; code <= 22; ++code) {
    menu->AddItem(Text(static_cast<MenuTextId>(code - 1)), code);
  }
  auto sub = [&](int parent, MenuTextId first, int count, int firstCode) {
    for (int j = 0; j < count; ++j)
      menu->AddSubItem(parent, Text(static_cast<MenuTextId>(int(first) + j)), firstCode + j);
  };
  sub(1, MenuTextId::MINOR_FUN_MEDIA_OPEN_PLAYER, 8, 2);
  sub(2, MenuTextId::MINOR_FUN_CONFIGFILE_CIRCLE, 3, 10);
  sub(3, MenuTextId::MINOR_FUN_DPI_CIRCLE, 3, 13);
  sub(4, MenuTextId::MINOR_FUN_WINDOWS_CALC, 10, 16);
  menu->ClearSubItems(0);
  menu->AddSubItem(0, Text(MenuTextId::MINOR_FUN_MACRO_MANAGER), 1);
  menu->AddSubItem(0, QStringLiteral("宏 1"), 2);
  menu->Create(page);
  return menu;
}

TEST_F(X11Test, FunctionMenu) {
  auto* page = new QWidget(&owner);
  page->setGeometry(10, 10, 300, 200);
  page->show();
  const QPoint anchor = page->mapToGlobal(QPoint(40, 60));
  auto menu = MakeFunctionMenu(page, anchor);
  QWidget* w = menu->Window();
  ASSERT_TRUE(QTest::qWaitForWindowExposed(w, uitest::kWaitMs));
  EXPECT_EQ(w->parentWidget(), &owner);
  EXPECT_EQ(w->geometry(), QRect(anchor, QSize(128, 375)));
  // Kept above the owner, and no taskbar entry: a utility window owned by another (taskbars
  // list neither).
  EXPECT_EQ(input.TransientFor(w->winId()), Window(owner.winId()));
  uitest::XClient x(Server().Display());
  const auto types = x.WindowTypes(w->winId());
  ASSERT_FALSE(types.empty());
  EXPECT_EQ(types[0], "_NET_WM_WINDOW_TYPE_UTILITY");
  EXPECT_EQ(QGuiApplication::applicationState(), Qt::ApplicationActive);
  const QPoint o = anchor;

  // Onto item 1: its submenu beside it.
  input.Move(o + QPoint(60, 17 + 8));
  ASSERT_TRUE(QTest::qWaitFor([&] { return menu->OpenSubmenu() != nullptr; }, uitest::kWaitMs));
  QWidget* sub = menu->OpenSubmenu()->Window();
  ASSERT_TRUE(QTest::qWaitForWindowExposed(sub, uitest::kWaitMs));
  EXPECT_EQ(menu->OpenSubmenu()->MenuId(), 1);
  EXPECT_EQ(sub->geometry().topLeft(), o + QPoint(128, 17));
  EXPECT_EQ(sub->frameGeometry().topLeft(), o + QPoint(128, 17));  // no frame, exactly there

  // Right into the submenu, down to its fourth item.
  input.Move(o + QPoint(128 + 30, 17 + 8));
  input.Move(o + QPoint(128 + 30, 17 + 3 * 17 + 8));
  EXPECT_NE(menu->OpenSubmenu(), nullptr);
  SaveScreen(QStringLiteral("FunctionMenu"), QRect(o - QPoint(20, 20), QSize(300, 420)));
  owner.messages.clear();
  input.Click(o + QPoint(128 + 30, 17 + 3 * 17 + 8));
  ASSERT_TRUE(
      QTest::qWaitFor([&] { return !owner.Of(WM_BMPMENU_SELECT).empty(); }, uitest::kWaitMs));
  QTest::qWait(100);
  auto chosen = owner.Of(WM_BMPMENU_SELECT);
  ASSERT_EQ(chosen.size(), 1u);
  EXPECT_EQ(chosen[0].wParam, 0x00010003u);
  EXPECT_EQ(chosen[0].lParam, 0x00020005);

  // Back onto item 5: the submenu closes; a click there is a top-level choice.
  input.Move(o + QPoint(60, 5 * 17 + 8));
  EXPECT_TRUE(QTest::qWaitFor([&] { return menu->OpenSubmenu() == nullptr; }, uitest::kWaitMs));
  owner.messages.clear();
  input.Click(o + QPoint(60, 5 * 17 + 8));
  ASSERT_TRUE(
      QTest::qWaitFor([&] { return !owner.Of(WM_BMPMENU_SELECT).empty(); }, uitest::kWaitMs));
  chosen = owner.Of(WM_BMPMENU_SELECT);
  ASSERT_EQ(chosen.size(), 1u);
  EXPECT_EQ(chosen[0].wParam, 0x00050000u);
  EXPECT_EQ(chosen[0].lParam, 0x00060000);

  // Off the menu from an item whose submenu is open: the item's button says where the pointer
  // went, and the submenu closes.
  input.Move(o + QPoint(60, 2 * 17 + 8));
  ASSERT_TRUE(QTest::qWaitFor([&] { return menu->OpenSubmenu() != nullptr; }, uitest::kWaitMs));
  input.Move(o + QPoint(-40, 2 * 17 + 8));
  EXPECT_TRUE(QTest::qWaitFor([&] { return menu->OpenSubmenu() == nullptr; }, uitest::kWaitMs));

  menu->DestroyWindow();
  menu.reset();
  delete page;
}

// The macro manager's three levels.
std::unique_ptr<CMacroMenu> MakeMacroMenu(QWidget* dialog, QPoint at) {
  auto load = [](CMacroMenu& m, const char16_t* n, const char16_t* o, const char16_t* d) {
    m.LoadImages(SkinFile(n), SkinFile(o), SkinFile(d), SkinFile(n));
  };
  auto* buttons = new CMacroMenu();
  load(*buttons, u"Defualt\\MacroMenu\\Sub_Macro_menu_n.PNG", u"Defualt\\MacroMenu\\Sub_Macro_menu_o.PNG",
       u"Defualt\\MacroMenu\\Sub_Macro_menu_d.PNG");
  const MenuTextId names[] = {MenuTextId::MINOR_MACRO_INSERT_MOUSE_KEY_LEFT,
                              MenuTextId::MINOR_MACRO_INSERT_MOUSE_KEY_RIGHT,
                              MenuTextId::MINOR_MACRO_INSERT_MOUSE_KEY_MIDDLE,
                              MenuTextId::MINOR_MACRO_INSERT_MOUSE_KEY_FORWARD,
                              MenuTextId::MINOR_MACRO_INSERT_MOUSE_KEY_BACKWARED};
  for (int b = 0; b < 5; ++b) {
    auto* events = new CMacroMenu();
    load(*events, u"Defualt\\MacroMenu\\Sub2_Macro_menu_n.PNG",
         u"Defualt\\MacroMenu\\Sub2_Macro_menu_o.PNG", u"Defualt\\MacroMenu\\Sub2_Macro_menu_d.PNG");
    const int up = 6 + 3 * b;
    events->AddItem(Text(MenuTextId::SUBMINOR_MACRO_INSERT_MOUSE_KEY_DOWN), up + 1, false, nullptr);
    events->AddItem(Text(MenuTextId::SUBMINOR_MACRO_INSERT_MOUSE_KEY_UP), up, false, nullptr);
    events->AddItem(Text(MenuTextId::SUBMINOR_MACRO_INSERT_MOUSE_KEY_CLICK), up + 2, false, nullptr);
    buttons->AddItem(Text(names[b]), 0, true, events);
  }
  auto top = std::make_unique<CMacroMenu>(dialog);
  load(*top, u"Defualt\\MacroMenu\\Macro_menu_n.png", u"Defualt\\MacroMenu\\Macro_menu_o.png",
       u"Defualt\\MacroMenu\\Macro_menu_d.png");
  top->AddItem(Text(MenuTextId::MAJOR_MACRO_AT_BEFORE_RECORD), 1, false, nullptr);
  top->AddItem(Text(MenuTextId::MAJOR_MACRO_AT_AFTER_RECORD), 2, false, nullptr);
  top->AddItem(Text(MenuTextId::MAJOR_MACRO_INSERT_DELAY), 3, false, nullptr);
  top->AddItem(Text(MenuTextId::MAJOR_MACRO_INSERT_MOUSE_KEY), 0, true, buttons);
  top->AddItem(Text(MenuTextId::MAJOR_MACRO_EDIT_DELAY), 4, false, nullptr);
  top->AddItem(Text(MenuTextId::MAJOR_MACRO_DELETE), 5, false, nullptr);
  CBmpMenu::KeepOnScreen(at, 231, 264);
  top->SetPosition(at.x(), at.y());
  top->Create(dialog);
  return top;
}

TEST_F(X11Test, MacroMenu) {
  if (!WindowManaged()) GTEST_SKIP() << "openbox is not installed";
  const QPoint o = owner.mapToGlobal(QPoint(100, 60));
  auto top = MakeMacroMenu(&owner, o);
  ASSERT_TRUE(QTest::qWaitForWindowExposed(top->Window(), uitest::kWaitMs));
  EXPECT_EQ(top->Window()->geometry(), QRect(o, QSize(95, 103)));
  // Opening a menu does not take the activation from the owner.
  QTest::qWait(500);
  ASSERT_NE(top->Window(), nullptr);
  EXPECT_EQ(QGuiApplication::applicationState(), Qt::ApplicationActive);
  EXPECT_TRUE(owner.isActiveWindow());

  // Hover the fourth item, then the right button, then click its first item (down).
  input.Move(o + QPoint(40, 3 * 17 + 8));
  CMacroMenu* buttons = top->Items()[3].submenu;
  ASSERT_TRUE(QTest::qWaitFor([&] { return Shown(buttons->Window()); }, uitest::kWaitMs));
  ASSERT_TRUE(QTest::qWaitForWindowExposed(buttons->Window(), uitest::kWaitMs));
  EXPECT_EQ(buttons->Window()->geometry().topLeft(), o + QPoint(93, 51));
  input.Move(o + QPoint(94, 3 * 17 + 8));  // the overlap: on the item and on the submenu
  input.Move(o + QPoint(93 + 30, 3 * 17 + 8));
  input.Move(o + QPoint(93 + 30, 51 + 17 + 8));
  CMacroMenu* events = buttons->Items()[1].submenu;
  ASSERT_TRUE(QTest::qWaitFor([&] { return Shown(events->Window()); }, uitest::kWaitMs));
  ASSERT_TRUE(QTest::qWaitForWindowExposed(events->Window(), uitest::kWaitMs));
  EXPECT_EQ(events->Window()->geometry().topLeft(), o + QPoint(93 + 68, 51 + 17));
  input.Move(o + QPoint(93 + 68 + 30, 51 + 17 + 8));
  input.Move(o + QPoint(93 + 68 + 32, 51 + 17 + 9));
  EXPECT_TRUE(Shown(buttons->Window()));
  QTest::qWait(300);
  EXPECT_NE(top->Window(), nullptr) << "the menus stay open while they open";
  SaveScreen(QStringLiteral("MacroMenu"), QRect(o - QPoint(20, 20), QSize(280, 220)));
  owner.messages.clear();
  input.Click(o + QPoint(93 + 68 + 30, 51 + 17 + 8));
  ASSERT_TRUE(
      QTest::qWaitFor([&] { return !owner.Of(WM_MACROMENU_SELECT).empty(); }, uitest::kWaitMs));
  QTest::qWait(100);
  auto chosen = owner.Of(WM_MACROMENU_SELECT);
  ASSERT_EQ(chosen.size(), 1u);
  EXPECT_EQ(chosen[0].wParam, 0u);
  EXPECT_EQ(chosen[0].lParam, 10 << 16);
  top->DestroyWindow();
  top.reset();

  // Another client becomes active: the open tree goes.
  top = MakeMacroMenu(&owner, o);
  ASSERT_TRUE(QTest::qWaitForWindowExposed(top->Window(), uitest::kWaitMs));
  input.Move(o + QPoint(40, 3 * 17 + 8));
  ASSERT_TRUE(
      QTest::qWaitFor([&] { return Shown(top->Items()[3].submenu->Window()); }, uitest::kWaitMs));
  input.ActivateOtherClient();
  EXPECT_TRUE(QTest::qWaitFor([&] { return top->Window() == nullptr; }, uitest::kWaitMs));
  EXPECT_TRUE(top->Items().empty());
  top.reset();
  QTest::qWait(50);
  int menus = 0;
  for (QWidget* w : QApplication::topLevelWidgets()) menus += w->isVisible() && w != &owner ? 1 : 0;
  EXPECT_EQ(menus, 0);
}

// The tray menu under the pointer: what the X server shows of each item follows the selection
// (the inset colour of a selected item, the strip of an unselected one).
TEST_F(X11Test, TrayMenuShowsTheHoveredItemSelected) {
  const ui::IconTable icons(kProgramDir);
  const tagXPMENUITEM show{128, 128, Text(MenuTextId::ShowMainPanel)};
  const tagXPMENUITEM autorun{136, 136, Text(MenuTextId::EnableAutoRun)};
  const tagXPMENUITEM exit{128, 128, Text(MenuTextId::Exit)};
  CXPMenu menu(icons);
  menu.AppendItem(0x6002, &show);
  menu.AppendItem(0x6003, &autorun);
  menu.AppendSeparator();
  menu.AppendItem(0x6001, &exit);
  menu.TrackPopupMenu(owner.mapToGlobal(QPoint(200, 60)), &owner);
  ASSERT_TRUE(QTest::qWaitForWindowExposed(&menu, uitest::kWaitMs));
  uitest::XClient x(Server().Display());
  const QRgb strip = qRgb(0xDB, 0xD8, 0xD1);
  const QRgb inset = qRgb(0xB1, 0xB9, 0xCF);
  // The colour the screen shows one pixel inside the top-left corner of item `index`.
  const auto shown = [&](int index) {
    const QPoint at = menu.mapToGlobal(menu.ItemRect(index).topLeft() + QPoint(1, 1));
    return x.Capture(QRect(at, QSize(1, 1))).pixel(0, 0);
  };
  const auto looks = [&](std::vector<QRgb> expected) {
    return QTest::qWaitFor(
        [&] { return std::vector<QRgb>{shown(0), shown(1), shown(3)} == expected; },
        uitest::kWaitMs);
  };
  ASSERT_TRUE(looks({strip, strip, strip}));
  const QPoint centre = menu.mapToGlobal(menu.ItemRect(1).center());
  input.Move(centre);
  ASSERT_TRUE(QTest::qWaitFor([&] { return menu.Selected() == 1; }, uitest::kWaitMs));
  EXPECT_TRUE(looks({strip, inset, strip})) << "the hovered item is not shown selected";
  input.Move(menu.mapToGlobal(menu.ItemRect(3).center()));
  ASSERT_TRUE(QTest::qWaitFor([&] { return menu.Selected() == 3; }, uitest::kWaitMs));
  EXPECT_TRUE(looks({strip, strip, inset})) << "the selection did not move on the screen";
  SaveScreen(QStringLiteral("TrayMenu"), menu.geometry().adjusted(-10, -10, 10, 10));
  menu.close();
}

TEST_F(X11Test, Lists) {
  auto names = std::make_unique<CListBoxEx>();
  names->Create(QRect(10, 10, 160, 200), &owner);
  names->SetColors(0x00FFFFFF, 0x00F9C80E);
  names->SetEditable(1);
  for (const char* n : {"Macro 1", "Macro 2", "Macro 3"}) {
    names->AddItem(0, QString::fromLatin1(n), false);
  }
  auto events = std::make_unique<CListBoxEx>();
  events->Create(QRect(190, 10, 200, 200), &owner);
  events->SetColors(0x00FFFFFF, 0x00F9C80E);
  events->SetImages(SkinFile(u"Skin\\MacroKeyUp.png"), SkinFile(u"Skin\\MacroKeyDown.png"),
                    SkinFile(u"Skin\\MacroKeyDelay.png"), SkinFile(u"Skin\\MacroMouseUp.png"),
                    SkinFile(u"Skin\\MacroMouseDown.png"));
  struct Row {
    int type, value;
    const char* text;
  } rows[] = {{3, 0x41, "A"},         {4, 120, "120 ms"}, {2, 0x41, "A"},
              {6, 7, "Left down"},    {4, 35, "35 ms"},   {5, 6, "Left up"}};
  for (const Row& r : rows) {
    events->AddItem(ui::MakeLong(uint32_t(r.type), uint32_t(r.value)), QString::fromLatin1(r.text), false);
  }
  QTest::qWait(100);

  // A double-click on a name, "abc" typed, Enter.
  owner.messages.clear();
  input.DoubleClick(names->viewport()->mapToGlobal(QPoint(40, 16 + 8)));
  ASSERT_TRUE(QTest::qWaitFor([&] { return names->Editor() && names->Editor()->hasFocus(); },
                              uitest::kWaitMs));
  input.Type("abc");
  ASSERT_TRUE(QTest::qWaitFor([&] { return names->Editor()->text() == QStringLiteral("abc"); },
                              uitest::kWaitMs));
  // The delay editor opened from the program, for the screenshot of both lists.
  SaveScreen(QStringLiteral("NameListEditing"), owner.frameGeometry());
  input.Key(XK_Return);
  ASSERT_TRUE(
      QTest::qWaitFor([&] { return !owner.Of(WM_LBEX_EDITDONE).empty(); }, uitest::kWaitMs));
  QTest::qWait(100);
  auto done = owner.Of(WM_LBEX_EDITDONE);
  ASSERT_EQ(done.size(), 1u);
  EXPECT_EQ(done[0].wParam, ui::WPARAM(ui::HandleOf(names.get())));
  EXPECT_EQ(done[0].lParam, 1);
  EXPECT_EQ(names->GetText(1), QStringLiteral("abc"));

  // BeginEdit on a delay, "250" typed, Enter.
  owner.messages.clear();
  events->BeginEdit(4);
  ASSERT_TRUE(QTest::qWaitFor([&] { return events->Editor() && events->Editor()->hasFocus(); },
                              uitest::kWaitMs));
  input.Type("250");
  ASSERT_TRUE(QTest::qWaitFor([&] { return events->Editor()->text() == QStringLiteral("250"); },
                              uitest::kWaitMs));
  SaveScreen(QStringLiteral("EventListEditing"), owner.frameGeometry());
  input.Key(XK_Return);
  ASSERT_TRUE(
      QTest::qWaitFor([&] { return !owner.Of(WM_LBEX_EDITDONE).empty(); }, uitest::kWaitMs));
  EXPECT_EQ(events->GetText(4), QStringLiteral("250 ms"));
  EXPECT_EQ(events->GetItemData(4), ui::MakeLong(4, 250));
  QTest::qWait(100);
  EXPECT_EQ(owner.Of(WM_LBEX_EDITDONE).size(), 1u);
}

}  // namespace

int main(int argc, char** argv) {
  return XvfbQtTest::Main(argc, argv, XvfbQtTest::WindowManager::kOpenboxWhenInstalled);
}
