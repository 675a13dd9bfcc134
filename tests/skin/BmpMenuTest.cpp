#include "skin/BmpMenu.h"

#include <gtest/gtest.h>

#include <QMouseEvent>

#include <memory>

#include "platform/ui/ScreenMetrics.h"
#include "tests/skin/MenuTestSupport.h"
#include "tests/skin/SkinFixture.h"

namespace {

using menutest::Buttons;
using menutest::DrainAll;
using menutest::ItemCentre;
using menutest::RelayMove;
using uitest::Solid;

const QRgb kMenuNormal = qRgb(40, 40, 40);
const QRgb kFrame = qRgb(0x1F, 0x8B, 0xE5);
const QRgb kBody = qRgb(0x33, 0x33, 0x33);

TEST(KeepOnScreenTest, FlipsThePointAcrossItsAnchor) {
  ui::ScopedFullScreenSize screen(QSize(1024, 768));
  struct Case {
    QPoint in;
    int w, h;
    QPoint out;
  } cases[] = {
      {{100, 100}, 128, 375, {100, 100}},
      {{1014, 100}, 128, 375, {886, 100}},   // 10 pixels from the edge: 128 to the left
      {{896, 393}, 128, 375, {896, 393}},    // exactly at both edges
      {{897, 394}, 128, 375, {769, 19}},
      {{100, 700}, 231, 264, {100, 436}},
      {{1000, 760}, 231, 264, {769, 496}},
  };
  for (const Case& c : cases) {
    QPoint p = c.in;
    CBmpMenu::KeepOnScreen(p, c.w, c.h);
    EXPECT_EQ(p, c.out) << c.in.x() << "," << c.in.y();
  }
}

TEST(SubBmpMenuTest, SetPositionKeepsTheBottomAndTheTopOnTheScreen) {
  struct Case {
    int screenHeight;
    int items;
    QPoint in;
    QPoint out;
  } cases[] = {
      {768, 3, {900, 100}, {900, 100}},
      {768, 10, {900, 700}, {900, 596}},   // 172 high: moved up to end at the bottom
      {768, 10, {900, 596}, {900, 596}},
      {768, 50, {20, 300}, {20, 69}},      // 41 items shown: 699 high
      {500, 41, {20, 300}, {20, 0}},       // taller than the screen: the top stays on it
      {768, 0, {5, 767}, {5, 766}},
  };
  for (const Case& c : cases) {
    ui::ScopedFullScreenSize screen(QSize(1024, c.screenHeight));
    auto items = std::make_shared<BmpMenuItemList>(size_t(c.items));
    CSubBmpMenu sub(0, items);
    sub.SetPosition(c.in.x(), c.in.y());
    EXPECT_EQ(sub.Position(), c.out) << c.items << " items at " << c.in.y();
  }
}

class BmpMenuTest : public skintest::SkinFixture {
 protected:
  void SetUp() override {
    ShowOwner(QRect(40, 40, 300, 200));
    menuSheet = dir.Save("Defualt/button_menu_n.png", Solid(128, 375, QColor(kMenuNormal)));
    overSheet = dir.Save("Defualt/button_menu_o.png", Solid(128, 375, Qt::green));
    downSheet = dir.Save("Defualt/button_menu_d.png", Solid(128, 375, Qt::blue));
    // Wider than the 128 pixels the function menu itself has.
    subSheet = dir.Save("Defualt/sub_menu_n.png", Solid(150, 40, Qt::red));
  }

  // A menu at `origin` as the button page fills it: 22 items with codes 1 to 22, the first five
  // with sub-items (item k has 3 + k sub-items coded 10 k + j).
  std::unique_ptr<CBmpMenu> Make(QPoint origin, int items = 22) {
    auto menu = std::make_unique<CBmpMenu>();
    menu->LoadImages(menuSheet, overSheet, downSheet, menuSheet);
    menu->LoadSubMenuImages(subSheet, subSheet, subSheet, subSheet);
    menu->SetPosition(origin.x(), origin.y());
    for (int i = 0; i < items; ++i) menu->AddItem(QStringLiteral("item %1").arg(i), i + 1);
    for (int k = 0; k < 5 && k < items; ++k) {
      for (int j = 0; j < 3 + k; ++j) menu->AddSubItem(k, QStringLiteral("sub %1").arg(j), 10 * k + j);
    }
    menu->Create(&owner);
    return menu;
  }

