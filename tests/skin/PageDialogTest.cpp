#include "skin/PageDialog.h"

#include <gtest/gtest.h>

#include <QKeyEvent>

#include <functional>

#include "platform/ui/WindowPlacement.h"
#include "skin/BitmapBtn.h"
#include "tests/skin/SkinFixture.h"

namespace {

using skintest::SkinFixture;
using uitest::CoordinateSheet;

class PageDialogTest : public SkinFixture {
 protected:
  void SetUp() override {
    ShowOwner(QRect(50, 50, 300, 200));
    dir.Save("Skin/sheet.png", CoordinateSheet(300, 200));
    QImage mask(100, 60, QImage::Format_RGB32);
    mask.fill(Qt::black);
    for (int y = 0; y < 60; ++y) mask.setPixel(0, y, qRgb(255, 0, 255));
    mask.setPixel(50, 30, qRgb(255, 255, 255));
    dir.Save("Skin/mask.bmp", mask, "BMP");
  }
  std::unique_ptr<CPageDialog> MakePage(const char* section) {
    auto page = std::make_unique<CPageDialog>(CPageDialog::Kind::Page, ini, dir.Path(),
                                              QString::fromLatin1(section), &owner);
    page->Create();
    return page;
  }
};

TEST_F(PageDialogTest, LoadSkinPlacesCutsShapesAndShows) {
  WriteSkin(
      "[Page]\nWindowsRect=40, 30,100,60\nNormalImage=Skin\\sheet.png\n"
      "BackGroundMaskImage=Skin\\mask.bmp\nVisable=1\n");
  auto page = MakePage("Page");
  EXPECT_EQ(page->geometry(), QRect(40, 30, 100, 60));
  EXPECT_TRUE(page->isVisible());
  QRegion shape(0, 0, 100, 60);
  shape -= QRegion(0, 0, 1, 60);
  shape -= QRegion(50, 30, 1, 1);
  EXPECT_EQ(page->mask(), shape);

  // The background is the sheet's block at the window's own place in the parent.
  const QImage shown = uitest::Render(*page);
  for (QPoint p : {QPoint(1, 0), QPoint(99, 59), QPoint(10, 20)}) {
    EXPECT_EQ(shown.pixel(p), qRgb(40 + p.x(), 30 + p.y(), 0x80)) << p.x() << "," << p.y();
  }
  EXPECT_EQ(page->BackgroundBrush().textureImage().size(), QSize(100, 60));
}

TEST_F(PageDialogTest, AMaskThatDoesNotLoadLeavesTheWindowRectangular) {
  dir.Write("Skin/broken.bmp", "BM not really");
  WriteSkin(
      "[Missing]\nWindowsRect=0,0,100,60\nNormalImage=Skin\\sheet.png\n"
      "BackGroundMaskImage=Skin\\nothere.bmp\n"
      "[Broken]\nWindowsRect=0,0,100,60\nNormalImage=Skin\\sheet.png\n"
      "BackGroundMaskImage=Skin\\broken.bmp\n");
  for (const char* section : {"Missing", "Broken"}) {
    auto page = MakePage(section);
    EXPECT_TRUE(page->mask().isEmpty()) << section;
    EXPECT_TRUE(page->isVisible()) << section;
  }
}

TEST_F(PageDialogTest, VisableDecidesWhatShowPageDoes) {
  struct Case {
    const char* value;  // nullptr: key missing
    bool shown;
  } cases[] = {{nullptr, false}, {"0", false}, {"1", true}, {"5", true}, {"-1", false}};
  for (const Case& c : cases) {
    std::string text = "[P]\nWindowsRect=0,0,100,60\nNormalImage=Skin/sheet.png\n";
    if (c.value) text += std::string("Visable=") + c.value + "\n";
    WriteSkin(text);
    auto page = MakePage("P");
    EXPECT_TRUE(page->isVisible());  // LoadSkin itself always shows
    page->ShowPage(ui::SW_SHOW);
    EXPECT_EQ(page->isVisible(), c.shown) << (c.value ? c.value : "missing");
    page->ShowPage(ui::SW_HIDE);
    EXPECT_FALSE(page->isVisible());
  }
}

TEST_F(PageDialogTest, WithoutItsSheetThePageOnlyMovesAndStaysVisibleForShowPage) {
  WriteSkin("[P]\nWindowsRect=7,8,90,40\nNormalImage=Skin\\gone.png\nVisable=0\n");
  CPageDialog page(CPageDialog::Kind::Page, ini, dir.Path(), "P", &owner);
  EXPECT_FALSE(page.LoadSkin());
  EXPECT_EQ(page.geometry(), QRect(7, 8, 90, 40));
  EXPECT_FALSE(page.isVisible());
  EXPECT_EQ(page.BackgroundBrush().style(), Qt::NoBrush);
  EXPECT_TRUE(page.IsPageVisible());
  page.ShowPage(ui::SW_SHOW);
  EXPECT_TRUE(page.isVisible());
}

TEST_F(PageDialogTest, APressOnTheBackgroundReachesTheParentOnly) {
  WriteSkin("[P]\nWindowsRect=40,30,100,60\nNormalImage=Skin\\sheet.png\nVisable=1\n");
  auto page = MakePage("P");
  CBitmapBtn button;
  button.Create(QString(), QRect(60, 10, 30, 20), page.get());

  uitest::Press(page.get(), QPoint(12, 7));
  uitest::Release(page.get(), QPoint(12, 7));
  EXPECT_TRUE(owner.Of(ui::WM_LBUTTONDOWN).empty());  // posted, not sent
  uitest::Drain();
  auto presses = owner.Of(ui::WM_LBUTTONDOWN);
  ASSERT_EQ(presses.size(), 1u);
  EXPECT_EQ(presses[0].wParam, ui::MK_LBUTTON);
  EXPECT_EQ(presses[0].lParam, ui::MakeLParam(12, 7));  // the page's own coordinates

  owner.messages.clear();
  uitest::Press(&button, QPoint(3, 3));
  uitest::Release(&button, QPoint(40, 40));
  uitest::Drain();
  EXPECT_TRUE(owner.Of(ui::WM_LBUTTONDOWN).empty());
}

// A page that cuts its controls from the sheet of its background, as the settings pages do;
// the sheet file changes between the two.
class SheetTaker : public CPageDialog {
 public:
  SheetTaker(const CINIFile& ini, const QString& folder, QWidget* parent, std::function<void()> between)
      : CPageDialog(Kind::Page, ini, folder, "P", parent), between_(std::move(between)) {}
  bool LoadSkin() override {
    const bool loaded = CPageDialog::LoadSkin();
    between_();
    taken = TakeNormalSheet();
    takenAgain = TakeNormalSheet();
    return loaded;
  }
  QImage taken, takenAgain;

