#pragma once

#include <QImage>
#include <QPoint>
#include <QRect>
#include <QString>

// Images of the skin: loaded by content (PNG, BMP and whatever else Qt decodes, whatever the
// file name says) and cut into the blocks that controls own.
namespace ui {

// The image in the file, or a null image when the file is missing, is not a regular file (a
// named pipe is not waited for) or cannot be decoded. An image that a live ImagePrefetch was
// asked for is taken from it rather than decoded again.
QImage LoadImageFile(const QString& path);

// The same, always decoded here and now.
QImage DecodeImageFile(const QString& path);

// A copy of the block `rect` of `sheet`, keeping its alpha. A null sheet, an empty rectangle or
// one that does not lie wholly inside the sheet gives a null image.
QImage CutImage(const QImage* sheet, const QRect& rect);

// An image a window keeps (its background), which holds a block of the sheets' coordinates with
// its top-left corner at `at`.
struct KeptImage {
  QImage image;
  QPoint at;
};

// The same cut, but where `kept` holds the block with the very same pixels, an image over the
// kept image's memory (and keeping it alive) instead of a copy: it draws the same and takes no
// memory of its own. Any other cut is kept as KeptOpaque keeps an image.
QImage CutImage(const QImage* sheet, const QRect& rect, const KeptImage& kept);

// The block `rect` of `sheet` as an opaque image of the rectangle's size: transparent pixels
// and the parts of the block outside the sheet are black. A null sheet or an empty rectangle
// gives a null image.
QImage CopyBlockOpaque(const QImage& sheet, const QRect& rect);

// An image a window keeps to paint from: an opaque 32-bit one in 24-bit RGB, the same colours in
// three quarters of the memory; any other as it is.
QImage KeptOpaque(QImage image);

}  // namespace ui
