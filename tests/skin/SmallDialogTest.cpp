#include <gtest/gtest.h>

#include <QKeyEvent>
#include <QTimer>

#include <functional>

#include "skin/ProgressDlg.h"
#include "skin/WarningDlg.h"
#include "tests/skin/SkinFixture.h"
#include "tests/platform/ui/QtTestSupport.h"

namespace {

using skintest::SkinFixture;
using uitest::CoordinateSheet;
using uitest::Solid;

const char kWarningSkin[] =
    "[RestoreWarningDialog]\n"
    "WindowsRect=0,0,200,120\n"
    "NormalImage=warn\\normal.png\n"
    "OverImage=warn\\over.png\n"
    "DownImage=warn\\down.png\n"
    "BackGroundMaskImage=warn\\mask.bmp\n"
    "Visable=1\n"
    "KeyOKRect=20,80,60,24\n"
    "KeyCancleRect=120,80,60,24\n"
    "[NoSheet]\n"
    "WindowsRect=0,0,200,120\n"
    "NormalImage=warn\\none.png\n"
    "BackGroundMaskImage=warn\\mask.bmp\n"
    "KeyOKRect=20,80,60,24\n"
    "KeyCancleRect=120,80,60,24\n";

class WarningDlgTest : public SkinFixture {
 protected:
  void SetUp() override {
    ShowOwner(QRect(100, 100, 600, 400));
    dir.Save("warn/normal.png", CoordinateSheet(200, 120));
    dir.Save("warn/over.png", Solid(200, 120, QColor(0, 200, 0)));
    dir.Save("warn/down.png", Solid(200, 120, QColor(0, 0, 200)));
    QImage mask = Solid(200, 120, Qt::black);
    for (int y = 0; y < 10; ++y) {
      for (int x = 0; x < 10 - y; ++x) mask.setPixel(x, y, qRgb(255, 0, 255));  // cut corner
    }
    dir.Save("warn/mask.bmp", mask, "BMP");
    WriteSkin(kWarningSkin);
  }
  // Runs the dialog modally and does `act` once it runs.
  int RunModal(CWarningDlg& dialog, std::function<void()> act) {
    QTimer::singleShot(0, [&dialog, act] {
      if (dialog.isVisible()) act();
    });
    QTimer::singleShot(3000, &dialog, [&dialog] { dialog.done(-1); });  // guards a hang only
    return dialog.DoModal();
  }
};

TEST_F(WarningDlgTest, SkinShapesSizesAndCentresTheDialog) {
  CWarningDlg dialog(ini, dir.Path(), "RestoreWarningDialog", &owner);
  dialog.Create();
  EXPECT_EQ(dialog.size(), QSize(200, 120));
  EXPECT_EQ(dialog.frameGeometry().center(), owner.frameGeometry().center());
  EXPECT_FALSE(dialog.isVisible());  // the modal run shows it
  EXPECT_FALSE(dialog.mask().contains(QPoint(0, 0)));
  EXPECT_FALSE(dialog.mask().contains(QPoint(9, 0)));
  EXPECT_TRUE(dialog.mask().contains(QPoint(10, 0)));
  EXPECT_TRUE(dialog.mask().contains(QPoint(199, 119)));

  EXPECT_EQ(dialog.OkButton().geometry(), QRect(20, 80, 60, 24));
  EXPECT_EQ(dialog.CancelButton().geometry(), QRect(120, 80, 60, 24));
  // Whole sheet as background; the buttons' faces are cut at their own rectangles.
  EXPECT_EQ(uitest::Render(dialog).pixel(5, 50), qRgb(5, 50, 0x80));
  EXPECT_EQ(uitest::Render(dialog.OkButton()).pixel(1, 2), qRgb(21, 82, 0x80));
  EXPECT_EQ(uitest::Render(dialog.CancelButton()).pixel(59, 23), qRgb(179, 103, 0x80));
}

TEST_F(WarningDlgTest, OkCancelAndEscapeEndTheModalRun) {
  struct Case {
    const char* name;
    std::function<void(CWarningDlg&)> act;
    int result;
  } cases[] = {
      {"OK", [](CWarningDlg& d) { uitest::Click(&d.OkButton(), QPoint(5, 5)); }, ui::IDOK},
      {"Cancel", [](CWarningDlg& d) { uitest::Click(&d.CancelButton(), QPoint(5, 5)); },
       ui::IDCANCEL},
      {"Escape",
       [](CWarningDlg& d) {
         QKeyEvent escape(QEvent::KeyPress, Qt::Key_Escape, Qt::NoModifier);
         QApplication::sendEvent(&d, &escape);
       },
       ui::IDCANCEL},
      {"close", [](CWarningDlg& d) { d.close(); }, ui::IDCANCEL},
  };
  for (const Case& c : cases) {
    CWarningDlg dialog(ini, dir.Path(), "RestoreWarningDialog", &owner);
    EXPECT_EQ(RunModal(dialog, [&] { c.act(dialog); }), c.result) << c.name;
  }
}

TEST_F(WarningDlgTest, CommandsFromOtherControlsAreLeftToTheDefaultHandling) {
  CWarningDlg dialog(ini, dir.Path(), "RestoreWarningDialog", &owner);
  dialog.Create();
  dialog.show();
  CBitmapBtn other;
  other.Create(QString(), QRect(0, 0, 10, 10), &dialog);
  EXPECT_EQ(ui::SendMessage(&dialog, ui::WM_COMMAND, 0, ui::HandleOf(&other)), 0);
  EXPECT_TRUE(dialog.isVisible());
  EXPECT_EQ(ui::SendMessage(&dialog, ui::WM_COMMAND, 0, ui::HandleOf(&dialog.OkButton())), 1);
  EXPECT_FALSE(dialog.isVisible());
  EXPECT_EQ(dialog.result(), ui::IDOK);
}

TEST_F(WarningDlgTest, WithoutItsSheetTheDialogStillHasItsButtons) {
  CWarningDlg dialog(ini, dir.Path(), "NoSheet", &owner);
  dialog.Create();
  EXPECT_TRUE(dialog.mask().isEmpty());
  EXPECT_EQ(dialog.BackgroundBrush().style(), Qt::NoBrush);
  EXPECT_EQ(dialog.OkButton().geometry(), QRect(20, 80, 60, 24));
  EXPECT_EQ(dialog.CancelButton().geometry(), QRect(120, 80, 60, 24));
  EXPECT_EQ(dialog.frameGeometry().center(), owner.frameGeometry().center());
}

TEST_F(WarningDlgTest, APressOnTheBackgroundDragsTheDialog) {
  CWarningDlg dialog(ini, dir.Path(), "RestoreWarningDialog", &owner);
  dialog.Create();
  dialog.show();
  const QPoint ownerAt = owner.pos();
  const QPoint start = dialog.pos();
  const QPoint press = dialog.mapToGlobal(QPoint(100, 20));
  uitest::Press(&dialog, QPoint(100, 20));
  uitest::Drain();
  uitest::Mouse(&dialog, QEvent::MouseMove, QPoint(100, 20), Qt::NoButton, Qt::LeftButton,
                press + QPoint(30, 20));
  EXPECT_EQ(dialog.pos(), start + QPoint(30, 20));
  uitest::Mouse(&dialog, QEvent::MouseButtonRelease, QPoint(70, 0), Qt::LeftButton,
                Qt::NoButton, press + QPoint(30, 20));
  uitest::Mouse(&dialog, QEvent::MouseMove, QPoint(70, 0), Qt::NoButton, Qt::LeftButton,
                press + QPoint(90, 90));
  EXPECT_EQ(dialog.pos(), start + QPoint(30, 20));
  EXPECT_EQ(owner.pos(), ownerAt);  // the owner heard of the press but stays put
  EXPECT_EQ(owner.Of(ui::WM_LBUTTONDOWN).size(), 1u);
}

class ProgressDlgTest : public SkinFixture {
 protected:
  void SetUp() override {
    dir.Save("p/normal.png", CoordinateSheet(240, 60));
    dir.Save("p/down.png", Solid(240, 60, QColor(30, 140, 230)));
    WriteSkin(
        "[ApplyProgressDialog]\nWindowsRect=0,0,240,60\nNormalImage=p\\normal.png\n"
        "DownImage=p\\down.png\nVisable=1\nProgressBarRect=20,30,200,10\n");
  }
};

TEST_F(ProgressDlgTest, BarFillsItsShareAndRepaintsAtOnce) {
  CProgressDlg dialog(ini, dir.Path(), "ApplyProgressDialog", nullptr);
  dialog.Create();
  EXPECT_TRUE(dialog.isVisible());
  CBitmapProgressBar& bar = dialog.ProgressBar();
  EXPECT_EQ(bar.geometry(), QRect(20, 30, 200, 10));
  EXPECT_EQ(bar.GetPos(), 0);

  const QRgb fill = qRgb(30, 140, 230);
  struct Case {
    int set, stored, fillWidth;
  } cases[] = {{45, 45, 90}, {0, 0, 0}, {100, 100, 200}, {-5, 0, 0}, {150, 100, 200}, {1, 1, 2}};
  for (const Case& c : cases) {
    bar.SetPos(c.set);
    EXPECT_EQ(bar.GetPos(), c.stored) << c.set;
    EXPECT_EQ(bar.FillWidth(bar.width()), c.fillWidth) << c.set;
    const QImage shown = uitest::Render(bar);
    if (c.fillWidth > 0) {
      EXPECT_EQ(shown.pixel(c.fillWidth - 1, 5), fill) << c.set;
    }
    if (c.fillWidth < 200) {
      EXPECT_EQ(shown.pixel(c.fillWidth, 5), qRgb(20 + c.fillWidth, 35, 0x80)) << c.set;
    }
  }

  ASSERT_TRUE(QTest::qWaitForWindowExposed(&dialog, uitest::kWaitMs));
  uitest::EventCounter paints(&bar, QEvent::Paint);
  bar.SetPos(60);
  EXPECT_GE(paints.count, 1);  // painted inside SetPos, with no event loop run
}

TEST(BitmapProgressBarTest, EmptyRangeFillsNothing) {
  CBitmapProgressBar bar;
  bar.SetRange(5, 5);
  bar.SetPos(9);
  EXPECT_EQ(bar.GetPos(), 5);
  EXPECT_EQ(bar.FillWidth(200), 0);
  bar.SetRange(0, 100);
  bar.SetPos(45);
  EXPECT_EQ(bar.FillWidth(200), 90);
  EXPECT_EQ(bar.FillWidth(0), 0);
}

}  // namespace
