#pragma once

#include <string>
#include <string_view>

#include "tests/platform/sys/FileTestUtil.h"

namespace resources_test {

using TempDir = testutil::TempFolder;

// UTF-16 text as bytes, little- or big-endian, with its byte-order mark.
inline std::string Utf16Bytes(std::u16string_view text, bool bigEndian) {
  std::string out = bigEndian ? "\xFE\xFF" : "\xFF\xFE";
  for (char16_t c : text) {
    const char hi = char(c >> 8), lo = char(c & 0xFF);
    out += bigEndian ? hi : lo;
    out += bigEndian ? lo : hi;
  }
  return out;
}

}  // namespace resources_test
