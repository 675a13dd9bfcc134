#include "platform/ui/ImageFile.h"

#include <QImageReader>
#include <QPainter>

namespace ui {

QImage LoadImageFile(const QString& path) {
  if (path.isEmpty()) return QImage();
  QImageReader reader(path);
  reader.setDecideFormatFromContent(true);
  return reader.read();
}

QImage CutImage(const QImage* sheet, const QRect& rect) {
  if (!sheet || sheet->isNull() || rect.isEmpty() || !sheet->rect().contains(rect)) return QImage();
  return sheet->copy(rect);
}

QImage CopyBlockOpaque(const QImage& sheet, const QRect& rect) {
  if (sheet.isNull() || rect.isEmpty()) return QImage();
  QImage block(rect.size(), QImage::Format_RGB32);
  block.fill(Qt::black);
  QPainter painter(&block);
  painter.drawImage(QPoint(0, 0), sheet, rect);
  return block;
}

}  // namespace ui
