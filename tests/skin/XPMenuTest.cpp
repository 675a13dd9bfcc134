// The tray's owner-drawn popup menu: how one item looks, and how the menu is tracked.
#include <gtest/gtest.h>

#include <QApplication>
#include <QKeyEvent>
#include <QPainter>

#include "platform/ui/IconTable.h"
#include "skin/XPMenu.h"
#include "tests/platform/ui/QtTestSupport.h"

namespace {

constexpr int kIcon = 300;      // a 16x16 test icon whose top-left pixel is marked
constexpr int kMissing = 301;   // no file
const QRgb kIconBody = qRgb(0x20, 0xC0, 0x20);
const QRgb kIconCorner = qRgb(0xFF, 0x00, 0x80);
const QRgb kStrip = qRgb(0xDB, 0xD8, 0xD1);
const QRgb kBody = qRgb(0xF9, 0xF8, 0xF7);
const QRgb kInset = qRgb(0xB1, 0xB9, 0xCF);
const QRgb kBlack = qRgb(0, 0, 0);

class XPMenuTest : public ::testing::Test {
 protected:
  XPMenuTest() : icons(dir.Path()) {
    QImage icon = uitest::Solid(16, 16, QColor(kIconBody));
    icon.setPixel(0, 0, kIconCorner);
    dir.Save(QStringLiteral("Icons/%1.png").arg(kIcon), icon);
  }

  // One item drawn alone into a 100x22 image over a grey that shows what is left unpainted.
  QImage Draw(const tagXPMENUITEM* item, bool selected) {
    CXPMenu menu(icons);
    QImage image(100, 22, QImage::Format_RGB32);
    image.fill(qRgb(0x55, 0x55, 0x55));
    QPainter painter(&image);
    menu.DrawItem(painter, QRect(0, 0, 100, 22), item, selected);
    return image;
  }

