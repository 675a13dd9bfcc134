#include "platform/sys/Utf.h"

#include <gtest/gtest.h>

namespace {

TEST(Utf, RoundTripsAsciiCjkAndAstralText) {
  const std::u16string texts[] = {u"", u"Setup.ini", u"配置界面文件错误！", u"a\U0001F600b"};
  for (const auto& t : texts) EXPECT_EQ(sys::FromUtf8(sys::ToUtf8(t)), t);
  EXPECT_EQ(sys::ToUtf8(u"\u00e9\u4e2d"), "\xC3\xA9\xE4\xB8\xAD");
}

TEST(Utf, IllFormedInputBecomesReplacementCharacters) {
  struct Case {
    std::string utf8;
    std::u16string utf16;
  } cases[] = {
      {"\xFF", u"\uFFFD"},
      {"a\xE4\xB8", u"a\uFFFD"},          // truncated sequence at the end
      {"\xE4\xB8" "b", u"\uFFFDb"},       // truncated sequence before an ASCII byte
      {"\xC0\x80", u"\uFFFD"},            // overlong encoding of NUL
      {"\xED\xA0\x80", u"\uFFFD"},        // encoded surrogate
      {"\xF4\x90\x80\x80", u"\uFFFD"},    // above U+10FFFF
  };
  for (const Case& c : cases) EXPECT_EQ(sys::FromUtf8(c.utf8), c.utf16) << c.utf8.size();
  EXPECT_EQ(sys::ToUtf8(std::u16string(1, char16_t(0xD800))), "\xEF\xBF\xBD");
}

}  // namespace
