#pragma once

#include <QImage>
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

// The block `rect` of `sheet` as an opaque image of the rectangle's size: transparent pixels
// and the parts of the block outside the sheet are black. A null sheet or an empty rectangle
// gives a null image.
QImage CopyBlockOpaque(const QImage& sheet, const QRect& rect);

}  // namespace ui
