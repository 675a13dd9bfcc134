#include "platform/ui/ImageFile.h"

#include <QBuffer>
#include <QByteArray>
#include <QFile>
#include <QImageReader>
#include <QPainter>

#include <cstring>
#include <string>
#include <string_view>

#include "platform/sys/ReadFile.h"
#include "platform/ui/ImagePrefetch.h"

namespace ui {
namespace {

// Far above any skin image or icon; a larger file is no image of ours.
constexpr size_t kMaxImageFileBytes = 64u << 20;

bool Is32Bit(QImage::Format format) {
  return format == QImage::Format_RGB32 || format == QImage::Format_ARGB32 ||
         format == QImage::Format_ARGB32_Premultiplied;
}

// Whether `kept` in 24-bit RGB holds at `from` the pixels of the 32-bit block `rect` of `sheet`:
// opaque ones of the same colour.
bool HoldsInRgb888(const QImage& kept, const QPoint& from, const QImage& sheet, const QRect& rect) {
  for (int y = 0; y < rect.height(); ++y) {
    const uchar* held = kept.constScanLine(from.y() + y) + from.x() * 3;
    const auto* cut = reinterpret_cast<const QRgb*>(sheet.constScanLine(rect.y() + y)) + rect.x();
    for (int x = 0; x < rect.width(); ++x, held += 3) {
      const QRgb c = cut[x];
      if (qAlpha(c) != 255 || held[0] != qRed(c) || held[1] != qGreen(c) || held[2] != qBlue(c))
        return false;
    }
  }
  return true;
}

// Whether `kept` holds at `from` the pixels of the block `rect` of `sheet`: the same 32-bit
// values, and opaque ones where the formats differ (every 32-bit format stores those alike).
bool Holds(const QImage& kept, const QPoint& from, const QImage& sheet, const QRect& rect) {
  if (!Is32Bit(sheet.format())) return false;
  if (kept.format() == QImage::Format_RGB888) return HoldsInRgb888(kept, from, sheet, rect);
  if (!Is32Bit(kept.format())) return false;
  const bool sameFormat = kept.format() == sheet.format();
  const size_t bytes = static_cast<size_t>(rect.width()) * 4;
  for (int y = 0; y < rect.height(); ++y) {
    const auto* held = reinterpret_cast<const QRgb*>(kept.constScanLine(from.y() + y)) + from.x();
    const auto* cut = reinterpret_cast<const QRgb*>(sheet.constScanLine(rect.y() + y)) + rect.x();
    if (std::memcmp(held, cut, bytes) != 0) return false;
    if (sameFormat) continue;
    for (int x = 0; x < rect.width(); ++x) {
      if (qAlpha(held[x]) != 255) return false;
    }
  }
  return true;
}

void ReleaseKept(void* kept) { delete static_cast<QImage*>(kept); }

// The format of Qt's own decoders that the content's signature names, PNG or BMP (the skin's),
// as Qt's detection by content would find it: no image plugin claims these signatures. Empty
// for any other content.
QByteArray BuiltInFormatOf(std::string_view bytes) {
  constexpr std::string_view kPng("\x89PNG\r\n\x1a\n", 8);
  if (bytes.starts_with(kPng)) return QByteArrayLiteral("png");
  if (bytes.starts_with("BM")) return QByteArrayLiteral("bmp");
  return {};
}

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
  const QByteArray format = BuiltInFormatOf(bytes);
  if (format.isEmpty()) {
    reader.setDecideFormatFromContent(true);
  } else {
    // Decoded by the handler that the content would choose anyway, without Qt loading and
    // asking each of its image plugins first.
    reader.setFormat(format);
    reader.setAutoDetectImageFormat(false);
  }
  return reader.read();
}

QImage CutImage(const QImage* sheet, const QRect& rect) {
  if (!sheet || sheet->isNull() || rect.isEmpty() || !sheet->rect().contains(rect)) return QImage();
  return sheet->copy(rect);
}

QImage CutImage(const QImage* sheet, const QRect& rect, const KeptImage& kept) {
  const QRect held = rect.translated(-kept.at);
  if (!sheet || sheet->isNull() || rect.isEmpty() || !sheet->rect().contains(rect) ||
      kept.image.isNull() || !kept.image.rect().contains(held) ||
      !Holds(kept.image, held.topLeft(), *sheet, rect)) {
    return KeptOpaque(CutImage(sheet, rect));
  }
  const uchar* bits = kept.image.constScanLine(held.y()) + held.x() * (kept.image.depth() / 8);
  return QImage(bits, rect.width(), rect.height(), kept.image.bytesPerLine(), kept.image.format(),
                ReleaseKept, new QImage(kept.image));
}

QImage CopyBlockOpaque(const QImage& sheet, const QRect& rect) {
  if (sheet.isNull() || rect.isEmpty()) return QImage();
  QImage block(rect.size(), QImage::Format_RGB32);
  block.fill(Qt::black);
  {
    QPainter painter(&block);
    painter.drawImage(QPoint(0, 0), sheet, rect);
  }
  return block;
}

QImage KeptOpaque(QImage image) {
  if (image.format() != QImage::Format_RGB32 || image.isNull()) return image;
  // Three bytes a pixel instead of four, the same colours. Converted here line by line rather
  // than by QImage, whose conversion of a large image runs on Qt's thread pool: those threads
  // would live on idle after the start, and their hand-over is one ThreadSanitizer cannot
  // follow.
  QImage kept(image.size(), QImage::Format_RGB888);
  if (kept.isNull()) return image;
  kept.setDevicePixelRatio(image.devicePixelRatio());
  for (int y = 0; y < image.height(); ++y) {
    const auto* from = reinterpret_cast<const QRgb*>(image.constScanLine(y));
    uchar* to = kept.scanLine(y);
    for (int x = 0; x < image.width(); ++x, to += 3) {
      to[0] = static_cast<uchar>(qRed(from[x]));
      to[1] = static_cast<uchar>(qGreen(from[x]));
      to[2] = static_cast<uchar>(qBlue(from[x]));
    }
  }
  return kept;
}

}  // namespace ui
