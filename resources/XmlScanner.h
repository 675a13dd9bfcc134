#pragma once

#include <algorithm>
#include <bit>
#include <cstdint>
#include <cstring>
#if defined(__SSE2__)
#include <emmintrin.h>
#endif
#include <string>
#include <string_view>

// The tokenizer shared by the XML parser, element name matching and the encoding detection of
// the text-file reader. It walks a UTF-16 text one node at a time without copying it.
namespace xml {

// Document flags (kept by CXmlDoc, handed in and out of ReadTextFile).
inline constexpr uint32_t XML_DOC_UTF16LE = 0x01;     // the file began with FF FE
inline constexpr uint32_t XML_DOC_UTF8 = 0x04;        // the file began with EF BB BF
inline constexpr uint32_t XML_DOC_IGNORECASE = 0x08;  // names compare ignoring ASCII case
inline constexpr uint32_t XML_DOC_READFILE = 0x10;    // set while a file is being read
inline constexpr uint32_t XML_DOC_WRITEFILE = 0x20;
inline constexpr uint32_t XML_DOC_APPENDFILE = 0x40;
inline constexpr uint32_t XML_DOC_UTF16BE = 0x80;     // the file began with FE FF

enum XmlNodeType : int32_t {
  XML_NODE_END_TAG = 0,
  XML_NODE_ELEMENT = 1,
  XML_NODE_TEXT = 2,
  XML_NODE_WHITESPACE = 4,
  XML_NODE_CDATA = 8,
  XML_NODE_PI = 16,
  XML_NODE_COMMENT = 32,
  XML_NODE_DOCTYPE = 64,
  XML_NODE_ERROR = -1,
  XML_NODE_END = -2,
};

inline constexpr uint32_t XML_TOKEN_EMPTY = 0x10000;  // a start tag that ends in "/>"

struct tagXMLTOKEN {
  int32_t type = XML_NODE_END;
  int32_t start = 0;
  int32_t length = 0;
  uint32_t flags = 0;
  std::u16string_view name;  // tag name of a start tag, target of a processing instruction
  std::u16string text;       // message of an error token
};

// A read position over a text. The text ends at its size; callers cut it at its first zero unit
// so that the end is the same as for the zero-terminated original.
struct tagXMLSCANNER {
  int32_t nameStart = 0;
  int32_t nameEnd = -1;  // inclusive
  int32_t next = 0;
  std::u16string_view doc;
  uint32_t flags = 0;

  char16_t At(int32_t i) const {
    return (i >= 0 && static_cast<size_t>(i) < doc.size()) ? doc[static_cast<size_t>(i)] : 0;
  }
  int32_t End() const { return static_cast<int32_t>(doc.size()); }
  std::u16string_view Name() const {
    return nameEnd < nameStart ? std::u16string_view{}
                               : doc.substr(static_cast<size_t>(nameStart),
                                            static_cast<size_t>(nameEnd - nameStart + 1));
  }
};

// Position of the first unit equal to `a` or `b` at or after `from`, npos when there is none.
// Documents are long runs between the few units the parser stops at, so eight units are looked
// at together where the processor allows it.
inline size_t FindEither(std::u16string_view s, size_t from, char16_t a, char16_t b) {
  if (from >= s.size()) return std::u16string_view::npos;
  const char16_t* const begin = s.data();
  const char16_t* p = begin + from;
  const char16_t* const end = begin + s.size();
  // Most stops are near: look at the first units one by one.
  for (const char16_t* near = std::min(p + 8, end); p < near; ++p) {
    if (*p == a || *p == b) return static_cast<size_t>(p - begin);
  }
#if defined(__SSE2__)
  const __m128i va = _mm_set1_epi16(static_cast<short>(a));
  const __m128i vb = _mm_set1_epi16(static_cast<short>(b));
  for (; end - p >= 8; p += 8) {
    const __m128i x = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p));
    const int mask = _mm_movemask_epi8(_mm_or_si128(_mm_cmpeq_epi16(x, va), _mm_cmpeq_epi16(x, vb)));
    if (mask) return static_cast<size_t>(p - begin) + static_cast<size_t>(std::countr_zero(static_cast<unsigned>(mask)) >> 1);
  }
#endif
  for (; p < end; ++p) {
    if (*p == a || *p == b) return static_cast<size_t>(p - begin);
  }
  return std::u16string_view::npos;
}

inline size_t FindUnit(std::u16string_view s, size_t from, char16_t c) {
  return FindEither(s, from, c, c);
}

inline bool IsBlank(char16_t c) { return c == u' ' || c == u'\t' || c == u'\n' || c == u'\r'; }

// Reads the node at the scanner's next offset into `token`, moves the scanner past it and
// returns its type.
int32_t NextToken(tagXMLSCANNER& scanner, tagXMLTOKEN& token);

// Skips blanks and reads one word: a run ending before a blank or one of < > = \ / ? ! ; " ',
// or one such character alone. Its span is left in the scanner's name start and end.
std::u16string_view NextWord(tagXMLSCANNER& scanner);

// ASCII letters equal their other-case twin until the first equal unit at or above 128; from
// there on units compare exactly.
bool CompareNoCase(std::u16string_view a, std::u16string_view b);

// The scanned name against a requested one: the request begins with the name (exactly, or
// ignoring case with XML_DOC_IGNORECASE) and ends there or goes on with ' ', '=', '/', '[' or
// ']'; so "item[2]" matches the name item and "ite" does not.
bool MatchName(std::u16string_view scanned, std::u16string_view request, uint32_t flags);

}  // namespace xml
