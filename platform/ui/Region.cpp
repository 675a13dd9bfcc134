#include "platform/ui/Region.h"

#include <QPainter>

namespace ui {

QRegion CreateRegionFromImage(const QImage& mask) {
  return RegionOfPixels(mask, [](QRgb p) { return !IsMaskHole(p); });
}

QRegion CreateRegionFromBitmap(const QImage& mask) { return CreateRegionFromImage(mask); }

QRegion CreateRegionFromColorKey(const QImage& image) {
  if (image.isNull()) return QRegion();
  QImage flat(image.size(), QImage::Format_RGB32);
  flat.fill(Qt::black);
  {
    QPainter painter(&flat);
    painter.drawImage(0, 0, image);
  }
  const QRgb key = flat.pixel(0, 0);
  return RegionOfPixels(flat, [key](QRgb p) { return p != key; });
}

}  // namespace ui
