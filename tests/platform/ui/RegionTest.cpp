#include "platform/ui/Region.h"

#include <gtest/gtest.h>

#include <QPainter>

#include <random>

#include "tests/platform/ui/QtTestSupport.h"

namespace {

// The region as the mask rule defines it, pixel by pixel.
void ExpectMatchesRule(const QImage& mask, const QRegion& region) {
  const QImage argb = mask.convertToFormat(QImage::Format_ARGB32);
  for (int y = 0; y < argb.height(); ++y) {
    for (int x = 0; x < argb.width(); ++x) {
      const bool hole = ui::IsMaskHole(argb.pixel(x, y));
      ASSERT_EQ(region.contains(QPoint(x, y)), !hole) << "pixel " << x << "," << y;
    }
  }
  EXPECT_TRUE(region.boundingRect().isEmpty() || mask.rect().contains(region.boundingRect()));
}

TEST(MaskRegionTest, HoleRuleByColour) {
  struct Case {
    QRgb colour;
    bool kept;
  } cases[] = {
      {qRgb(255, 0, 255), false},   {qRgb(255, 255, 255), false}, {qRgb(255, 128, 255), false},
      {qRgb(254, 0, 255), true},    {qRgb(255, 0, 254), true},    {qRgb(0, 0, 0), true},
      {qRgb(255, 255, 0), true},    {qRgb(0, 255, 255), true},    {qRgba(255, 0, 255, 0), false},
      {qRgba(10, 20, 30, 0), true},
  };
  const int n = int(std::size(cases));
  QImage mask(n, 2, QImage::Format_ARGB32);
  for (int i = 0; i < n; ++i) {
    mask.setPixel(i, 0, cases[i].colour);
    mask.setPixel(i, 1, cases[i].colour);
  }
  const QRegion region = ui::CreateRegionFromImage(mask);
  for (int i = 0; i < n; ++i) {
    EXPECT_EQ(region.contains(QPoint(i, 0)), cases[i].kept) << "case " << i;
    EXPECT_EQ(region.contains(QPoint(i, 1)), cases[i].kept) << "case " << i;
  }
}

TEST(MaskRegionTest, WholeAndEmptyMasks) {
  const QRegion full = ui::CreateRegionFromBitmap(uitest::Solid(37, 11, QColor(200, 0, 200)));
  EXPECT_EQ(full, QRegion(0, 0, 37, 11));
  EXPECT_EQ(full.rectCount(), 1);
  EXPECT_TRUE(ui::CreateRegionFromBitmap(uitest::Solid(5, 5, Qt::white)).isEmpty());
  EXPECT_TRUE(ui::CreateRegionFromBitmap(QImage()).isEmpty());
}

TEST(MaskRegionTest, ShapesMatchTheRuleAndStayCompact) {
  // A disc of kept pixels on magenta with white dots, drawn without smoothing.
  QImage mask(160, 120, QImage::Format_RGB32);
  mask.fill(QColor(255, 0, 255));
  {
    QPainter p(&mask);
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(30, 30, 30));
    p.drawEllipse(QRect(10, 5, 140, 110));
  }
  std::mt19937 random(7);
  for (int i = 0; i < 200; ++i) {
    mask.setPixel(int(random() % 160), int(random() % 120),
                  i % 2 ? qRgb(255, 255, 255) : qRgb(255, int(random() % 256), 255));
  }
  const QRegion region = ui::CreateRegionFromImage(mask);
  ExpectMatchesRule(mask, region);

  // A cross is one run per row, and rows with the same run share one rectangle: three in all.
  QImage plain(160, 120, QImage::Format_RGB32);
  plain.fill(QColor(255, 0, 255));
  {
    QPainter p(&plain);
    p.setPen(Qt::NoPen);
    p.setBrush(Qt::black);
    p.drawRect(20, 20, 100, 60);
    p.drawRect(60, 0, 10, 120);
  }
  const QRegion cross = ui::CreateRegionFromImage(plain);
  ExpectMatchesRule(plain, cross);
  EXPECT_EQ(cross.rectCount(), 3);
}

