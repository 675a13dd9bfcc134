#include "skin/MacroMenu.h"

#include <gtest/gtest.h>

#include <QGuiApplication>

#include <memory>

#include "tests/skin/MenuTestSupport.h"
#include "tests/skin/SkinFixture.h"

namespace {

using menutest::Buttons;
using menutest::DrainAll;
using menutest::ItemCentre;
using menutest::RelayMove;
using uitest::Solid;

// The three levels the macro manager builds: six items of which the fourth opens five mouse
// buttons, each opening three events (down, up, click).
class MacroMenuTest : public skintest::SkinFixture {
 protected:
  void SetUp() override {
    ShowOwner(QRect(40, 40, 300, 200));
    for (const char* level : {"Macro_menu", "Sub_Macro_menu", "Sub2_Macro_menu"}) {
      const QSize size = QString::fromLatin1(level) == QStringLiteral("Macro_menu") ? QSize(95, 103)
                         : QString::fromLatin1(level) == QStringLiteral("Sub_Macro_menu")
                             ? QSize(70, 86)
                             : QSize(70, 52);
      for (const char* look : {"n", "o", "d"}) {
        dir.Save(QStringLiteral("Defualt/MacroMenu/%1_%2.PNG").arg(QString::fromLatin1(level), QString::fromLatin1(look)),
                 Solid(size.width(), size.height(), QColor(30, 30, 30)));
      }
    }
  }
  void Load(CMacroMenu& menu, const char* level) {
    auto path = [&](const char* look) {
      return dir.File(QStringLiteral("Defualt/MacroMenu/%1_%2.PNG").arg(QString::fromLatin1(level), QString::fromLatin1(look)));
    };
    menu.LoadImages(path("n"), path("o"), path("d"), path("n"));
  }
  std::unique_ptr<CMacroMenu> Make(QPoint origin) {
    auto* buttons = new CMacroMenu();
    Load(*buttons, "Sub_Macro_menu");
    for (int b = 0; b < 5; ++b) {
      auto* events = new CMacroMenu();
      Load(*events, "Sub2_Macro_menu");
      const int base = 6 + 3 * b;
      events->AddItem(QStringLiteral("down"), base + 1, false, nullptr);
      events->AddItem(QStringLiteral("up"), base, false, nullptr);
      events->AddItem(QStringLiteral("click"), base + 2, false, nullptr);
      buttons->AddItem(QStringLiteral("button %1").arg(b), 0, true, events);
    }
    auto top = std::make_unique<CMacroMenu>(&owner);
    Load(*top, "Macro_menu");
    top->AddItem(QStringLiteral("before"), 1, false, nullptr);
    top->AddItem(QStringLiteral("after"), 2, false, nullptr);
    top->AddItem(QStringLiteral("delay"), 3, false, nullptr);
    top->AddItem(QStringLiteral("mouse"), 0, true, buttons);
    top->AddItem(QStringLiteral("edit"), 4, false, nullptr);
    top->AddItem(QStringLiteral("delete"), 10, false, nullptr);
    top->SetPosition(origin.x(), origin.y());
    top->Create();
    return top;
  }
  static CMacroMenu* Sub(const CMacroMenu& menu, int item) { return menu.Items()[size_t(item)].submenu; }
  static bool Shown(const CMacroMenu* menu) { return menu && menu->Window() && menu->Window()->isVisible(); }
};

TEST_F(MacroMenuTest, LevelsCascadeAndFollowThePointer) {
  const QPoint o(300, 200);
  auto top = Make(o);
  QWidget* w = top->Window();
  ASSERT_NE(w, nullptr);
  EXPECT_EQ(w->geometry(), QRect(o, QSize(95, 103)));
  EXPECT_EQ(w->parentWidget(), &owner);
  CMacroMenu* buttons = Sub(*top, 3);
  EXPECT_EQ(buttons->Window(), nullptr);  // made on the first hover

  RelayMove(w, ItemCentre(o, 3, 95));
  ASSERT_TRUE(Shown(buttons));
  QWidget* buttonsWindow = buttons->Window();
  EXPECT_EQ(buttonsWindow->geometry(), QRect(o + QPoint(93, 51), QSize(70, 86)));
  EXPECT_EQ(buttonsWindow->parentWidget(), w);

  // Right along the item into the 2-pixel overlap, then a jump over it into the submenu: shown.
  RelayMove(w, o + QPoint(94, 55));
  EXPECT_TRUE(Shown(buttons));
  RelayMove(w, ItemCentre(o, 3, 95));
  RelayMove(w, o + QPoint(130, 60));
  EXPECT_TRUE(Shown(buttons));
  // Onto another item of the same level: hidden, the window kept.
  RelayMove(w, ItemCentre(o, 1, 95));
  EXPECT_FALSE(Shown(buttons));
  EXPECT_EQ(buttons->Window(), buttonsWindow);
  // Off the menu altogether: stays hidden; back on the item: the same window shown again.
  RelayMove(w, o + QPoint(-20, 60));
  EXPECT_FALSE(Shown(buttons));
  RelayMove(w, ItemCentre(o, 3, 95));
  EXPECT_TRUE(Shown(buttons));
  EXPECT_EQ(buttons->Window(), buttonsWindow);

  // The third level beside the second's item 1.
  const QPoint o2 = o + QPoint(93, 51);
  RelayMove(buttonsWindow, ItemCentre(o2, 1, 70));
  CMacroMenu* events = Sub(*buttons, 1);
  ASSERT_TRUE(Shown(events));
  EXPECT_EQ(events->Window()->geometry(), QRect(o2 + QPoint(68, 17), QSize(70, 52)));

  // Hiding a level hides every level below it.
  w->hide();
  EXPECT_FALSE(Shown(buttons));
  EXPECT_FALSE(Shown(events));
}

TEST_F(MacroMenuTest, ChoicesClimbToTheOwner) {
  const QPoint o(300, 200);
  auto top = Make(o);
  // An item that opens a submenu is no choice.
  uitest::Click(Buttons(top->Window())[3], QPoint(10, 8));
  DrainAll();
  EXPECT_TRUE(owner.Of(WM_MACROMENU_SELECT).empty());

  // A top-level item with command 10, and a third-level item with the same command.
  uitest::Click(Buttons(top->Window())[5], QPoint(10, 8));
  DrainAll();
  RelayMove(top->Window(), ItemCentre(o, 3, 95));
  CMacroMenu* buttons = Sub(*top, 3);
  RelayMove(buttons->Window(), ItemCentre(o + QPoint(93, 51), 1, 70));
  CMacroMenu* events = Sub(*buttons, 1);
  ASSERT_TRUE(Shown(events));
  uitest::Click(Buttons(events->Window())[0], QPoint(10, 8));  // right button down: 10
  DrainAll();
  auto posted = owner.Of(WM_MACROMENU_SELECT);
  ASSERT_EQ(posted.size(), 2u);
  EXPECT_EQ(posted[0].wParam, 0u);
  EXPECT_EQ(posted[0].lParam, 10 << 16);
  EXPECT_EQ(posted[1].wParam, posted[0].wParam);
  EXPECT_EQ(posted[1].lParam, posted[0].lParam);
}

TEST_F(MacroMenuTest, MenuMouseProcTearsTheTreeDown) {
  DrainAll();
  const int before = menutest::TopLevelsBesides({});
  auto top = Make(QPoint(300, 200));
  RelayMove(top->Window(), ItemCentre(QPoint(300, 200), 3, 95));
  ASSERT_TRUE(Shown(Sub(*top, 3)));
  EXPECT_EQ(CMacroMenu::MenuMouseProcMessage(),
            ui::RegisterWindowMessage(QStringLiteral("MenuMouseProc")));
  EXPECT_EQ(ui::SendMessage(top->Window(), CMacroMenu::MenuMouseProcMessage(), 0, 0), 1);
  EXPECT_EQ(top->Window(), nullptr);
  EXPECT_TRUE(top->Items().empty());
  DrainAll();
  EXPECT_EQ(menutest::TopLevelsBesides({}), before);
  top.reset();
}

TEST_F(MacroMenuTest, DeactivationThenTheOwnersClose) {
  DrainAll();
  const int before = menutest::TopLevelsBesides({});
  const QPoint o(300, 200);
  auto top = Make(o);
  RelayMove(top->Window(), ItemCentre(o, 3, 95));
  CMacroMenu* buttons = Sub(*top, 3);
  RelayMove(buttons->Window(), ItemCentre(o + QPoint(93, 51), 4, 70));
  ASSERT_TRUE(Shown(Sub(*buttons, 4)));

  // Another application becomes active: the tree goes, once.
  Q_EMIT qGuiApp->applicationStateChanged(Qt::ApplicationInactive);
  EXPECT_EQ(top->Window(), nullptr);
  EXPECT_TRUE(top->Items().empty());
  Q_EMIT qGuiApp->applicationStateChanged(Qt::ApplicationActive);
  // The owner closes the menu it still holds, as on WM_MACROMENU_CLOSE.
  if (top->Window()) top->DestroyWindow();
  top.reset();
  DrainAll();
  EXPECT_EQ(menutest::TopLevelsBesides({}), before);
}

TEST_F(MacroMenuTest, ALevelShowsItsFirst41Items) {
  CMacroMenu menu(&owner);
  Load(menu, "Macro_menu");
  for (int i = 0; i < 42; ++i) menu.AddItem(QStringLiteral("item"), i + 1, false, nullptr);
  menu.Create();
  EXPECT_EQ(menu.ButtonCount(), 41);
  EXPECT_EQ(Buttons(menu.Window()).size(), 41u);
}

TEST_F(MacroMenuTest, AMissingSheetGivesAWindowOfNoSize) {
  CMacroMenu menu(&owner);
  menu.LoadImages(dir.File("none.png"), dir.File("none.png"), dir.File("none.png"), QString());
  menu.AddItem(QString(300, u'n'), 1, false, nullptr);
  EXPECT_EQ(QString::fromUtf16(menu.Items()[0].name), QString(259, u'n'));
  menu.Create();
  ASSERT_NE(menu.Window(), nullptr);
  EXPECT_EQ(menu.Window()->size(), QSize(0, 0));
}

}  // namespace
