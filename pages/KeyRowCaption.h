#pragma once

#include <QString>

#include "skin/BitmapBtn.h"

// The caption of a row of the button page. The row's face ends in the skin's drop-down arrow,
// its rightmost kRowArrowWidth pixels; the text goes in the rest, the row's text area. A text
// that fits there centred on the row is drawn as every image button's caption is; a longer one
// is centred in the text area, cut at the right with "…" when it is wider than the area.
namespace pages {

inline constexpr int kRowArrowWidth = 16;
// The rows' caption height, the image button's own.
inline constexpr int kRowFontHeight = 12;

void SetRowCaption(CBitmapBtn& row, const QString& text);

}  // namespace pages
