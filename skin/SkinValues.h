#pragma once

#include <QImage>
#include <QRect>
#include <QString>

#include <string_view>

#include "resources/INIFile.h"

// Reading one window's values from the skin file: rectangles "x, y, w, h", single numbers and
// image files named relative to the image folder.
namespace skin {

// The largest magnitude of a coordinate or size read from the skin file: what an X11 window
// coordinate can hold. Larger values are taken as this bound, so that no arithmetic on a
// rectangle (its right edge, a move into another window's coordinates) can overflow.
inline constexpr int kMaxSkinCoordinate = 32767;

// The rectangle of `key` as (x, y, w, h), each number held to ±kMaxSkinCoordinate; numbers the
// value does not give stay 0.
QRect ReadRect(const CINIFile& skinFile, const QString& section, std::u16string_view key);

// The first number of `key`, 0 when there is none.
int ReadInt(const CINIFile& skinFile, const QString& section, std::u16string_view key);

// The path of the image named by `key` in the image folder, empty when the value is empty.
QString SkinImagePath(const QString& imageFolder, const CINIFile& skinFile, const QString& section,
                      std::u16string_view key);

// The image named by `key`, decoded by content; null when the value is empty or the file is
// missing or unreadable.
QImage LoadSkinImage(const QString& imageFolder, const CINIFile& skinFile, const QString& section,
                     std::u16string_view key);

}  // namespace skin