  uitest::TempDir dir;
  ui::IconTable icons;
};

// --- Drawing ---------------------------------------------------------------------------------

struct PixelCase {
  const char* what;
  bool selected;
  int icon;
  QPoint at;
  QRgb expected;
};

TEST_F(XPMenuTest, DrawsStripBodyFrameInsetAndIconAtTheirPlaces) {
  const PixelCase cases[] = {
      {"strip", false, kIcon, {0, 0}, kStrip},
      {"strip, last column", false, kIcon, {24, 21}, kStrip},
      {"body, first column", false, kIcon, {25, 0}, kBody},
      {"body, right edge", false, kIcon, {99, 21}, kBody},
      {"icon top-left", false, kIcon, {3, 3}, kIconCorner},
      {"icon body", false, kIcon, {18, 18}, kIconBody},
      {"left of the icon", false, kIcon, {2, 3}, kStrip},
      {"below the icon", false, kIcon, {3, 19}, kStrip},
      {"missing icon leaves the strip", false, kMissing, {3, 3}, kStrip},
      {"frame top-left", true, kIcon, {0, 0}, kBlack},
      {"frame bottom-right", true, kIcon, {99, 21}, kBlack},
      {"frame on the strip's edge", true, kIcon, {25, 0}, kBlack},
      {"inset", true, kIcon, {1, 1}, kInset},
      {"inset, right", true, kIcon, {98, 20}, kInset},
      {"selected icon one pixel up and left", true, kIcon, {2, 2}, kIconCorner},
      {"selected icon body", true, kIcon, {17, 17}, kIconBody},
      {"nothing at the unselected place", true, kIcon, {18, 18}, kInset},
      {"missing icon leaves the inset", true, kMissing, {2, 2}, kInset},
  };
  for (const PixelCase& c : cases) {
    const tagXPMENUITEM item{c.icon, c.icon, QString()};
    EXPECT_EQ(Draw(&item, c.selected).pixel(c.at), c.expected) << c.what;
  }
}

TEST_F(XPMenuTest, NullItemDataDrawsNothing) {
  for (bool selected : {false, true}) {
    const QImage image = Draw(nullptr, selected);
    EXPECT_EQ(image, uitest::Solid(100, 22, QColor(0x55, 0x55, 0x55))
                         .convertToFormat(QImage::Format_RGB32));
  }
}

// Columns of `image` in [from, to) that hold a dark (text) pixel.
bool HasInk(const QImage& image, int from, int to, QRgb background) {
  for (int x = from; x < to; ++x) {
    for (int y = 1; y < image.height() - 1; ++y) {
      if (image.pixel(x, y) != background && qGray(image.pixel(x, y)) < 128) return true;
    }
  }
  return false;
}

TEST_F(XPMenuTest, TextStartsAt33OnOneLineAndIsCutAtTheRightEdge) {
  const tagXPMENUITEM shortItem{kMissing, kMissing, QStringLiteral("退出")};
  const QImage image = Draw(&shortItem, false);
  EXPECT_FALSE(HasInk(image, 25, 33, kBody)) << "nothing before the text's left edge";
  EXPECT_TRUE(HasInk(image, 33, 60, kBody));

  // A text far longer than the item: drawn up to the edge, nothing beyond it, no second line.
  const tagXPMENUITEM longItem{kMissing, kMissing, QString(40, QChar(u'W'))};
  CXPMenu menu(icons);
  QImage wide(140, 22, QImage::Format_RGB32);
  wide.fill(qRgb(0x55, 0x55, 0x55));
  QPainter painter(&wide);
  menu.DrawItem(painter, QRect(0, 0, 100, 22), &longItem, false);
  painter.end();
  EXPECT_TRUE(HasInk(wide, 90, 100, kBody)) << "the text runs up to the edge";
  for (int x = 100; x < 140; ++x) {
    for (int y = 0; y < 22; ++y) ASSERT_EQ(wide.pixel(x, y), qRgb(0x55, 0x55, 0x55));
  }
}

TEST_F(XPMenuTest, TheDefaultTextsFitAndAreBlackInBothLooks) {
  for (const QString& text : {QStringLiteral("显示主界面"), QStringLiteral("开机自动运行"),
                              QStringLiteral("退出")}) {
    const QFontMetrics metrics(CXPMenu(icons).font());
    EXPECT_LE(metrics.horizontalAdvance(text), 100 - 33) << text.toStdString();
    for (bool selected : {false, true}) {
      const tagXPMENUITEM item{kMissing, kMissing, text};
      const QImage image = Draw(&item, selected);
      bool black = false;
      for (int x = 33; x < 100; ++x) {
        for (int y = 0; y < 22; ++y) black = black || image.pixel(x, y) == kBlack;
      }
      EXPECT_TRUE(black) << text.toStdString() << " selected " << selected;
    }
  }
}

TEST_F(XPMenuTest, EveryItemMeasures100By22AndSeparatorsAreNeverSelected) {
  CXPMenu menu(icons);
  const tagXPMENUITEM a{kIcon, kIcon, QStringLiteral("a")};
  const tagXPMENUITEM b{kIcon, kIcon, QString(200, QChar(u'x'))};
  EXPECT_EQ(menu.MeasureItem(&a), QSize(100, 22));
  EXPECT_EQ(menu.MeasureItem(&b), QSize(100, 22));
  menu.AppendItem(1, &a);
  menu.AppendSeparator();
  menu.AppendItem(2, &b);
  EXPECT_EQ(menu.ItemRect(0).size(), QSize(100, 22));
  EXPECT_EQ(menu.ItemRect(1).size(), QSize(100, CXPMenu::kSeparatorHeight));
  EXPECT_EQ(menu.ItemRect(2).top(), menu.ItemRect(1).bottom() + 1);
  EXPECT_EQ(menu.size(), QSize(102, 22 + CXPMenu::kSeparatorHeight + 22 + 2));
}

// --- Tracking --------------------------------------------------------------------------------

class XPMenuTrackingTest : public XPMenuTest {
 protected:
  XPMenuTrackingTest() : menu(icons) {
    menu.AppendItem(0x6002, &show);
    menu.AppendItem(0x6003, &autorun);
    menu.AppendSeparator();
    menu.AppendItem(0x6001, &exit);
    menu.TrackPopupMenu(QPoint(200, 150), &owner);
    uitest::Drain();
  }
  ~XPMenuTrackingTest() override { menu.close(); }

  QPoint Centre(int index) const { return menu.ItemRect(index).center(); }
  std::vector<uint16_t> Commands() const {
    std::vector<uint16_t> out;
    for (const uitest::Message& m : owner.Of(ui::WM_COMMAND)) out.push_back(ui::LoWord(m.wParam));
    return out;
  }
  void Key(int key) {
    QKeyEvent press(QEvent::KeyPress, key, Qt::NoModifier);
    QApplication::sendEvent(&menu, &press);
  }

