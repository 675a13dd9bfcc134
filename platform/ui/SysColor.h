#pragma once

#include <QColor>

#include <cstdint>

// The system colours of the Windows model as one fixed table, so that owner-drawn controls look
// the same on every desktop and in tests. Colours are 0x00BBGGRR values.
namespace ui {

using COLORREF = uint32_t;

inline constexpr int COLOR_WINDOWTEXT = 8;
inline constexpr int COLOR_INACTIVEBORDER = 11;
inline constexpr int COLOR_HIGHLIGHT = 13;
inline constexpr int COLOR_HIGHLIGHTTEXT = 14;
inline constexpr int COLOR_BTNSHADOW = 16;

// The colour of `index` (the default desktop scheme); 0 (black) for an index not in the table.
COLORREF GetSysColor(int index);

constexpr COLORREF RGB(uint8_t r, uint8_t g, uint8_t b) {
  return COLORREF(r) | (COLORREF(g) << 8) | (COLORREF(b) << 16);
}

// A 0x00BBGGRR value as an opaque QColor.
inline QColor ColorFromRef(COLORREF c) {
  return QColor(int(c & 0xFF), int((c >> 8) & 0xFF), int((c >> 16) & 0xFF));
}

}  // namespace ui
