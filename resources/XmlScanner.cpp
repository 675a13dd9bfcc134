#include "resources/XmlScanner.h"

namespace xml {
namespace {

bool IsWordBreak(char16_t c) {
  switch (c) {
    case u'<': case u'>': case u'=': case u'\\': case u'/':
    case u'?': case u'!': case u';': case u'"': case u'\'':
      return true;
    default:
      return false;
  }
}

bool EndsTagName(char16_t c) { return IsBlank(c) || c == u'/' || c == u'>'; }

void AppendNumber(std::u16string& out, int32_t n) {
  for (char c : std::to_string(n)) out += static_cast<char16_t>(c);
}

// The first '>' at or after `from` whose preceding units complete `delimiter` (which ends in
// '>') without reaching back before `minStart`; -1 when there is none.
int32_t FindDelimiter(const tagXMLSCANNER& s, int32_t from, std::u16string_view delimiter,
                      int32_t minStart) {
  const size_t lead = delimiter.size() - 1;
  for (size_t gt = FindUnit(s.doc, static_cast<size_t>(from), u'>');
       gt != std::u16string_view::npos; gt = FindUnit(s.doc, gt + 1, u'>')) {
    if (gt < lead || static_cast<int32_t>(gt - lead) < minStart) continue;
    if (s.doc.substr(gt - lead, lead) == delimiter.substr(0, lead)) {
      return static_cast<int32_t>(gt);
    }
  }
  return -1;
}

int32_t Finish(tagXMLSCANNER& s, tagXMLTOKEN& t, int32_t type, int32_t endExclusive) {
  t.type = type;
  t.length = endExclusive - t.start;
  s.next = endExclusive;
  return type;
}

// The document ended inside a node: an error token that reaches the end.
int32_t Unterminated(tagXMLSCANNER& s, tagXMLTOKEN& t, const char16_t* kind) {
  t.text = kind;
  t.text += u" at offset ";
  AppendNumber(t.text, t.start);
  t.text += u" unterminated";
  return Finish(s, t, XML_NODE_ERROR, s.End());
}

// A malformed '<' node: an error token that runs to the next '>' (included) or '<' (excluded).
int32_t Incorrect(tagXMLSCANNER& s, tagXMLTOKEN& t, const char16_t* word) {
  int32_t end = -1;
  for (int32_t i = t.start + 1; i < s.End(); ++i) {
    const char16_t c = s.doc[static_cast<size_t>(i)];
    if (c == u'>') {
      end = i + 1;
      break;
    }
    if (c == u'<') {
      end = i;
      break;
    }
  }
  if (end < 0) return Unterminated(s, t, u"tag");
  t.text = u"Incorrect ";
  t.text += word;
  t.text += u" at offset ";
  AppendNumber(t.text, t.start);
  return Finish(s, t, XML_NODE_ERROR, end);
}

int32_t StartTag(tagXMLSCANNER& s, tagXMLTOKEN& t) {
  const int32_t end = s.End();
  const char16_t* d = s.doc.data();
  int32_t i = t.start + 1;
  while (i < end && !EndsTagName(d[i])) ++i;
  const int32_t nameEnd = i;
  t.name = s.doc.substr(static_cast<size_t>(t.start + 1), static_cast<size_t>(nameEnd - t.start - 1));
  // The tag ends at the first '>' outside an attribute value; a value is quoted only where one
  // is expected, after '=' and any blanks.
  int32_t lastCloseQuote = -1;
  for (;;) {
    const size_t stop = FindEither(s.doc, static_cast<size_t>(i), u'>', u'=');
    if (stop == std::u16string_view::npos) return Unterminated(s, t, u"Element tag");
    i = static_cast<int32_t>(stop);
    if (d[i] == u'>') break;
    ++i;
    while (i < end && IsBlank(d[i])) ++i;
    if (i < end && (d[i] == u'"' || d[i] == u'\'')) {
      const size_t q = FindUnit(s.doc, static_cast<size_t>(i) + 1, d[i]);
      if (q == std::u16string_view::npos) return Unterminated(s, t, u"Element tag");
      lastCloseQuote = static_cast<int32_t>(q);
      i = lastCloseQuote + 1;
    }
  }
  const int32_t slash = i - 1;
  if (slash > t.start && d[slash] == u'/' &&
      (slash == nameEnd || IsBlank(d[slash - 1]) || slash - 1 == lastCloseQuote)) {
    t.flags |= XML_TOKEN_EMPTY;
  }
  return Finish(s, t, XML_NODE_ELEMENT, i + 1);
}

int32_t EndTag(tagXMLSCANNER& s, tagXMLTOKEN& t) {
  const int32_t end = s.End();
  int32_t i = t.start + 2;
  s.nameStart = i;
  while (i < end && !EndsTagName(s.doc[static_cast<size_t>(i)])) ++i;
  s.nameEnd = i - 1;
  const size_t gt = FindUnit(s.doc, static_cast<size_t>(i), u'>');
  if (gt == std::u16string_view::npos) return Unterminated(s, t, u"Element end tag");
  return Finish(s, t, XML_NODE_END_TAG, static_cast<int32_t>(gt) + 1);
}

int32_t ProcessingInstruction(tagXMLSCANNER& s, tagXMLTOKEN& t) {
  tagXMLSCANNER word = s;
  word.next = t.start + 2;
  t.name = NextWord(word);
  const int32_t gt = FindDelimiter(s, t.start + 2, u"?>", t.start + 2);
  if (gt < 0) return Unterminated(s, t, u"Processing instruction");
  return Finish(s, t, XML_NODE_PI, gt + 1);
}

// A document type ends at the first '>' outside its markup declarations; quotes count only
// inside a declaration, and comments and processing instructions between them are skipped whole.
int32_t Doctype(tagXMLSCANNER& s, tagXMLTOKEN& t) {
  int depth = 0;  // nesting of markup declarations inside the document type
  char16_t quote = 0;
  for (int32_t i = t.start + 3; i < s.End(); ++i) {
    const char16_t c = s.doc[static_cast<size_t>(i)];
    if (depth > 0) {
      if (quote) {
        if (c == quote) quote = 0;
      } else if (c == u'"' || c == u'\'') {
        quote = c;
      } else if (c == u'<') {
        ++depth;
      } else if (c == u'>') {
        --depth;
      }
    } else if (c == u'<' && s.At(i + 1) == u'!' && s.At(i + 2) == u'-' && s.At(i + 3) == u'-') {
      // A comment of the internal subset is skipped whole: its quotes and '<' are text.
      i = FindDelimiter(s, i + 4, u"-->", i + 4);
      if (i < 0) break;
    } else if (c == u'<' && s.At(i + 1) == u'?') {
      // So is a processing instruction.
      i = FindDelimiter(s, i + 2, u"?>", i + 2);
      if (i < 0) break;
    } else if (c == u'<') {
      ++depth;
    } else if (c == u'>') {
      return Finish(s, t, XML_NODE_DOCTYPE, i + 1);
    }
  }
  return Unterminated(s, t, u"Doctype");
}

int32_t Declaration(tagXMLSCANNER& s, tagXMLTOKEN& t) {
  char16_t quote = 0;
  for (int32_t i = t.start + 2; i < s.End(); ++i) {
    const char16_t c = s.doc[static_cast<size_t>(i)];
    if (quote) {
      if (c == quote) quote = 0;
    } else if (c == u'"' || c == u'\'') {
      quote = c;
    } else if (c == u'>') {
      return Finish(s, t, XML_NODE_DOCTYPE, i + 1);
    }
  }
  return Unterminated(s, t, u"Doctype");
}

int32_t Markup(tagXMLSCANNER& s, tagXMLTOKEN& t) {
  const int32_t p = t.start;
  const char16_t c1 = s.At(p + 1);
  if ((c1 >= u'A' && c1 <= u'Z') || c1 == u'_' || c1 == u':' || c1 > u'`') {
    return StartTag(s, t);
  }
  if (c1 == u'/') return EndTag(s, t);
  if (c1 == u'?') return ProcessingInstruction(s, t);
  if (c1 != u'!') return Incorrect(s, t, u"tag name character");
  const char16_t c2 = s.At(p + 2);
  if (c2 == u'-') {
    if (s.At(p + 3) != u'-') return Incorrect(s, t, u"comment tag");
    const int32_t gt = FindDelimiter(s, p + 4, u"-->", p + 4);
    if (gt < 0) return Unterminated(s, t, u"Comment");
    return Finish(s, t, XML_NODE_COMMENT, gt + 1);
  }
  if (c2 == u'[') {
    if (s.At(p + 3) != u'C') return Incorrect(s, t, u"tag");
    const int32_t gt = FindDelimiter(s, p + 4, u"]]>", p + 4);
    if (gt < 0) return Unterminated(s, t, u"CDATA Section");
    return Finish(s, t, XML_NODE_CDATA, gt + 1);
  }
  if (c2 == u'D') return Doctype(s, t);
  if (c2 == u'E' || c2 == u'A' || c2 == u'N') return Declaration(s, t);
  return Incorrect(s, t, u"! tag");
}

}  // namespace

int32_t NextToken(tagXMLSCANNER& s, tagXMLTOKEN& t) {
  t.start = s.next;
  t.flags = 0;
  t.name = {};
  t.text.clear();
  if (s.next < 0 || s.next >= s.End()) {
    t.start = s.End();
    return Finish(s, t, XML_NODE_END, s.End());
  }
  const char16_t* d = s.doc.data();
  const int32_t end = s.End();
  int32_t i = t.start;
  if (d[i] == u'<') return Markup(s, t);
  while (i < end && IsBlank(d[i])) ++i;
  const bool blank = i >= end || d[i] == u'<';
  const size_t lt = FindUnit(s.doc, static_cast<size_t>(i), u'<');
  return Finish(s, t, blank ? XML_NODE_WHITESPACE : XML_NODE_TEXT,
                lt == std::u16string_view::npos ? end : static_cast<int32_t>(lt));
}

std::u16string_view NextWord(tagXMLSCANNER& s) {
  int32_t i = s.next < 0 ? 0 : s.next;
  const int32_t end = s.End();
  while (i < end && IsBlank(s.doc[static_cast<size_t>(i)])) ++i;
  s.nameStart = i;
  if (i < end && IsWordBreak(s.doc[static_cast<size_t>(i)])) {
    ++i;
  } else {
    while (i < end && !IsBlank(s.doc[static_cast<size_t>(i)]) &&
           !IsWordBreak(s.doc[static_cast<size_t>(i)])) {
      ++i;
    }
  }
  s.nameEnd = i - 1;
  s.next = i;
  return s.Name();
}

bool CompareNoCase(std::u16string_view a, std::u16string_view b) {
  if (a.size() != b.size()) return false;
  for (size_t i = 0; i < a.size(); ++i) {
    const char16_t x = a[i], y = b[i];
    if (x == y) {
      if (x >= 128) return a.substr(i) == b.substr(i);
      continue;
    }
    const char16_t fx = (x >= u'A' && x <= u'Z') ? char16_t(x + 32) : x;
    const char16_t fy = (y >= u'A' && y <= u'Z') ? char16_t(y + 32) : y;
    if (fx != fy || fx < u'a' || fx > u'z') return false;
  }
  return true;
}

bool MatchName(std::u16string_view scanned, std::u16string_view request, uint32_t flags) {
  const size_t n = scanned.size();
  if (n > request.size()) return false;
  const std::u16string_view head = request.substr(0, n);
  if ((flags & XML_DOC_IGNORECASE) ? !CompareNoCase(scanned, head) : scanned != head) {
    return false;
  }
  if (n == request.size()) return true;
  const char16_t c = request[n];
  return c == u' ' || c == u'=' || c == u'/' || c == u'[' || c == u']';
}

}  // namespace xml