TEST(MaskRegionTest, RandomMasksInEveryPixelFormat) {
  std::mt19937 random(11);
  for (int round = 0; round < 6; ++round) {
    const int w = 1 + int(random() % 70);
    const int h = 1 + int(random() % 50);
    QImage mask(w, h, QImage::Format_RGB32);
    for (int y = 0; y < h; ++y) {
      for (int x = 0; x < w; ++x) {
        const bool hole = random() % 3 == 0;
        mask.setPixel(x, y, hole ? qRgb(255, int(random() % 256), 255)
                                 : qRgb(int(random() % 255), int(random() % 256), int(random() % 256)));
      }
    }
    ExpectMatchesRule(mask, ui::CreateRegionFromImage(mask));
    // A two-colour mask in indexed and mono forms, as Windows bitmap masks often are.
    QImage mono = mask.convertToFormat(QImage::Format_Mono, Qt::ThresholdDither);
    mono.setColorTable({qRgb(255, 0, 255), qRgb(0, 0, 0)});
    ExpectMatchesRule(mono, ui::CreateRegionFromImage(mono));
    const QImage indexed = mask.convertToFormat(QImage::Format_Indexed8, Qt::ThresholdDither);
    ExpectMatchesRule(indexed, ui::CreateRegionFromImage(indexed));
  }
}

// Runs of equal rows (taken without a scan) between rows that differ, also in a kept pixel's
// colour only: the region is still exactly the rule's.
TEST(MaskRegionTest, RowsEqualToTheRowAboveKeepItsRuns) {
  std::mt19937 random(5);
  for (int round = 0; round < 6; ++round) {
    const int w = 1 + int(random() % 60);
    const int h = 2 + int(random() % 60);
    QImage mask(w, h, QImage::Format_RGB32);
    for (int y = 0; y < h; ++y) {
      const int kind = y == 0 ? 3 : int(random() % 4);  // 0, 1: copy the row above
      for (int x = 0; x < w; ++x) {
        QRgb pixel = random() % 3 == 0 ? qRgb(255, 0, 255) : qRgb(20, 20, 20);
        if (kind < 2) pixel = mask.pixel(x, y - 1);
        if (kind == 2) pixel = mask.pixel(x, y - 1) == qRgb(20, 20, 20) ? qRgb(21, 20, 20)
                                                                          : mask.pixel(x, y - 1);
        mask.setPixel(x, y, pixel);
      }
    }
    ExpectMatchesRule(mask, ui::CreateRegionFromImage(mask));
  }
}

TEST(ColorKeyRegionTest, KeyIsTheTopLeftPixelOverBlack) {
  // Transparent corners count as black; the key is the (now black) top-left pixel, so every
  // black or transparent pixel goes, and the opaque body stays.
  QImage thumb(8, 6, QImage::Format_ARGB32);
  thumb.fill(Qt::transparent);
  for (int y = 1; y < 5; ++y) {
    for (int x = 2; x < 6; ++x) thumb.setPixel(x, y, qRgb(250, 120, 20));
  }
  thumb.setPixel(3, 3, qRgb(0, 0, 0));
  thumb.setPixel(7, 5, qRgba(0, 0, 0, 255));
  const QRegion region = ui::CreateRegionFromColorKey(thumb);
  QRegion expected(2, 1, 4, 4);
  expected -= QRegion(3, 3, 1, 1);
  EXPECT_EQ(region, expected);

  // A non-black key: the pixel at (0, 0) is what is cut out, wherever it appears.
  QImage keyed = uitest::Solid(4, 4, QColor(10, 200, 10));
  keyed.setPixel(2, 2, qRgb(1, 2, 3));
  EXPECT_EQ(ui::CreateRegionFromColorKey(keyed), QRegion(2, 2, 1, 1));
}

}  // namespace
