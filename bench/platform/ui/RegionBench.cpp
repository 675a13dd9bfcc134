// The shape of a full-window mask (1000 by 700 pixels, a few thousand holes along a curved
// outline: rounded corners and a wavy top edge) built from row runs, against removing each hole
// pixel from the full rectangle with an exclusive-or of a 1-by-1 rectangle, column by column.
#include <benchmark/benchmark.h>

#include <QImage>
#include <QRegion>

#include <cmath>
#include <cstdio>
#include <cstdlib>

#include "platform/ui/Region.h"

namespace {

constexpr int kWidth = 1000;
constexpr int kHeight = 700;
constexpr int kRadius = 60;

bool Outside(int x, int y) {
  // The top edge waves by up to 3 pixels.
  const double wave = 3.0 + 3.0 * std::sin(x / 23.0);
  if (y < wave) return true;
  const int cx = x < kRadius ? kRadius : x >= kWidth - kRadius ? kWidth - kRadius - 1 : x;
  const int cy = y < kRadius ? kRadius : y >= kHeight - kRadius ? kHeight - kRadius - 1 : y;
  const double dx = x - cx, dy = y - cy;
  return dx * dx + dy * dy > double(kRadius) * kRadius;
}

const QImage& Mask() {
  static const QImage mask = [] {
    QImage m(kWidth, kHeight, QImage::Format_RGB32);
    for (int y = 0; y < kHeight; ++y) {
      for (int x = 0; x < kWidth; ++x) {
        m.setPixel(x, y, Outside(x, y) ? qRgb(255, 0, 255) : qRgb(20, 22, 28));
      }
    }
    return m;
  }();
  return mask;
}

QRegion PixelByPixel(const QImage& mask) {
  QRegion region(0, 0, mask.width(), mask.height());
  for (int x = 0; x < mask.width(); ++x) {
    for (int y = 0; y < mask.height(); ++y) {
      if (ui::IsMaskHole(mask.pixel(x, y))) region = region.xored(QRegion(x, y, 1, 1));
    }
  }
  return region;
}

int Holes() {
  int n = 0;
  for (int y = 0; y < kHeight; ++y) {
    for (int x = 0; x < kWidth; ++x) n += ui::IsMaskHole(Mask().pixel(x, y)) ? 1 : 0;
  }
  return n;
}

void CheckSameRegion() {
  static const bool same = ui::CreateRegionFromImage(Mask()) == PixelByPixel(Mask());
  if (!same) {
    std::fprintf(stderr, "the two builders disagree\n");
    std::abort();
  }
}

void BM_RegionByRowRuns(benchmark::State& state) {
  CheckSameRegion();
  for (auto _ : state) benchmark::DoNotOptimize(ui::CreateRegionFromImage(Mask()));
  state.counters["holes"] = Holes();
  state.counters["rects"] = ui::CreateRegionFromImage(Mask()).rectCount();
}
BENCHMARK(BM_RegionByRowRuns)->Unit(benchmark::kMillisecond);

void BM_RegionByPixelXor(benchmark::State& state) {
  CheckSameRegion();
  for (auto _ : state) benchmark::DoNotOptimize(PixelByPixel(Mask()));
  state.counters["holes"] = Holes();
}
BENCHMARK(BM_RegionByPixelXor)->Unit(benchmark::kMillisecond);

}  // namespace
