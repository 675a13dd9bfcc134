#pragma once

#include <QImage>
#include <QRect>
#include <QRegion>

#include <cstring>
#include <vector>

// Window shapes from images. A shape is built from the runs of kept pixels of each row; rows
// with the same runs share one band, so a mask of a few large areas gives a few rectangles and
// the region is set in one go, never pixel by pixel. A row whose pixels equal the row above
// (most rows of a window's mask) takes its runs without a scan.
namespace ui {

// A mask pixel is a hole when its red and its blue component are both 255, whatever its green:
// pure magenta (255, 0, 255) and white (255, 255, 255) are both cut out. Alpha is not looked at.
inline bool IsMaskHole(QRgb pixel) { return qRed(pixel) == 255 && qBlue(pixel) == 255; }

// The rectangle of `mask` less its hole pixels. A null image gives an empty region.
QRegion CreateRegionFromImage(const QImage& mask);
// The same rule for a mask read from a Windows bitmap file (any format the loader decodes).
QRegion CreateRegionFromBitmap(const QImage& mask);

// The shape of a thumb keyed by colour: `image` is laid over opaque black (transparent pixels
// become black), and every pixel equal to the colour of pixel (0, 0) is cut out.
QRegion CreateRegionFromColorKey(const QImage& image);

// The region of the pixels of `image` (converted to 32-bit ARGB, not premultiplied) for which
// keep(pixel) is true.
template <class Keep>
QRegion RegionOfPixels(const QImage& image, Keep keep) {
  if (image.isNull()) return QRegion();
  const QImage argb = image.format() == QImage::Format_ARGB32 || image.format() == QImage::Format_RGB32
                          ? image
                          : image.convertToFormat(QImage::Format_ARGB32);
  const int w = argb.width();
  const int h = argb.height();
  std::vector<QRect> rects;
  std::vector<int> band;  // x0, x1 pairs of the band being built
  std::vector<int> row;
  int bandTop = 0;
  auto flush = [&](int bottom) {
    for (size_t i = 0; i < band.size(); i += 2) {
      rects.emplace_back(QPoint(band[i], bandTop), QPoint(band[i + 1] - 1, bottom - 1));
    }
  };
  const size_t lineBytes = static_cast<size_t>(w) * sizeof(QRgb);
  const QRgb* above = nullptr;
  for (int y = 0; y < h; ++y) {
    const QRgb* line = reinterpret_cast<const QRgb*>(argb.constScanLine(y));
    // A row of the same pixels as the row above has its runs: the band goes on without a scan.
    const bool sameAsAbove = above != nullptr && std::memcmp(line, above, lineBytes) == 0;
    above = line;
    if (sameAsAbove) continue;
    row.clear();
    int x = 0;
    while (x < w) {
      while (x < w && !keep(line[x])) ++x;
      if (x == w) break;
      const int start = x;
      while (x < w && keep(line[x])) ++x;
      row.push_back(start);
      row.push_back(x);
    }
    if (y == 0 || row != band) {
      if (y > 0) flush(y);
      band.swap(row);
      bandTop = y;
    }
  }
  if (h > 0) flush(h);
  QRegion region;
  if (!rects.empty()) region.setRects(rects.data(), static_cast<int>(rects.size()));
  return region;
}

}  // namespace ui
