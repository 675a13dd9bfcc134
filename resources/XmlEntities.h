#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace xml {

// Copies a run of text with its character references decoded: the named ones of HTML 4.01 plus
// "apos", decimal "&#65;" and hexadecimal "&#x41;". A reference that is unknown, unterminated
// within ten units, or names no Unicode scalar value stays as written.
std::u16string DecodeEntities(std::u16string_view run);

// The code point of a named reference, 0 when unknown. The exact spelling wins; otherwise the
// name matches ignoring ASCII case, and of two names that differ only in case (Eacute, eacute)
// the capital form is taken.
uint32_t EntityCodePoint(std::u16string_view name);

}  // namespace xml
