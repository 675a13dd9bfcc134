#include "resources/CodePage.h"

#include <iconv.h>
#include <langinfo.h>
#include <locale.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <mutex>

#include "platform/sys/Utf.h"

namespace xml {
namespace {

struct CodePageName {
  int32_t codePage;
  const char* iconv;
};

// Code pages whose iconv name is not simply "CP" followed by the number.
constexpr CodePageName kNames[] = {
    {37, "IBM037"},          {420, "IBM420"},         {500, "IBM500"},
    {708, "ASMO-708"},       {870, "IBM870"},         {875, "IBM875"},
    {1026, "IBM1026"},       {1140, "IBM1140"},
    {1142, "IBM1142"},       {1143, "IBM1143"},       {1144, "IBM1144"},
    {1145, "IBM1145"},       {1146, "IBM1146"},       {1147, "IBM1147"},
    {1148, "IBM1148"},       {1149, "IBM1149"},       {1361, "JOHAB"},
    {10000, "MACINTOSH"},    {10001, "SHIFT_JIS"},    {10002, "BIG5"},
    {10003, "EUC-KR"},       {10007, "MAC-CYRILLIC"}, {10008, "EUC-CN"},
    {10029, "MAC-CENTRALEUROPE"}, {10079, "MAC-IS"},  {20000, "EUC-TW"},
    {20002, "BIG5"},         {20105, "ISO646-US"},    {20106, "ISO646-DE"},
    {20107, "ISO646-SE"},    {20108, "ISO646-NO"},    {20127, "ASCII"},
    {20273, "IBM273"},       {20277, "IBM277"},       {20278, "IBM278"},
    {20280, "IBM280"},       {20284, "IBM284"},       {20285, "IBM285"},
    {20290, "IBM290"},       {20423, "IBM423"},       {20424, "IBM424"},
    {20866, "KOI8-R"},       {20873, "IBM871"},
    {20880, "IBM880"},       {20905, "IBM905"},       {21025, "IBM1025"},
    {21866, "KOI8-U"},       {28591, "ISO-8859-1"},   {28592, "ISO-8859-2"},
    {28593, "ISO-8859-3"},   {28594, "ISO-8859-4"},   {28595, "ISO-8859-5"},
    {28596, "ISO-8859-6"},   {28597, "ISO-8859-7"},   {28598, "ISO-8859-8"},
    {28599, "ISO-8859-9"},   {28605, "ISO-8859-15"},
    {38598, "ISO-8859-8"},   {50220, "ISO-2022-JP"},  {50221, "ISO-2022-JP"},
    {50222, "ISO-2022-JP"},  {50225, "ISO-2022-KR"},  {50930, "IBM930"},
    {50933, "IBM933"},       {50935, "IBM935"},       {50937, "IBM937"},
    {50939, "IBM939"},       {51932, "EUC-JP"},       {51936, "EUC-CN"},
    {51949, "EUC-KR"},       {65000, "UTF-7"},        {65001, "UTF-8"},
    // No 8-bit conversion exists for these: the text reader only meets them as misdeclared
    // 8-bit files.
    {1200, ""},              {1201, ""},              {65005, ""},
    {29001, ""},             {52936, ""},             {20838, ""},
    {20833, ""},
};

void AppendReplacement(std::u16string& out, bool& usedDefault) {
  out += u'\uFFFD';
  usedDefault = true;
}

bool Utf8ToUtf16(std::string_view bytes, std::u16string& out, bool& usedDefault) {
  bool replaced = false;
  out = sys::FromUtf8(bytes, &replaced);
  usedDefault = usedDefault || replaced;
  return true;
}

// Whole 32-bit little-endian units only; a trailing partial unit is dropped, and a value that is
// no Unicode scalar value becomes U+FFFD.
bool Utf32ToUtf16(std::string_view bytes, std::u16string& out, bool& usedDefault) {
  out.clear();
  out.reserve(bytes.size() / 4);
  for (size_t i = 0; i + 4 <= bytes.size(); i += 4) {
    const auto b = [&](size_t k) { return static_cast<uint32_t>(static_cast<uint8_t>(bytes[i + k])); };
    const uint32_t u = b(0) | b(1) << 8 | b(2) << 16 | b(3) << 24;
    if (u > 0x10FFFF || (u >= 0xD800 && u <= 0xDFFF)) {
      AppendReplacement(out, usedDefault);
    } else if (u < 0x10000) {
      out += static_cast<char16_t>(u);
    } else {
      out += static_cast<char16_t>(0xD800 | (((u - 0x10000) >> 10) & 0x3FF));
      out += static_cast<char16_t>(0xDC00 | (u & 0x3FF));
    }
  }
  return true;
}

bool IconvToUtf16(const std::string& from, std::string_view bytes, std::u16string& out,
                  bool& usedDefault) {
  iconv_t cd = iconv_open("UTF-16LE", from.c_str());
  if (cd == reinterpret_cast<iconv_t>(-1)) return false;
  out.clear();
  out.reserve(bytes.size());
  char* in = const_cast<char*>(bytes.data());
  size_t inLeft = bytes.size();
  char buf[4096];
  const auto flush = [&](const char* end) {
    for (const char* p = buf; p + 1 < end; p += 2) {
      out += static_cast<char16_t>(static_cast<uint8_t>(p[0]) | static_cast<uint8_t>(p[1]) << 8);
    }
  };
  bool ok = true;
  while (inLeft > 0) {
    char* o = buf;
    size_t oLeft = sizeof buf;
    const size_t r = iconv(cd, &in, &inLeft, &o, &oLeft);
    flush(o);
    if (r != static_cast<size_t>(-1)) continue;
    if (errno == E2BIG) continue;
    if (errno == EILSEQ) {  // skip one byte of the bad sequence and go on
      AppendReplacement(out, usedDefault);
      ++in;
      --inLeft;
      continue;
    }
    if (errno == EINVAL) {  // a sequence cut short by the end of the text
      AppendReplacement(out, usedDefault);
      break;
    }
    ok = false;
    break;
  }
  // Stateful encodings (ISO-2022) may still have output pending.
  char* o = buf;
  size_t oLeft = sizeof buf;
  iconv(cd, nullptr, nullptr, &o, &oLeft);
  flush(o);
  iconv_close(cd);
  return ok;
}

}  // namespace

std::string AnsiCodeSet() {
  // Asking the C library for a locale reads its files; the answer is kept for as long as the
  // locale variables stay the same.
  static std::mutex mutex;
  static std::string cachedKey;
  static std::string cachedSet;
  std::string key;
  for (const char* name : {"LC_ALL", "LC_CTYPE", "LANG"}) {
    const char* v = getenv(name);
    key += v ? v : "";
    key += '\n';
  }
  const std::lock_guard<std::mutex> lock(mutex);
  if (!cachedSet.empty() && key == cachedKey) return cachedSet;
  locale_t loc = newlocale(LC_CTYPE_MASK, "", static_cast<locale_t>(0));
  if (loc == static_cast<locale_t>(0)) loc = newlocale(LC_CTYPE_MASK, "C", static_cast<locale_t>(0));
  std::string set;
  if (loc != static_cast<locale_t>(0)) {
    set = nl_langinfo_l(CODESET, loc);
    freelocale(loc);
  }
  if (set.empty()) set = "ANSI_X3.4-1968";
  cachedKey = std::move(key);
  cachedSet = set;
  return set;
}

std::string IconvName(int32_t codePage) {
  if (codePage == kCodePageAnsi) return AnsiCodeSet();
  for (const auto& n : kNames) {
    if (n.codePage == codePage) return n.iconv;
  }
  if (codePage < 0) return {};
  return "CP" + std::to_string(codePage);
}

bool CodePageToUtf16(int32_t codePage, std::string_view bytes, std::u16string& out,
                     bool& usedDefault) {
  out.clear();
  if (codePage == kCodePageUtf32) return Utf32ToUtf16(bytes, out, usedDefault);
  const std::string name = IconvName(codePage);
  if (name.empty()) return false;
  if (name == "UTF-8" || name == "utf8" || name == "UTF8") return Utf8ToUtf16(bytes, out, usedDefault);
  return IconvToUtf16(name, bytes, out, usedDefault);
}

}  // namespace xml