 private:
  std::function<void()> between_;
};

// The sheet the background was cut from is handed on once rather than decoded again, and the
// window keeps it no longer than its initialisation, whether it was taken or not.
TEST_F(PageDialogTest, TheBackgroundsSheetIsHandedOnOnceAndNotKept) {
  WriteSkin("[P]\nWindowsRect=0,0,100,60\nNormalImage=Skin\\sheet.png\nVisable=1\n");
  const QImage first = CoordinateSheet(300, 200);
  const QImage second = uitest::Solid(300, 200, Qt::green).convertToFormat(QImage::Format_RGB32);
  SheetTaker taker(ini, dir.Path(), &owner, [&] { dir.Save("Skin/sheet.png", second); });
  taker.Create();
  EXPECT_EQ(taker.taken.convertToFormat(QImage::Format_RGB32), first);
  EXPECT_EQ(taker.takenAgain.convertToFormat(QImage::Format_RGB32), second);

  dir.Save("Skin/sheet.png", first);
  auto page = MakePage("P");
  dir.Save("Skin/sheet.png", second);
  EXPECT_EQ(page->TakeNormalSheet().convertToFormat(QImage::Format_RGB32), second);
}

// A page that makes a control once the base has skinned it, as the settings pages do, and notes
// whether it was on the screen meanwhile.
class ControlMaker : public CPageDialog {
 public:
  ControlMaker(const CINIFile& ini, const QString& folder, QWidget* parent)
      : CPageDialog(Kind::Page, ini, folder, "P", parent) {}
  bool LoadSkin() override {
    const bool loaded = CPageDialog::LoadSkin();
    shownWhileMade = isVisible();
    button.Create(QString(), QRect(5, 5, 20, 10), this);
    return loaded;
  }
  bool shownWhileMade = false;
  CBitmapBtn button;
};

// Initialised, the page shows once its controls exist: each control shown in a window on the
// screen would make Qt ask the X server where the pointer is. Its skin loaded on its own, it
// shows at once.
TEST_F(PageDialogTest, InitialisedThePageShowsOnceItsControlsExist) {
  WriteSkin("[P]\nWindowsRect=40,30,100,60\nNormalImage=Skin\\sheet.png\nVisable=1\n");
  ControlMaker page(ini, dir.Path(), &owner);
  page.Create();
  EXPECT_FALSE(page.shownWhileMade);
  EXPECT_TRUE(page.isVisible());
  EXPECT_TRUE(page.button.isVisible());
  ControlMaker direct(ini, dir.Path(), &owner);
  EXPECT_TRUE(direct.LoadSkin());
  EXPECT_TRUE(direct.shownWhileMade);
}

class KeyCounter : public uitest::MessageRecorder {
 public:
  int keys = 0;

 protected:
  void keyPressEvent(QKeyEvent*) override { ++keys; }
};

TEST_F(PageDialogTest, KeysNeitherCloseAPageNorReachItsParent) {
  WriteSkin("[P]\nWindowsRect=0,0,100,60\nNormalImage=Skin\\sheet.png\nVisable=1\n");
  KeyCounter parent;
  parent.show();
  CPageDialog page(CPageDialog::Kind::Page, ini, dir.Path(), "P", &parent);
  page.Create();
  for (Qt::Key key : {Qt::Key_F1, Qt::Key_Escape, Qt::Key_Return}) {
    QKeyEvent press(QEvent::KeyPress, key, Qt::NoModifier);
    QApplication::sendEvent(&page, &press);
    EXPECT_TRUE(page.isVisible()) << key;
  }
  EXPECT_EQ(parent.keys, 0);
}

}  // namespace
