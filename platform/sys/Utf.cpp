#include "platform/sys/Utf.h"

#include <cstdint>

namespace sys {
namespace {

void AppendUtf8(std::string& out, char32_t c) {
  if (c < 0x80) {
    out += static_cast<char>(c);
  } else if (c < 0x800) {
    out += static_cast<char>(0xC0 | (c >> 6));
    out += static_cast<char>(0x80 | (c & 0x3F));
  } else if (c < 0x10000) {
    out += static_cast<char>(0xE0 | (c >> 12));
    out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (c & 0x3F));
  } else {
    out += static_cast<char>(0xF0 | (c >> 18));
    out += static_cast<char>(0x80 | ((c >> 12) & 0x3F));
    out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (c & 0x3F));
  }
}

void AppendUtf16(std::u16string& out, char32_t c) {
  if (c < 0x10000) {
    out += static_cast<char16_t>(c);
  } else {
    c -= 0x10000;
    out += static_cast<char16_t>(0xD800 + (c >> 10));
    out += static_cast<char16_t>(0xDC00 + (c & 0x3FF));
  }
}

constexpr char32_t kReplacement = 0xFFFD;

}  // namespace

std::string ToUtf8(std::u16string_view text) {
  std::string out;
  out.reserve(text.size());
  for (size_t i = 0; i < text.size(); ++i) {
    const char16_t u = text[i];
    if (u >= 0xD800 && u <= 0xDBFF && i + 1 < text.size() && text[i + 1] >= 0xDC00 &&
        text[i + 1] <= 0xDFFF) {
      AppendUtf8(out, 0x10000 + ((char32_t(u) - 0xD800) << 10) + (char32_t(text[i + 1]) - 0xDC00));
      ++i;
    } else if (u >= 0xD800 && u <= 0xDFFF) {
      AppendUtf8(out, kReplacement);  // unpaired surrogate
    } else {
      AppendUtf8(out, u);
    }
  }
  return out;
}

std::u16string FromUtf8(std::string_view text) {
  std::u16string out;
  out.reserve(text.size());
  size_t i = 0;
  while (i < text.size()) {
    const auto b0 = static_cast<uint8_t>(text[i]);
    size_t len = 0;
    char32_t c = 0;
    char32_t min = 0;
    if (b0 < 0x80) {
      out += static_cast<char16_t>(b0);
      ++i;
      continue;
    } else if ((b0 & 0xE0) == 0xC0) {
      len = 2, c = b0 & 0x1F, min = 0x80;
    } else if ((b0 & 0xF0) == 0xE0) {
      len = 3, c = b0 & 0x0F, min = 0x800;
    } else if ((b0 & 0xF8) == 0xF0) {
      len = 4, c = b0 & 0x07, min = 0x10000;
    } else {
      AppendUtf16(out, kReplacement);
      ++i;
      continue;
    }
    size_t k = 1;
    for (; k < len && i + k < text.size(); ++k) {
      const auto b = static_cast<uint8_t>(text[i + k]);
      if ((b & 0xC0) != 0x80) break;
      c = (c << 6) | (b & 0x3F);
    }
    if (k < len || c < min || c > 0x10FFFF || (c >= 0xD800 && c <= 0xDFFF)) {
      AppendUtf16(out, kReplacement);
      i += k;  // resynchronise at the first byte that did not continue the sequence
      continue;
    }
    AppendUtf16(out, c);
    i += len;
  }
  return out;
}

}  // namespace sys
