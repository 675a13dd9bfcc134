#include "platform/ui/ImageFile.h"

#include <QBuffer>
#include <QByteArray>
#include <QFile>
#include <QImageReader>
#include <QPainter>

#include <string>

#include "platform/sys/ReadFile.h"
#include "platform/ui/ImagePrefetch.h"

namespace ui {
namespace {

// Far above any skin image or icon; a larger file is no image of ours.
constexpr size_t kMaxImageFileBytes = 64u << 20;

}  // namespace

QImage LoadImageFile(const QString& path) {
  if (path.isEmpty()) return QImage();
  if (std::optional<QImage> prefetched = ImagePrefetch::Take(path)) return *std::move(prefetched);
  return DecodeImageFile(path);
}

QImage DecodeImageFile(const QString& path) {
  if (path.isEmpty()) return QImage();
  // Read as a regular file only, without waiting: a named pipe or a device in the program
  // folder is a missing image, never a hang.
  std::string bytes;
  if (!sys::ReadRegularFile(QFile::encodeName(path).toStdString(), kMaxImageFileBytes, bytes))
    return QImage();
  QByteArray data = QByteArray::fromRawData(bytes.data(), static_cast<qsizetype>(bytes.size()));
  QBuffer buffer(&data);
  buffer.open(QIODevice::ReadOnly);
  QImageReader reader(&buffer);
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
