#include "platform/sys/Utf.h"

#include <cstdint>
#include <cstring>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

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

// One pass. Runs of ASCII are widened sixteen or eight bytes at a time. An ill-formed
// sequence becomes one U+FFFD and decoding resumes at the first byte that does not continue it.
// Units are gathered in a small buffer and appended, so the result is written only once.
std::u16string FromUtf8(std::string_view bytes, bool* replaced) {
  std::u16string out;
  out.reserve(bytes.size());
  bool usedDefault = false;
  const auto* p = reinterpret_cast<const uint8_t*>(bytes.data());
  const uint8_t* const end = p + bytes.size();
  constexpr size_t kChunk = 2048;
  char16_t buf[kChunk + 16];
  char16_t* o = buf;
  while (p < end) {
    if (o >= buf + kChunk) {
      out.append(buf, static_cast<size_t>(o - buf));
      o = buf;
    }
#if defined(__SSE2__)
    if (end - p >= 16) {
      const __m128i chunk = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p));
      if (!_mm_movemask_epi8(chunk)) {  // sixteen ASCII bytes: widen them
        const __m128i zero = _mm_setzero_si128();
        _mm_storeu_si128(reinterpret_cast<__m128i*>(o), _mm_unpacklo_epi8(chunk, zero));
        _mm_storeu_si128(reinterpret_cast<__m128i*>(o + 8), _mm_unpackhi_epi8(chunk, zero));
        p += 16;
        o += 16;
        continue;
      }
    }
#endif
    if (end - p >= 8) {
      uint64_t chunk;
      std::memcpy(&chunk, p, 8);
      if (!(chunk & 0x8080808080808080ull)) {
        for (int k = 0; k < 8; ++k) o[k] = p[k];
        p += 8;
        o += 8;
        continue;
      }
    }
    const uint8_t b0 = *p;
    if (b0 < 0x80) {
      *o++ = b0;
      ++p;
      continue;
    }
    size_t len;
    char32_t c, min;
    if ((b0 & 0xE0) == 0xC0) {
      len = 2, c = b0 & 0x1F, min = 0x80;
    } else if ((b0 & 0xF0) == 0xE0) {
      len = 3, c = b0 & 0x0F, min = 0x800;
    } else if ((b0 & 0xF8) == 0xF0) {
      len = 4, c = b0 & 0x07, min = 0x10000;
    } else {
      *o++ = kReplacement;
      usedDefault = true;
      ++p;
      continue;
    }
    size_t k = 1;
    for (; k < len && p + k < end && (p[k] & 0xC0) == 0x80; ++k) c = (c << 6) | (p[k] & 0x3F);
    if (k < len || c < min || c > 0x10FFFF || (c >= 0xD800 && c <= 0xDFFF)) {
      *o++ = kReplacement;
      usedDefault = true;
      p += k;
      continue;
    }
    p += len;
    if (c < 0x10000) {
      *o++ = static_cast<char16_t>(c);
    } else {
      c -= 0x10000;
      *o++ = static_cast<char16_t>(0xD800 + (c >> 10));
      *o++ = static_cast<char16_t>(0xDC00 + (c & 0x3FF));
    }
  }
  out.append(buf, static_cast<size_t>(o - buf));
  if (replaced != nullptr) *replaced = usedDefault;
  return out;
}

}  // namespace sys
