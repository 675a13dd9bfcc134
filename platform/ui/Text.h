#pragma once

#include <QString>

#include <string_view>

namespace ui {

// A UTF-16 text of the core code as a Qt string (both are UTF-16: the units are copied as they
// are).
inline QString ToQString(std::u16string_view text) {
  return QString::fromUtf16(text.data(), static_cast<qsizetype>(text.size()));
}

}  // namespace ui