  tagXPMENUITEM show{128, 128, QStringLiteral("显示主界面")};
  tagXPMENUITEM autorun{135, 135, QStringLiteral("开机自动运行")};
  tagXPMENUITEM exit{128, 128, QStringLiteral("退出")};
  uitest::MessageRecorder owner;
  CXPMenu menu;
};

TEST_F(XPMenuTrackingTest, HoverSelectsTheItemUnderThePointerButNeverTheSeparator) {
  EXPECT_TRUE(menu.isVisible());
  EXPECT_EQ(menu.pos(), QPoint(200, 150));
  EXPECT_EQ(menu.Selected(), -1);
  uitest::Move(&menu, Centre(1));
  EXPECT_EQ(menu.Selected(), 1);
  uitest::Move(&menu, Centre(2));
  EXPECT_EQ(menu.Selected(), -1);
  uitest::Move(&menu, Centre(3));
  EXPECT_EQ(menu.Selected(), 3);
  const QImage shot = uitest::Render(menu);
  EXPECT_EQ(shot.pixel(menu.ItemRect(3).topLeft() + QPoint(1, 1)), kInset);
  EXPECT_EQ(shot.pixel(menu.ItemRect(0).topLeft() + QPoint(1, 1)), kStrip);
}

TEST_F(XPMenuTrackingTest, LeftOrRightButtonChoosesAndTheCommandArrivesAfterTheMenuClosed) {
  for (Qt::MouseButton button : {Qt::LeftButton, Qt::RightButton}) {
    owner.messages.clear();
    menu.TrackPopupMenu(QPoint(200, 150), &owner);
    uitest::Drain();
    uitest::Mouse(&menu, QEvent::MouseButtonPress, Centre(1), button, button);
    uitest::Mouse(&menu, QEvent::MouseButtonRelease, Centre(1), button, Qt::NoButton);
    EXPECT_FALSE(menu.isVisible());
    EXPECT_TRUE(owner.messages.empty()) << "posted, not sent";
    uitest::Drain();
    EXPECT_EQ(Commands(), std::vector<uint16_t>{0x6003});
    EXPECT_EQ(owner.messages[0].lParam, 0);
  }
}

TEST_F(XPMenuTrackingTest, TheReleaseOfTheOpeningPressChoosesNothing) {
  uitest::Mouse(&menu, QEvent::MouseButtonRelease, Centre(0), Qt::RightButton, Qt::NoButton);
  uitest::Drain();
  EXPECT_TRUE(menu.isVisible());
  EXPECT_TRUE(Commands().empty());
}

TEST_F(XPMenuTrackingTest, EscapeClickOutsideAndTheSeparatorChooseNothing) {
  uitest::Press(&menu, Centre(2));
  uitest::Release(&menu, Centre(2));
  EXPECT_TRUE(menu.isVisible()) << "a separator is not chosen";
  Key(Qt::Key_Escape);
  EXPECT_FALSE(menu.isVisible());

  menu.TrackPopupMenu(QPoint(200, 150), &owner);
  uitest::Drain();
  uitest::Press(&menu, QPoint(-20, 5));
  EXPECT_FALSE(menu.isVisible());
  uitest::Drain();
  EXPECT_TRUE(Commands().empty());
}

TEST_F(XPMenuTrackingTest, KeysMoveOverTheSeparatorAndEnterChooses) {
  Key(Qt::Key_Down);
  EXPECT_EQ(menu.Selected(), 0);
  Key(Qt::Key_Down);
  Key(Qt::Key_Down);
  EXPECT_EQ(menu.Selected(), 3);
  Key(Qt::Key_Down);
  EXPECT_EQ(menu.Selected(), 0) << "wraps";
  Key(Qt::Key_Up);
  EXPECT_EQ(menu.Selected(), 3);
  Key(Qt::Key_Return);
  EXPECT_FALSE(menu.isVisible());
  uitest::Drain();
  EXPECT_EQ(Commands(), std::vector<uint16_t>{0x6001});
}

TEST(XPMenuPlacementTest, KeepsTheMenuOnTheScreen) {
  const QRect screen(0, 0, 800, 600);
  const QSize size(102, 76);
  struct Case {
    QPoint at;
    QPoint expected;
  } cases[] = {
      {{100, 100}, {100, 100}},   // fits: top-left at the point
      {{790, 100}, {688, 100}},   // right edge: to the left of the point
      {{100, 595}, {100, 519}},   // bottom: above the point
      {{795, 598}, {693, 522}},   // the corner where a tray usually sits
      {{-50, -20}, {0, 0}},       // off the top-left: inside
      {{50, 10}, {50, 10}},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(CXPMenu::PlaceOnScreen(c.at, size, screen), c.expected)
        << c.at.x() << "," << c.at.y();
  }
}

TEST(IconTableTest, ReadsIconsFromTheProgramFolderAndMissingGivesNone) {
  uitest::TempDir dir;
  dir.Save(QStringLiteral("Icons/135.png"), uitest::Solid(16, 16, Qt::red));
  dir.Write(QStringLiteral("Icons/136.png"), "not a picture");
  const ui::IconTable icons(dir.Path());
  EXPECT_EQ(icons.Icon(135).size(), QSize(16, 16));
  EXPECT_EQ(icons.Icon(0x10000 | 135).size(), QSize(16, 16)) << "low 16 bits";
  EXPECT_TRUE(icons.Icon(136).isNull());
  EXPECT_TRUE(icons.Icon(128).isNull());
}

// The window's icon and the tray's, pixmaps of the same icon, share the table's pixels, and the
// icon draws as the file's picture.
TEST(IconTableTest, PixmapsOfAnIconShareItsPixels) {
  uitest::TempDir dir;
  QImage picture = uitest::Solid(32, 32, QColor(255, 0, 0, 128));
  picture.setPixel(3, 4, qRgba(0, 0, 255, 255));
  dir.Save(QStringLiteral("Icons/128.png"), picture);
  const ui::IconTable icons(dir.Path());
  const QImage icon = icons.Icon(128);
  EXPECT_EQ(QPixmap::fromImage(icon).toImage().constBits(), icon.constBits());
  EXPECT_EQ(icon.convertToFormat(QImage::Format_ARGB32), picture);
}

}  // namespace
