#include <gtest/gtest.h>

#include "skin/DMarker.h"
#include "skin/PngHSlider.h"
#include "tests/skin/SkinFixture.h"
#include "tests/platform/ui/QtTestSupport.h"

namespace {

using skintest::SkinFixture;
using uitest::Solid;

// ---- step slider

class DMarkerTest : public SkinFixture {
 protected:
  void SetUp() override {
    ShowOwner(QRect(100, 100, 300, 100));
    marker.Create(10, 20, 170, 30, &owner, 4);
    marker.SetRange(0, 7);
  }
  // Press and release at slider x `x` and the value it reported.
  int ReleaseAt(int x) {
    owner.messages.clear();
    uitest::Press(&marker, QPoint(x, 5));
    uitest::Release(&marker, QPoint(x, 5));
    uitest::Drain();
    auto reports = owner.Of(WM_MARKER_POS);
    EXPECT_EQ(reports.size(), 1u);
    if (reports.empty()) return -999;
    EXPECT_EQ(reports[0].lParam, 4);
    EXPECT_EQ(int(reports[0].wParam), marker.Value());
    return marker.Value();
  }

  CDMarker marker;
};

TEST_F(DMarkerTest, ReleaseGivesTheCellUnderTheCursor) {
  struct Case {
    int x, value;
  } cases[] = {{0, 0}, {19, 0}, {20, 1}, {79, 3}, {80, 4}, {159, 7}, {-5, 0}, {200, 7}};
  for (const Case& c : cases) EXPECT_EQ(ReleaseAt(c.x), c.value) << "x " << c.x;
}

TEST_F(DMarkerTest, FillGrowsCellByCell) {
  const QImage back = Solid(300, 100, QColor(40, 40, 40));
  const QImage fill = Solid(300, 100, QColor(30, 140, 230));
  marker.SetImages(10, 20, 160, 10, &back, &fill);
  struct Case {
    int value, fill;
  } cases[] = {{0, 20}, {1, 40}, {3, 80}, {7, 160}};
  for (const Case& c : cases) {
    marker.SetPos(c.value);
    EXPECT_EQ(marker.FillWidth(), c.fill);
    const QImage shown = uitest::Render(marker);
    EXPECT_EQ(shown.pixel(c.fill - 1, 5), fill.pixel(0, 0)) << c.value;
    if (c.fill < 160) {
      EXPECT_EQ(shown.pixel(c.fill, 5), back.pixel(0, 0)) << c.value;
    }
  }
  marker.SetPos(9);
  EXPECT_EQ(marker.Value(), 0);
  marker.SetPos(-1);
  EXPECT_EQ(marker.Value(), 0);
}

TEST_F(DMarkerTest, DragChangesTheValueAndOnlyTheReleaseReports) {
  uitest::Press(&marker, QPoint(10, 5));
  uitest::Move(&marker, QPoint(100, 5), Qt::LeftButton);
  EXPECT_EQ(marker.Value(), 5);
  uitest::Move(&marker, QPoint(150, 5), Qt::LeftButton);
  EXPECT_EQ(marker.Value(), 7);
  uitest::Drain();
  EXPECT_TRUE(owner.Of(WM_MARKER_POS).empty());
  uitest::Release(&marker, QPoint(50, 5));
  uitest::Drain();
  ASSERT_EQ(owner.Of(WM_MARKER_POS).size(), 1u);
  EXPECT_EQ(owner.Of(WM_MARKER_POS)[0].wParam, 2u);
}

TEST_F(DMarkerTest, ADragEndsWhenTheSliderLosesTheMouse) {
  marker.SetPos(2);
  // Another window takes over while the button is held: later moves change nothing.
  uitest::Press(&marker, QPoint(10, 5));
  EXPECT_TRUE(marker.IsDragging());
  QWidget other;
  other.setGeometry(600, 100, 50, 50);
  other.show();
  other.activateWindow();
  ASSERT_TRUE(QTest::qWaitForWindowActive(&other, uitest::kWaitMs));
  EXPECT_FALSE(marker.IsDragging());
  uitest::Move(&marker, QPoint(150, 5), Qt::LeftButton);
  EXPECT_EQ(marker.Value(), 2);

  // So does hiding the slider in the middle of a drag.
  owner.activateWindow();
  ASSERT_TRUE(QTest::qWaitForWindowActive(&owner, uitest::kWaitMs));
  uitest::Press(&marker, QPoint(10, 5));
  marker.hide();
  EXPECT_FALSE(marker.IsDragging());
  marker.show();
  uitest::Move(&marker, QPoint(150, 5), Qt::LeftButton);
  EXPECT_EQ(marker.Value(), 2);
  uitest::Drain();
  EXPECT_TRUE(owner.Of(WM_MARKER_POS).empty());
}

TEST_F(DMarkerTest, ASliderWithoutWidthGivesItsMinimum) {
  CDMarker flat;
  flat.Create(30, 40, 30, 50, &owner, 1);
  flat.SetRange(2, 9);
  flat.SetPos(5);
  EXPECT_EQ(flat.FillWidth(), 0);
  uitest::Press(&flat, QPoint(0, 0));
  uitest::Release(&flat, QPoint(0, 0));
  EXPECT_EQ(flat.Value(), 2);
  EXPECT_EQ(flat.ValueAtParentX(1000), 2);
}

// ---- PNG slider

TEST(TrackValueTest, SinglePrecisionRoundingAndClamping) {
  struct Case {
    int x, left, right, min, max, value;
  } cases[] = {
      {54, 0, 100, 0, 10, 5},   {55, 0, 100, 0, 10, 5},  {56, 0, 100, 0, 10, 6},
      {160, 100, 200, 0, 10, 6}, {0, 0, 100, 0, 10, 0},  {100, 0, 100, 0, 10, 10},
      {-30, 0, 100, 0, 10, 0},  {500, 0, 100, 0, 10, 10}, {35, 0, 70, 0, 7, 3},
      {45, 0, 90, 0, 9, 4},     {50, 50, 50, 3, 9, 3},   {80, 90, 50, 3, 9, 3},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(TrackValue(c.x, c.left, c.right, c.min, c.max), c.value)
        << c.x << " on " << c.left << ".." << c.right;
  }
}

class PngSliderTest : public SkinFixture {
 protected:
  void SetUp() override {
    ShowOwner(QRect(100, 100, 400, 100));
    // An orange thumb with transparent corners (black after flattening, the key colour).
    QImage thumb = Solid(20, 12, QColor(250, 120, 20));
    for (QPoint p : {QPoint(0, 0), QPoint(19, 0), QPoint(0, 11), QPoint(19, 11)}) {
      thumb.setPixel(p, qRgba(0, 0, 0, 0));
    }
    png = dir.Save("thumb.png", thumb);
  }
  void MakeBar(int width) {
    ASSERT_TRUE(bar.Create(png, QRect(50, 20, width, 12), &owner, 3));
    bar.SetRange(0, 10);
    bar.SetTrackRect(60, 20, 160, 32);
  }
  std::vector<uitest::Message> Reports() const { return owner.Of(WM_PNGSLIDER_POS); }

