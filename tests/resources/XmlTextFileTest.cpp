#include "resources/XmlTextFile.h"

#include <stdlib.h>
#include <sys/stat.h>

#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <vector>

#include "TempDir.h"
#include "platform/sys/Utf.h"

namespace {

using namespace xml;
using resources_test::TempDir;
using resources_test::Utf16Bytes;

// The ANSI code page is the locale's code set: pin it so the expectations hold on any machine.
class XmlTextFileTest : public ::testing::Test {
 protected:
  void SetUp() override {
    const char* old = getenv("LC_ALL");
    saved_ = old ? std::optional<std::string>(old) : std::nullopt;
    setenv("LC_ALL", "C", 1);
  }
  void TearDown() override {
    if (saved_) {
      setenv("LC_ALL", saved_->c_str(), 1);
    } else {
      unsetenv("LC_ALL");
    }
  }

 private:
  std::optional<std::string> saved_;
};

TEST_F(XmlTextFileTest, DetectsTheEncodingAndReportsHowTheTextWasRead) {
  const std::string gbkText = "\xD6\xD0\xCE\xC4";  // 中文 in GB2312
  const std::string gbDecl = "<?xml version=\"1.0\" encoding=\"gb2312\"?>";
  const std::string utf32Decl = "<?xml version='1.0' encoding='UTF-32'?><a/>";  // 43 bytes
  struct Case {
    const char* what;
    std::string bytes;
    std::u16string document;
    std::u16string message;
    uint32_t flags;
  };
  const std::vector<Case> cases = {
      {"UTF-8 mark", "\xEF\xBB\xBF<a>\xC3\xA9</a>", u"<a>\u00E9</a>",
       u"UTF-8 BOM + length 9 to 8 wide chars ", XML_DOC_UTF8},
      {"UTF-16LE mark", Utf16Bytes(u"<a>\u4E2D</a>", false), u"<a>\u4E2D</a>",
       u"UTF-16LE BOM + length 8 ", XML_DOC_UTF16LE},
      {"UTF-16BE mark", Utf16Bytes(u"<a>\u4E2D</a>", true), u"<a>\u4E2D</a>",
       u"UTF-16BE BOM + length 8 endian swap ", XML_DOC_UTF16BE},
      {"UTF-16 zero unit and odd byte", Utf16Bytes(std::u16string(u"<a>\0</a>", 8), false) + "x",
       u"<a></a>", u"UTF-16LE BOM + length 8 (1 nulls removed) ", XML_DOC_UTF16LE},
      {"declared GB2312", gbDecl + "<a>" + gbkText + "</a>",
       sys::FromUtf8(gbDecl) + u"<a>\u4E2D\u6587</a>", u"gb2312 length 50 to 48 wide chars ", 0},
      {"meta charset", "<html><head><meta http-equiv=\"content-type\" "
                       "content=\"text/html; charset=GBK\"></head><body>" + gbkText,
       u"<html><head><meta http-equiv=\"content-type\" content=\"text/html; charset=GBK\">"
       u"</head><body>\u4E2D\u6587",
       u"GBK length 94 to 92 wide chars ", 0},
      {"no mark, starts with '<'", "<a>\xC3\xA9</a>", u"<a>\u00E9</a>",
       u"UTF-8 length 9 to 8 wide chars ", 0},
      {"no mark, UTF-8 text", "hi \xC3\xA9", u"hi \u00E9",
       u"UTF-8 length 5 (used UTF-8 detection) to 4 wide chars ", 0},
      {"no mark, other text", "hi \xE9!", u"hi \uFFFD!",
       u"ANSI length 5 (used UTF-8 detection) to 5 wide chars ", 0},
      {"zero bytes", std::string("<a>x\0y</a>", 10), u"<a>xy</a>",
       u"UTF-8 length 10 (1 nulls removed) to 9 wide chars ", 0},
      {"unknown declared name", "<?xml encoding='x-none'?><a>\xC3\xA9</a>",
       u"<?xml encoding='x-none'?><a>\uFFFD\uFFFD</a>",
       u"x-none length 34 to 34 wide chars ", 0},
      {"declared UTF-16 on 8-bit text", "<?xml encoding='utf-16'?><a/>", u"",
       u"utf-16 length 29 to 0 wide chars ", 0},
      // Whole 32-bit units only: 43 bytes give 10 units, and nothing past the text is read.
      {"declared UTF-32 on 8-bit text", utf32Decl, std::u16string(10, u'\uFFFD'),
       u"UTF-32 length 43 to 10 wide chars ", 0},
      {"empty", "", u"", u"ANSI 0 length ", 0},
      {"mark only", "\xFF\xFE", u"", u"UTF-16LE BOM + 0 length ", XML_DOC_UTF16LE},
  };
  for (const auto& c : cases) {
    std::u16string doc = u"stale", message;
    // Mark bits of an earlier file go, the other flags stay.
    uint32_t flags = XML_DOC_IGNORECASE | XML_DOC_UTF16BE;
    DecodeTextBuffer(c.bytes, doc, message, flags);
    EXPECT_EQ(doc, c.document) << c.what;
    EXPECT_EQ(message, c.message) << c.what;
    EXPECT_EQ(flags, c.flags | XML_DOC_IGNORECASE) << c.what;
  }
}

TEST_F(XmlTextFileTest, ForcedEncodingOverridesDetectionOfEightBitText) {
  std::u16string doc, message;
  uint32_t flags = 0;
  DecodeTextBuffer("<a>\xE9</a>", doc, message, flags, u"ISO-8859-1");
  EXPECT_EQ(doc, u"<a>\u00E9</a>");
  EXPECT_EQ(message, u"UTF-8 forced ISO-8859-1 length 8 to 8 wide chars ");
  DecodeTextBuffer(Utf16Bytes(u"<a/>", false), doc, message, flags, u"ISO-8859-1");
  EXPECT_EQ(doc, u"<a/>");
  EXPECT_EQ(message, u"UTF-16LE BOM + length 4 ");
}

TEST_F(XmlTextFileTest, TheAnsiCodePageIsTheLocaleCodeSet) {
  EXPECT_EQ(AnsiCodeSet(), "ANSI_X3.4-1968");
  setenv("LC_ALL", "C.UTF-8", 1);
  EXPECT_EQ(AnsiCodeSet(), "UTF-8");
  std::u16string doc, message;
  uint32_t flags = 0;
  DecodeTextBuffer("x\xC3\xA9\xFF", doc, message, flags);
  EXPECT_EQ(doc, u"x\u00E9\uFFFD");
}

TEST_F(XmlTextFileTest, ReadTextFileReadsFilesAndReportsWhatCannotBeRead) {
  TempDir dir;
  const std::string path = dir.Write("Language.xml", "\xEF\xBB\xBF<a>\xE4\xB8\xAD</a>");
  std::u16string doc, message;
  uint32_t flags = 0;
  EXPECT_TRUE(ReadTextFile(sys::FromUtf8(path), doc, message, flags));
  EXPECT_EQ(doc, u"<a>\u4E2D</a>");
  EXPECT_EQ(message, u"UTF-8 BOM + length 10 to 8 wide chars ");
  EXPECT_EQ(flags, XML_DOC_UTF8);

  const std::string fifo = dir.path() + "/fifo";
  ASSERT_EQ(mkfifo(fifo.c_str(), 0600), 0);
  struct Case {
    std::string path;
    std::u16string message;
  };
  const std::vector<Case> failures = {
      {dir.path() + "/missing.xml", u"No such file or directory"},
      {dir.path(), u"Is a directory"},
      {fifo, u"Invalid argument"},  // never blocks waiting for a writer
  };
  for (const auto& c : failures) {
    doc = u"stale";
    EXPECT_FALSE(ReadTextFile(sys::FromUtf8(c.path), doc, message, flags)) << c.path;
    EXPECT_EQ(doc, u"");
    EXPECT_EQ(message, c.message);
  }
}

TEST(CodePageFromNameTest, MapsNamesIgnoringCaseExceptUtf32) {
  struct Case {
    std::u16string name;
    int32_t codePage;
  };
  const std::vector<Case> cases = {
      {u"", 0},
      {u"UTF-8", 65001},
      {u"utf-8", 65001},
      {u"GB2312", 936},
      {u"Shift_JIS", 932},
      {u"UTF-32", 65005},
      {u"UTF-32LE", 65005},
      {u"utf-32", -1},
      {u"cp500", 775},
      {u"x-ebcdic-france", 1143},
      {u"iso-ir-6", 1252},
      {u"csiso", 28593},
      {u"UnicodeFFFE", 1201},
      {u"iso_646.irv:1991", 20127},
      {u"not-a-code-page", -1},
      {std::u16string(100, u'a'), -1},
  };
  for (const auto& c : cases) EXPECT_EQ(CodePageFromName(c.name), c.codePage) << sys::ToUtf8(c.name);
}

TEST(IsUtf8TextTest, LooseRule) {
  struct Case {
    std::string bytes;
    bool utf8;
  };
  const std::vector<Case> cases = {
      {"plain", true},
      {"\xC3\xA9\xE4\xB8\xAD\xF0\x9F\x98\x80", true},
      {"\xC3\xFF", true},  // a following byte needs only its top bit
      {"\xC3", false},     // cut short by the end
      {"\xC3" "A", false}, // cut short by an ASCII byte
      {"\xF8\x80\x80\x80\x80", false},
      {std::string("ok\0\xFF", 4), true},  // the test ends at a zero byte
  };
  for (const auto& c : cases) {
    EXPECT_EQ(IsUtf8Text(c.bytes.data(), static_cast<int32_t>(c.bytes.size())), c.utf8)
        << testing::PrintToString(c.bytes);
  }
}

TEST(GetDeclaredEncodingTest, ReadsXmlDeclarationsAndHtmlMetaCharsets) {
  struct Case {
    std::u16string text, encoding;
  };
  const std::vector<Case> cases = {
      {u"<?xml version=\"1.0\" encoding=\"GB2312\"?><a/>", u"GB2312"},
      {u"<?XML VERSION='1.0' ENCODING = 'utf-8' ?>", u"utf-8"},
      {u"<?xml version=\"1.0\"?><a/>", u""},
      {u"<!-- note -->\r\n<?xml encoding=\"big5\"?>", u"big5"},
      {u"<?xml-stylesheet href=\"s\"?><?xml encoding=\"big5\"?>", u""},
      {u"<a/><?xml encoding=\"big5\"?>", u""},
      {u"<html><head><meta http-equiv=\"Content-Type\" content=\"text/html; charset=big5\">",
       u"big5"},
      {u"<HTML><META HTTP-EQUIV='content-type' CONTENT='text/html;charset = koi8-r'>", u"koi8-r"},
      {u"<html><meta http-equiv=\"refresh\" content=\"charset=x\">"
       u"<meta http-equiv=\"Content-Type\" content=\"text/html\">"
       u"<meta http-equiv=\"Content-Type\" content=\"charset=y\">",
       u""},
      {u"<html><head></head><meta http-equiv=\"Content-Type\" content=\"charset=y\">", u""},
      {u"<body><meta http-equiv=\"Content-Type\" content=\"charset=y\">", u""},
      {std::u16string(u"<?xml encoding='a'?>\0", 21), u"a"},
      {u"<?xml encoding=\"unterminated", u""},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(GetDeclaredEncoding(c.text), c.encoding) << sys::ToUtf8(c.text);
  }
}

TEST(ConvertTextTest, CountsThenConverts) {
  const std::string gbk = "a\xD6\xD0";
  tagTEXTCONVERT request{u"UTF-16", u"GBK", gbk.data(), 3, 0, false};
  ASSERT_EQ(ConvertText(request, nullptr), 2);
  EXPECT_EQ(request.resultLength, 2);
  char16_t out[2] = {};
  request.resultLength = 1;
  EXPECT_EQ(ConvertText(request, out), 0) << "a destination that is too small";
  request.resultLength = 2;
  ASSERT_EQ(ConvertText(request, out), 2);
  EXPECT_EQ(std::u16string(out, 2), u"a\u4E2D");

  const char32_t utf32[] = {U'A', U'\U0001F600', 0x110000};
  tagTEXTCONVERT wide{u"UTF-16", u"UTF-32", utf32, 3, 0, false};
  EXPECT_EQ(ConvertText(wide, nullptr), 4);
  char16_t pair[4];
  wide.resultLength = 4;
  ASSERT_EQ(ConvertText(wide, pair), 4);
  EXPECT_EQ(std::u16string(pair, 4), u"A\U0001F600\uFFFD");
  EXPECT_TRUE(wide.usedDefaultChar);

  tagTEXTCONVERT toUtf8{u"UTF-8", u"GBK", gbk.data(), 3, 0, false};
  EXPECT_EQ(ConvertText(toUtf8, nullptr), 0) << "only UTF-16 is a target";
}

TEST(LastErrorTextTest, IsTheSystemMessageOnOneLine) {
  errno = ENOENT;
  EXPECT_EQ(LastErrorText(), u"No such file or directory");
}

}  // namespace
