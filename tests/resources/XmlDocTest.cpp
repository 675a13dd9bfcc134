#include "resources/XmlDoc.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "TempDir.h"
#include "platform/sys/Utf.h"
#include "resources/XmlEntities.h"

namespace {

using resources_test::TempDir;

std::string U8(std::u16string_view s) { return sys::ToUtf8(s); }

TEST(XmlDocParseTest, JudgesWellFormednessAndKeepsTheFirstMessage) {
  struct Case {
    std::u16string doc;
    bool ok;
    std::u16string result;
  };
  const std::vector<Case> cases = {
      {u"<a><b>x</b></a>", true, u""},
      {u"<?xml version='1.0'?>\r\n<!-- c -->\r\n<!DOCTYPE a [<!ENTITY e '>'>]>\r\n<a/>\r\n", true,
       u""},
      {u"<a t='>' u=\"/>\"><b/></a>", true, u""},
      {u"<a><![CDATA[</a>]]></a>", true, u""},
      {u"", false, u"Empty document"},
      {u"just text", false, u"No root element"},
      {u"<a/><b/>", false, u"Root element has sibling"},
      {u"<a></b></a>", false, u"No start tag for end tag 'b' at offset 3"},
      {u"<a><b></a>", false, u"End tag 'a' at offset 7 does not match start tag 'b' at offset 3"},
      {u"<a><b><c></a>", false,
       u"End tag 'a' at offset 10 does not match start tag 'c' at offset 6"},
      {u"<a>", false, u"Element 'a' at offset 0 not ended"},
      // The unended a gives up its child, so the root gets a sibling; that message wins.
      {u"<a><b>", false, u"Root element has sibling"},
      {u"<a x=y/>", false, u"Element 'a' at offset 0 not ended"},
      {u"<1><a/>", false, u"Incorrect tag name character at offset 0"},
      {u"<a>< b</a>", false, u"Incorrect tag name character at offset 3"},
      {u"<a><!-x></a>", false, u"Incorrect comment tag at offset 3"},
      {u"<a><![x]></a>", false, u"Incorrect tag at offset 3"},
      {u"<a><!x></a>", false, u"Incorrect ! tag at offset 3"},
      {u"<a><!-- open", false, u"Comment at offset 3 unterminated"},
      {u"<a><!--></a>", false, u"Comment at offset 3 unterminated"},
      {u"<a><b t='x", false, u"Element tag at offset 3 unterminated"},
      {u"<a></a", false, u"Element end tag at offset 3 unterminated"},
      {u"<a><![CDATA[x", false, u"CDATA Section at offset 3 unterminated"},
      {u"<a><?pi", false, u"Processing instruction at offset 3 unterminated"},
      {u"<a><!DOCTYPE a [<!ENTITY e '>", false, u"Doctype at offset 3 unterminated"},
      // In the internal subset, comments and processing instructions are skipped whole (their
      // quotes and '<' do not count); quotes count only inside declarations.
      {u"<!DOCTYPE a [\n<!-- it's -->\n]>\n<a>x</a>", true, u""},
      {u"<!DOCTYPE a [<!-- \"<x -->]><a/>", true, u""},
      {u"<!DOCTYPE a [<?pi don't?>]><a/>", true, u""},
      {u"<!DOCTYPE a [<!-- > ' --><!ENTITY e '-->'><?p '?>]><a/>", true, u""},
      // An unended comment or instruction takes the rest of the document with it.
      {u"<!DOCTYPE a [<!-- it's ]><a/>", false, u"No root element"},
      {u"<!DOCTYPE a [<?pi ]><a/>", false, u"No root element"},
      {u"<a><", false, u"tag at offset 3 unterminated"},
      {std::u16string(u"<a/>\0<b/>", 9), true, u""},  // the text ends at a zero unit
  };
  for (const auto& c : cases) {
    CXmlDoc doc;
    EXPECT_EQ(doc.SetDoc(c.doc), c.ok) << U8(c.doc);
    EXPECT_EQ(doc.GetResult(), c.result) << U8(c.doc);
  }
}

// A comment of the internal subset with a quote in it no longer hides the elements after it.
TEST(XmlDocParseTest, ElementsAfterACommentWithAQuoteInTheInternalSubsetAreRead) {
  CXmlDoc doc;
  ASSERT_TRUE(doc.SetDoc(u"<!DOCTYPE a [\n<!-- it's -->\n]>\n<a><b>x</b></a>"));
  EXPECT_TRUE(doc.FindChildElem(u"b"));
  EXPECT_EQ(doc.GetChildData(), u"x");
}

TEST(XmlDocParseTest, ANewDocumentIsEmpty) {
  CXmlDoc doc;
  EXPECT_EQ(doc.GetResult(), u"Empty document");
  EXPECT_FALSE(doc.FindChildElem());
  EXPECT_FALSE(doc.IntoElem());
  EXPECT_EQ(doc.GetChildData(), u"");
}

TEST(XmlDocNavigationTest, FindsChildrenByNameFromTheRoot) {
  CXmlDoc doc;
  ASSERT_TRUE(doc.SetDoc(u"<a><b>x</b><c><b>inner</b></c><b>y</b></a>"));
  EXPECT_TRUE(doc.FindChildElem(u"b"));
  EXPECT_EQ(doc.GetChildData(), u"x");
  EXPECT_TRUE(doc.FindChildElem(u"b"));
  EXPECT_EQ(doc.GetChildData(), u"y") << "the b inside c is no child of a";
  EXPECT_FALSE(doc.FindChildElem(u"b"));
  EXPECT_EQ(doc.GetChildData(), u"y") << "a failed search keeps the positions";

  doc.ResetPos();
  ASSERT_TRUE(doc.FindChildElem(u"c"));
  ASSERT_TRUE(doc.IntoElem());
  ASSERT_TRUE(doc.FindChildElem(u"b"));
  EXPECT_EQ(doc.GetChildData(), u"inner");

  doc.ResetPos();
  ASSERT_TRUE(doc.FindChildElem());  // any name: the first child
  EXPECT_EQ(doc.GetChildData(), u"x");
  doc.ResetPos();
  EXPECT_FALSE(doc.FindChildElem(u"a")) << "the root is no child of itself";
}

TEST(XmlDocNavigationTest, NamesMatchAsRequests) {
  CXmlDoc doc;
  ASSERT_TRUE(doc.SetDoc(u"<r><items>s</items><item id='1'>1</item></r>"));
  struct Case {
    std::u16string request, data;
    bool found;
  };
  const std::vector<Case> cases = {
      {u"item", u"1", true},   {u"item[2]", u"1", true}, {u"item id", u"1", true},
      {u"ite", u"", false},    {u"ITEM", u"", false},    {u"items", u"s", true},
  };
  for (const auto& c : cases) {
    doc.ResetPos();
    EXPECT_EQ(doc.FindChildElem(c.request), c.found) << U8(c.request);
    if (c.found) {
      EXPECT_EQ(doc.GetChildData(), c.data) << U8(c.request);
    }
  }
  CXmlDoc folded;
  folded.SetDocFlags(xml::XML_DOC_IGNORECASE);
  ASSERT_TRUE(folded.SetDoc(u"<R><Item>1</ITEM></r>"));
  EXPECT_TRUE(folded.FindChildElem(u"iTEM"));
  EXPECT_EQ(folded.GetChildData(), u"1");
}

TEST(XmlDocNavigationTest, BrokenDocumentsStayNavigable) {
  CXmlDoc doc;
  // An unmatched end tag is skipped.
  EXPECT_FALSE(doc.SetDoc(u"<a></b><c>y</c></a>"));
  EXPECT_TRUE(doc.FindChildElem(u"c"));
  EXPECT_EQ(doc.GetChildData(), u"y");
  // An unended element is closed at its start tag and its children move up beside it.
  EXPECT_FALSE(doc.SetDoc(u"<a><b><c>x</c><d>z</d></a>"));
  ASSERT_TRUE(doc.FindChildElem(u"c"));
  EXPECT_EQ(doc.GetChildData(), u"x");
  ASSERT_TRUE(doc.FindChildElem(u"d"));
  EXPECT_EQ(doc.GetChildData(), u"z");
  doc.ResetPos();
  ASSERT_TRUE(doc.FindChildElem(u"b"));
  EXPECT_EQ(doc.GetChildData(), u"");
  EXPECT_TRUE(doc.FindChildElem(u"c")) << "c follows b";
}

TEST(XmlDocNavigationTest, DeeplyNestedUnendedElementsCloseInLinearTime) {
  std::u16string text;
  constexpr int kDepth = 100000;
  for (int i = 0; i < kDepth; ++i) text += u"<a>";
  text += u"<b>x</b>";
  CXmlDoc doc;
  EXPECT_FALSE(doc.SetDoc(text));
  EXPECT_EQ(doc.GetResult(), u"Root element has sibling");
  doc.ResetPos();
  ASSERT_TRUE(doc.FindElem(u"b")) << "every element ends up at the top level";
  ASSERT_FALSE(doc.FindChildElem());
}

TEST(XmlDocDataTest, TextContentIsDecodedAndCdataKeptRaw) {
  struct Case {
    std::u16string content, data;
  };
  const std::vector<Case> cases = {
      {u"a &amp; b", u"a & b"},
      {u"<c/>", u""},
      {u"<![CDATA[<x>]]>", u"<x>"},
      {u"a<!-- c -->b<?p?> <![CDATA[&amp;]]> &lt;", u"ab&amp; <"},
      {u"<![CDATA[]]>", u""},
      {u"<![C]]>", u""},
      {u"", u""},
  };
  for (const auto& c : cases) {
    CXmlDoc doc;
    doc.SetDoc(u"<r><e>" + c.content + u"</e></r>");
    ASSERT_TRUE(doc.FindChildElem(u"e")) << U8(c.content);
    EXPECT_EQ(doc.GetChildData(), c.data) << U8(c.content);
  }
  CXmlDoc empty;
  ASSERT_TRUE(empty.SetDoc(u"<r><e/></r>"));
  ASSERT_TRUE(empty.FindChildElem(u"e"));
  EXPECT_EQ(empty.GetChildData(), u"");
  EXPECT_EQ(empty.GetData(-1), u"");
  EXPECT_EQ(empty.GetData(1000), u"");
}

TEST(XmlDocDataTest, LongNamesLongTagsAndManyElementsAreIndexed) {
  const std::u16string name(3000, u'n');
  const std::u16string text(5000000, u't');
  const std::u16string attr(4300000, u'v');
  std::u16string big = u"<r><" + name + u">" + text + u"</" + name + u"><w a='" + attr +
                       u"'>x</w>";
  constexpr int kItems = 150000;  // more records than one index block holds
  for (int i = 0; i < kItems; ++i) big += u"<i>" + std::u16string(1, u'0' + i % 10) + u"</i>";
  big += u"</r>";
  CXmlDoc doc;
  ASSERT_TRUE(doc.SetDoc(big)) << U8(doc.GetResult());
  ASSERT_TRUE(doc.FindChildElem(name));
  EXPECT_EQ(doc.GetChildData(), text);
  ASSERT_TRUE(doc.FindChildElem(u"w"));
  EXPECT_EQ(doc.GetChildData(), u"x");
  int count = 0;
  while (doc.FindChildElem(u"i")) ++count;
  EXPECT_EQ(count, kItems);
  EXPECT_EQ(doc.GetChildData(), u"9");
}

TEST(XmlDocLoadTest, TheLoadMessageComesFirst) {
  TempDir dir;
  CXmlDoc doc;
  EXPECT_TRUE(doc.Load(sys::FromUtf8(dir.Write("ok.xml", "\xEF\xBB\xBF<a>1</a>"))));
  EXPECT_EQ(doc.GetResult(), u"UTF-8 BOM + length 8 to 8 wide chars ");
  EXPECT_EQ(doc.GetDocFlags(), xml::XML_DOC_UTF8);
  EXPECT_FALSE(doc.Load(sys::FromUtf8(dir.Write("two.xml", "<a/><b/>"))));
  EXPECT_EQ(doc.GetResult(), u"UTF-8 length 8 to 8 wide chars  Root element has sibling");
  EXPECT_EQ(doc.GetDocFlags(), 0u);

  ASSERT_TRUE(doc.SetDoc(u"<a><b>1</b></a>"));
  EXPECT_FALSE(doc.Load(sys::FromUtf8(dir.path() + "/missing.xml")));
  EXPECT_EQ(doc.GetResult(), u"No such file or directory");
  EXPECT_EQ(doc.GetDoc(), u"");
  EXPECT_FALSE(doc.FindChildElem(u"b")) << "nothing of the previous document is left";
}

TEST(DecodeEntitiesTest, NamedAndNumericReferences) {
  struct Case {
    std::u16string in, out;
  };
  const std::vector<Case> cases = {
      {u"&#65;&#x41;&#X41;", u"AAA"},
      {u"&#65abc;", u"A"},
      {u"&#x1F600;", u"\U0001F600"},
      {u"&eacute;&Eacute;&EACUTE;", u"\u00E9\u00C9\u00C9"},
      {u"&AMP;&amp;&lt;&gt;&quot;&apos;", u"&&<>\"'"},
      {u"&uarr;&uArr;&UARR;", u"\u2191\u21D1\u21D1"},
      {u"&thetasym;&nbsp;&euro;", u"\u03D1\u00A0\u20AC"},
      {u"a & b", u"a & b"},
      {u"&unknown;", u"&unknown;"},
      {u"&amp", u"&amp"},
      {u"&;&#;&#x;&#0;", u"&;&#;&#x;&#0;"},
      {u"&abcdefghi;", u"&abcdefghi;"},
      {u"&#12345678;", u"&#12345678;"},
      {u"&#x0000041;", u"A"},
      {u"&#x00000041;", u"&#x00000041;"},  // ten units before the ';'
      {u"&#x110000;&#1114112;", u"&#x110000;&#1114112;"},
      {u"&#xD800;&#xDFFF;&#55296;", u"&#xD800;&#xDFFF;&#55296;"},
      {u"&\u00E9;", u"&\u00E9;"},
      {u"&&amp;", u"&&"},
  };
  for (const auto& c : cases) EXPECT_EQ(xml::DecodeEntities(c.in), c.out) << U8(c.in);
}

}  // namespace
