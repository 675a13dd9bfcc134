#pragma once

#include <string>
#include <string_view>

// Conversions between the UTF-16 of records and widgets and the UTF-8 of Linux paths and
// terminals. Ill-formed input never fails: each bad unit becomes U+FFFD.
namespace sys {

std::string ToUtf8(std::u16string_view text);
// `*replaced` (when given) tells whether any replacement was made.
std::u16string FromUtf8(std::string_view text, bool* replaced = nullptr);

}  // namespace sys