  QString menuSheet, overSheet, downSheet, subSheet;
  ui::ScopedFullScreenSize screen{QSize(1024, 768)};
};

TEST_F(BmpMenuTest, WindowIsATopLevelToolWindowOfTheOwnerAtTheGivenPlace) {
  auto menu = Make(QPoint(300, 200));
  QWidget* w = menu->Window();
  ASSERT_NE(w, nullptr);
  EXPECT_TRUE(w->isWindow());
  EXPECT_EQ(w->parentWidget(), &owner);
  EXPECT_EQ(w->windowType(), Qt::Tool);
  EXPECT_TRUE(w->windowFlags() & Qt::FramelessWindowHint);
  EXPECT_TRUE(w->windowFlags() & Qt::WindowDoesNotAcceptFocus);
  EXPECT_TRUE(w->testAttribute(Qt::WA_ShowWithoutActivating));
  EXPECT_EQ(w->geometry(), QRect(300, 200, 128, 375));
  EXPECT_TRUE(w->isVisible());
  EXPECT_EQ(uitest::Render(*w).pixel(64, 374), kMenuNormal);
  ASSERT_EQ(Buttons(w).size(), 22u);
  EXPECT_EQ(Buttons(w)[3]->geometry(), QRect(0, 51, 128, 17));
}

TEST_F(BmpMenuTest, PointerPathsOpenAndCloseSubmenus) {
  const QPoint o(300, 200);
  auto menu = Make(o);
  QWidget* w = menu->Window();
  // Onto item 1: its submenu opens beside it, as wide as the submenu sheet.
  RelayMove(w, ItemCentre(o, 1, 128));
  CSubBmpMenu* sub = menu->OpenSubmenu();
  ASSERT_NE(sub, nullptr);
  EXPECT_EQ(sub->MenuId(), 1);
  EXPECT_EQ(sub->Window()->geometry(), QRect(o.x() + 150, o.y() + 17, 150, 17 * 4 + 2));
  EXPECT_EQ(menu->Items()[1].submenuOpen, 1);
  // Along the same item: nothing changes.
  RelayMove(w, o + QPoint(120, 17 + 2));
  EXPECT_EQ(menu->OpenSubmenu(), sub);
  // Out of the item into the submenu: it stays.
  RelayMove(w, o + QPoint(200, 40));
  EXPECT_EQ(menu->OpenSubmenu(), sub);
  // Onto item 3, which has sub-items: item 1's closes, item 3's opens.
  RelayMove(w, ItemCentre(o, 3, 128));
  ASSERT_NE(menu->OpenSubmenu(), nullptr);
  EXPECT_EQ(menu->OpenSubmenu()->MenuId(), 3);
  EXPECT_EQ(menu->Items()[1].submenuOpen, 0);
  EXPECT_EQ(menu->Items()[3].submenuOpen, 1);
  // Onto item 8, which has none: closed.
  RelayMove(w, ItemCentre(o, 8, 128));
  EXPECT_EQ(menu->OpenSubmenu(), nullptr);
  EXPECT_EQ(menu->Items()[3].submenuOpen, 0);
  // From item 0 off the menu and away from the submenu: closed.
  RelayMove(w, ItemCentre(o, 0, 128));
  ASSERT_NE(menu->OpenSubmenu(), nullptr);
  RelayMove(w, o + QPoint(-30, 5));
  EXPECT_EQ(menu->OpenSubmenu(), nullptr);
  EXPECT_EQ(menu->Items()[0].submenuOpen, 0);
}

TEST_F(BmpMenuTest, TheMenusOwnMovesAreTakenInScreenCoordinates) {
  // Three items leave most of the sheet to the menu itself. The menu lies where its client
  // point (10, 200), read as a screen point, would be on item 0.
  const QPoint o(0, 190);
  auto menu = Make(o, 3);
  QWidget* w = menu->Window();
  RelayMove(w, ItemCentre(o, 0, 128));
  ASSERT_NE(menu->OpenSubmenu(), nullptr);
  const QPoint client(10, 200);
  QMouseEvent move(QEvent::MouseMove, QPointF(client), QPointF(w->mapToGlobal(client)), Qt::NoButton,
                   Qt::NoButton, Qt::NoModifier);
  QApplication::sendEvent(w, &move);
  EXPECT_EQ(menu->OpenSubmenu(), nullptr);
}

TEST_F(BmpMenuTest, ChoicesReachTheOwnerPacked) {
  const QPoint o(300, 200);
  struct Case {
    const char* name;
    int item;       // the item clicked, or hovered first for a sub-item
    int subItem;    // -1: the item itself
    int extraCode;  // code of a fourth sub-item of item 0; 0: none
    ui::WPARAM wParam;
    ui::LPARAM lParam;
  } cases[] = {
      {"plain item", 5, -1, 0, 0x00050000, 0x00060000},
      {"sub-item 3 of item 0 with code 12", 0, 3, 12, 0x00000003, (1 << 16) | 12},
      {"sub-item 3 of item 1", 1, 3, 0, 0x00010003, (2 << 16) | 13},
      {"code above 0xFFFF", 0, 3, 0x10005, 0x00000003, (1 << 16) | 0x0005},
  };
  for (const Case& c : cases) {
    auto m = std::make_unique<CBmpMenu>();
    m->LoadImages(menuSheet, overSheet, downSheet, menuSheet);
    m->LoadSubMenuImages(subSheet, subSheet, subSheet, subSheet);
    m->SetPosition(o.x(), o.y());
    for (int i = 0; i < 22; ++i) m->AddItem(QStringLiteral("item %1").arg(i), i + 1);
    for (int k = 1; k < 5; ++k) {
      for (int j = 0; j < 3 + k; ++j) m->AddSubItem(k, QStringLiteral("sub"), 10 * k + j);
    }
    for (int j = 0; j < 3; ++j) m->AddSubItem(0, QStringLiteral("sub"), j);
    if (c.extraCode) m->AddSubItem(0, QStringLiteral("extra"), c.extraCode);
    m->Create(&owner);
    owner.messages.clear();
    if (c.subItem < 0) {
      uitest::Click(Buttons(m->Window())[size_t(c.item)], QPoint(20, 8));
    } else {
      RelayMove(m->Window(), ItemCentre(o, c.item, 128));
      ASSERT_NE(m->OpenSubmenu(), nullptr) << c.name;
      uitest::Click(Buttons(m->OpenSubmenu()->Window())[size_t(c.subItem)], QPoint(20, 8));
    }
    DrainAll();
    auto posted = owner.Of(WM_BMPMENU_SELECT);
    ASSERT_EQ(posted.size(), 1u) << c.name;
    EXPECT_EQ(posted[0].wParam, c.wParam) << c.name;
    EXPECT_EQ(posted[0].lParam, c.lParam) << c.name;
  }

  // An item code above 16 bits keeps its low 16 bits.
  auto wide = std::make_unique<CBmpMenu>();
  wide->LoadImages(menuSheet, overSheet, downSheet, menuSheet);
  wide->AddItem(QStringLiteral("wide"), 0x12345);
  wide->Create(&owner);
  owner.messages.clear();
  uitest::Click(Buttons(wide->Window())[0], QPoint(20, 8));
  DrainAll();
  ASSERT_EQ(owner.Of(WM_BMPMENU_SELECT).size(), 1u);
  EXPECT_EQ(owner.Of(WM_BMPMENU_SELECT)[0].lParam, 0x23450000);
}

TEST_F(BmpMenuTest, ItemsThatOpenASubmenuAreNoChoice) {
  auto menu = Make(QPoint(300, 200));
  owner.messages.clear();
  uitest::Click(Buttons(menu->Window())[2], QPoint(20, 8));
  DrainAll();
  EXPECT_TRUE(owner.Of(WM_BMPMENU_SELECT).empty());
}

TEST_F(BmpMenuTest, ARelayedChoiceThatNamesNoItemPostsNothing) {
  auto menu = Make(QPoint(300, 200));
  owner.messages.clear();
  ui::PostMessage(menu->Window(), WM_BMPSUBMENU_SELECT, ui::MakeLong(2, 30), 7);
  DrainAll();
  EXPECT_TRUE(owner.Of(WM_BMPMENU_SELECT).empty());
}

TEST_F(BmpMenuTest, ALevelShowsItsFirst41Items) {
  auto menu = std::make_unique<CBmpMenu>();
  menu->LoadImages(menuSheet, overSheet, downSheet, menuSheet);
  menu->LoadSubMenuImages(subSheet, subSheet, subSheet, subSheet);
  for (int i = 0; i < 42; ++i) menu->AddItem(QStringLiteral("item"), i);
  for (int j = 0; j < 42; ++j) menu->AddSubItem(0, QStringLiteral("sub"), j);
  menu->Create(&owner);
  EXPECT_EQ(menu->ButtonCount(), 41);
  EXPECT_EQ(Buttons(menu->Window()).size(), 41u);
  RelayMove(menu->Window(), ItemCentre(QPoint(0, 0), 0, 128));
  ASSERT_NE(menu->OpenSubmenu(), nullptr);
  EXPECT_EQ(menu->OpenSubmenu()->ButtonCount(), 41);
  EXPECT_EQ(menu->OpenSubmenu()->Window()->height(), 17 * 41 + 2);
}

TEST_F(BmpMenuTest, SubmenuPicturesAreAsWideAsTheSheet) {
  auto items = std::make_shared<BmpMenuItemList>(size_t(3));
  const QImage sheet = Solid(150, 40, Qt::red);
  CSubBmpMenu sub(0, items);
  sub.SetImages(0, 0, 150, 40, &sheet, &sheet, &sheet, &sheet);
  sub.BuildItemPictures();
  const QImage& n = sub.NormalPicture();
  const QImage& h = sub.HighlightedPicture();
  ASSERT_EQ(n.size(), QSize(150, 17 * 3 + 2));
  ASSERT_EQ(h.size(), n.size());
  struct Probe {
    QPoint at;
    QRgb normal, highlighted;
  } probes[] = {
      {{0, 0}, kFrame, kFrame},     {{1, 1}, kBody, kBody},       {{2, 2}, kBody, kFrame},
      {{75, 26}, kBody, kFrame},    {{149, 30}, kFrame, kFrame},  {{148, 30}, kBody, kBody},
      {{147, 30}, kBody, kFrame},   {{140, 52}, kFrame, kFrame},  {{140, 51}, kBody, kBody},
  };
  for (const Probe& p : probes) {
    EXPECT_EQ(n.pixel(p.at), p.normal) << p.at.x() << "," << p.at.y();
    EXPECT_EQ(h.pixel(p.at), p.highlighted) << p.at.x() << "," << p.at.y();
  }
  // The items are drawn across the whole width.
  sub.SetPosition(100, 100);
  sub.Create(&owner);
  const auto buttons = Buttons(sub.Window());
  ASSERT_EQ(buttons.size(), 3u);
  EXPECT_EQ(uitest::Render(*buttons[1]).pixel(147, 8), kBody);
  sub.DestroyWindow();
}

TEST_F(BmpMenuTest, BadInput) {
  // A missing sheet gives a window of no size.
  CBmpMenu missing;
  missing.LoadImages(dir.File("none.png"), dir.File("none.png"), dir.File("none.png"),
                     dir.File("none.png"));
  missing.AddItem(QStringLiteral("a"), 1);
  missing.Create(&owner);
  ASSERT_NE(missing.Window(), nullptr);
  EXPECT_EQ(missing.Window()->size(), QSize(0, 0));

  // Indices that name no item are ignored; texts are cut to 259 units.
  CBmpMenu menu;
  menu.AddItem(QString(300, u'x'), 1);
  menu.AddSubItem(-1, QStringLiteral("a"), 1);
  menu.AddSubItem(1, QStringLiteral("a"), 1);
  menu.ClearSubItems(5);
  menu.AddSubItem(0, QString(300, u'y'), 2);
  ASSERT_EQ(menu.Items().size(), 1u);
  EXPECT_EQ(QString::fromUtf16(menu.Items()[0].text), QString(259, u'x'));
  ASSERT_EQ(menu.Items()[0].subItems->size(), 1u);
  EXPECT_EQ(QString::fromUtf16((*menu.Items()[0].subItems)[0].text), QString(259, u'y'));
}

TEST_F(BmpMenuTest, ClearedSubItemsMakeAPlainItem) {
  const QPoint o(300, 200);
  auto menu = std::make_unique<CBmpMenu>();
  menu->LoadImages(menuSheet, overSheet, downSheet, menuSheet);
  menu->LoadSubMenuImages(subSheet, subSheet, subSheet, subSheet);
  menu->SetPosition(o.x(), o.y());
  menu->AddItem(QStringLiteral("macro"), 1);
  menu->AddSubItem(0, QStringLiteral("old"), 5);
  menu->ClearSubItems(0);
  EXPECT_EQ(menu->Items()[0].hasSubItems, 0);
  ASSERT_NE(menu->Items()[0].subItems, nullptr);  // kept for reuse
  EXPECT_TRUE(menu->Items()[0].subItems->empty());
  menu->Create(&owner);
  RelayMove(menu->Window(), ItemCentre(o, 0, 128));
  EXPECT_EQ(menu->OpenSubmenu(), nullptr);
  owner.messages.clear();
  uitest::Click(Buttons(menu->Window())[0], QPoint(20, 8));
  DrainAll();
  EXPECT_EQ(owner.Of(WM_BMPMENU_SELECT).size(), 1u);
}

TEST_F(BmpMenuTest, TeardownLeavesNoWindow) {
  DrainAll();
  const int before = menutest::TopLevelsBesides({});
  auto menu = Make(QPoint(300, 200));
  RelayMove(menu->Window(), ItemCentre(QPoint(300, 200), 2, 128));
  ASSERT_NE(menu->OpenSubmenu(), nullptr);
  menu->DestroyWindow();
  EXPECT_EQ(menu->Window(), nullptr);
  EXPECT_EQ(menu->OpenSubmenu(), nullptr);
  EXPECT_TRUE(menu->Items().empty());
  // Messages still queued for the windows find nothing.
  menu.reset();
  DrainAll();
  EXPECT_EQ(menutest::TopLevelsBesides({}), before);
}

}  // namespace