  QString png;
  CPngHSliderBar bar;
};

TEST_F(PngSliderTest, ThumbPlacesItsLeftEdgeAcrossTheBar) {
  MakeBar(200);
  CPngHSlider& thumb = bar.Thumb();
  EXPECT_EQ(thumb.size(), QSize(20, 12));
  EXPECT_EQ(thumb.mask(), QRegion(0, 0, 20, 12) - QRegion(0, 0, 1, 1) - QRegion(19, 0, 1, 1) -
                              QRegion(0, 11, 1, 1) - QRegion(19, 11, 1, 1));
  struct Case {
    int value, stored, x;
  } cases[] = {{0, 0, 0}, {5, 5, 90}, {10, 10, 180}, {3, 3, 54}, {-1, 0, 0}, {11, 0, 0}};
  for (const Case& c : cases) {
    bar.SetPos(c.value);
    EXPECT_EQ(bar.GetPos(), c.stored) << c.value;
    EXPECT_EQ(thumb.x(), c.x) << c.value;
    EXPECT_EQ(thumb.y(), 0);
  }
  bar.SetAlign(1);
  bar.SetPos(10);
  EXPECT_EQ(thumb.geometry(), QRect(180, 0, 20, 12));  // bottom at the bar's bottom (12)
}

TEST_F(PngSliderTest, BarNarrowerThanTheThumbKeepsItAtTheLeft) {
  MakeBar(10);
  for (int v : {0, 5, 10}) {
    bar.SetPos(v);
    EXPECT_EQ(bar.Thumb().x(), 0) << v;
  }
  uitest::Press(&bar.Thumb(), QPoint(5, 5));
  uitest::Move(&bar.Thumb(), QPoint(50, 5), Qt::LeftButton);
  EXPECT_EQ(bar.Thumb().x(), 0);
}

TEST_F(PngSliderTest, ClickOnTheTrackJumpsAndReportsOnce) {
  MakeBar(200);
  struct Case {
    int pageX, value;
  } cases[] = {{114, 5}, {115, 5}, {116, 6}, {60, 0}, {240, 10}};
  for (const Case& c : cases) {
    owner.messages.clear();
    const QPoint local(c.pageX - 50, 6);
    uitest::Press(&bar, local);
    uitest::Release(&bar, local);
    uitest::Drain();
    auto reports = Reports();
    ASSERT_EQ(reports.size(), 1u) << c.pageX;
    EXPECT_EQ(int(reports[0].wParam), c.value) << c.pageX;
    EXPECT_EQ(reports[0].lParam, ui::HandleOf(&bar));
    EXPECT_EQ(bar.GetPos(), c.value);
    EXPECT_EQ(bar.Thumb().x(), 180 * c.value / 10);
  }
}

TEST_F(PngSliderTest, DraggingTheThumbStopsAtTheBoundsAndTheReleaseReports) {
  MakeBar(200);
  CPngHSlider& thumb = bar.Thumb();
  uitest::Press(&thumb, QPoint(5, 5));
  uitest::Move(&thumb, QPoint(5 + 300, 5), Qt::LeftButton);
  EXPECT_EQ(thumb.x(), 180);
  uitest::Move(&thumb, QPoint(5 - 1000, 5), Qt::LeftButton);
  EXPECT_EQ(thumb.x(), 0);
  uitest::Move(&thumb, QPoint(5 + 57, 5), Qt::LeftButton);
  EXPECT_EQ(thumb.x(), 57);
  EXPECT_EQ(bar.GetPos(), 0);  // the value waits for the release
  uitest::Drain();
  EXPECT_TRUE(Reports().empty());

  // Released with the cursor at page x 50 + 57 + 5 = 112: 5.2 on the track.
  uitest::Release(&thumb, QPoint(5, 5));
  EXPECT_EQ(bar.GetPos(), 5);
  EXPECT_EQ(thumb.x(), 90);
  uitest::Drain();
  auto reports = Reports();
  ASSERT_EQ(reports.size(), 1u);
  EXPECT_EQ(reports[0].wParam, 5u);
  EXPECT_EQ(reports[0].lParam, ui::HandleOf(&bar));
}

TEST_F(PngSliderTest, AnEmptyTrackGivesTheMinimum) {
  MakeBar(200);
  bar.SetRange(2, 8);
  bar.SetTrackRect(60, 20, 60, 32);
  uitest::Click(&bar, QPoint(120, 6));
  uitest::Click(&bar.Thumb(), QPoint(3, 3));
  uitest::Drain();
  auto reports = Reports();
  ASSERT_EQ(reports.size(), 2u);
  EXPECT_EQ(reports[0].wParam, 2u);
  EXPECT_EQ(reports[1].wParam, 2u);
}

TEST_F(PngSliderTest, ADisabledBarReportsNothing) {
  MakeBar(200);
  EXPECT_TRUE(bar.Enable(0));
  uitest::Click(&bar, QPoint(100, 6));
  uitest::Press(&bar.Thumb(), QPoint(5, 5));
  uitest::Move(&bar.Thumb(), QPoint(80, 5), Qt::LeftButton);
  uitest::Release(&bar.Thumb(), QPoint(80, 5));
  uitest::Drain();
  EXPECT_TRUE(Reports().empty());
  EXPECT_EQ(bar.Thumb().x(), 0);
  EXPECT_TRUE(bar.Enable(1));
  uitest::Click(&bar, QPoint(100, 6));
  uitest::Drain();
  EXPECT_EQ(Reports().size(), 1u);
}

}  // namespace
