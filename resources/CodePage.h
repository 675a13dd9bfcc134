#pragma once

#include <cstdint>
#include <string>
#include <string_view>

// Conversion of 8-bit text in a Windows code page to UTF-16, through iconv. Code page 0 stands
// for the system's "ANSI code page": here the code set of the user's locale (LC_ALL, LC_CTYPE,
// LANG). 65001 is UTF-8; 65005 is the text reader's own mark for UTF-32 (little-endian).
namespace xml {

inline constexpr int32_t kCodePageAnsi = 0;
inline constexpr int32_t kCodePageUtf8 = 65001;
inline constexpr int32_t kCodePageUtf32 = 65005;

// The code set of the user's locale as iconv names it (for example "UTF-8", "GB18030",
// "ANSI_X3.4-1968").
std::string AnsiCodeSet();

// The iconv name for a code page, empty when there is no conversion for it.
std::string IconvName(int32_t codePage);

// Converts `bytes` from the code page. Ill-formed input does not fail: each bad sequence becomes
// U+FFFD and `usedDefault` is set. Returns false when the code page has no conversion here.
bool CodePageToUtf16(int32_t codePage, std::string_view bytes, std::u16string& out,
                     bool& usedDefault);

}  // namespace xml
