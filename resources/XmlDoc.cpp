#include "resources/XmlDoc.h"

#include <algorithm>
#include <new>

#include "resources/XmlEntities.h"
#include "resources/XmlTextFile.h"

namespace {

using xml::tagXMLSCANNER;
using xml::tagXMLTOKEN;

// The same bound as for files the text reader accepts: offsets, index and memory stay bounded.
constexpr size_t kMaxDocUnits = size_t{64} * 1024 * 1024;

void AppendNumber(std::u16string& out, int32_t n) {
  for (char c : std::to_string(n)) out += static_cast<char16_t>(c);
}

// The element's name as navigation compares it: the tag name up to the first unit that ends a
// word (the tag name already ends at blanks, '/' and '>').
int32_t NameLength(std::u16string_view tagName) {
  size_t n = 0;
  while (n < tagName.size()) {
    const char16_t c = tagName[n];
    if (c == u'<' || c == u'=' || c == u'\\' || c == u'?' || c == u'!' || c == u';' ||
        c == u'"' || c == u'\'') {
      break;
    }
    ++n;
  }
  return static_cast<int32_t>(n);
}

// Open start tags while parsing: the element's record and the length of its tag name.
struct OpenElement {
  int32_t element;
  int32_t nameLength;
};

}  // namespace

CXmlDoc::CXmlDoc() { SetDoc(); }

CXmlDoc::~CXmlDoc() = default;

bool CXmlDoc::Load(std::u16string_view path) {
  uint32_t flags = docFlags_;
  if (!xml::ReadTextFile(path, doc_, result_, flags)) {
    // The old index points into a text that is gone: nothing may be found in the empty one.
    ClearIndex();
    return false;
  }
  docFlags_ = flags;
  return Parse();
}

bool CXmlDoc::SetDoc(std::u16string_view text) {
  text = text.substr(0, std::min(xml::FindUnit(text, 0, u'\0'), text.size()));
  result_.clear();
  if (text.size() > kMaxDocUnits) {
    doc_.clear();
    ClearIndex();
    result_ = u"Document too large";
    return false;
  }
  doc_.assign(text);
  return Parse();
}

void CXmlDoc::ClearIndex() {
  ResetPos();
  nextFree_ = 1;
  if (capacity_ == 0) GrowIndex(8);
  if (capacity_ > 0) Elem(0) = {};
}

void CXmlDoc::GrowIndex(int32_t capacity) {
  if (capacity == 0) capacity = nextFree_ + nextFree_ / 2;
  if (capacity <= capacity_) return;
  // One growth adds at most one block beyond the last existing one.
  const int32_t last = capacity_ > 0 ? (capacity_ - 1) >> kBlockShift : 0;
  const int64_t limit = std::min<int64_t>(int64_t(last + 2) << kBlockShift, INT32_MAX);
  capacity = static_cast<int32_t>(std::min<int64_t>(capacity, limit));
  const int32_t newLast = (capacity - 1) >> kBlockShift;
  for (int32_t b = last; b <= newLast; ++b) {
    const int32_t base = b << kBlockShift;
    const int32_t oldCount = std::clamp(capacity_ - base, 0, kBlockSize);
    const int32_t newCount = b < newLast ? kBlockSize : capacity - base;
    if (newCount == oldCount) continue;
    // Left uninitialised: a record is written when it is taken, and only records below the next
    // free one are ever read or copied.
    std::unique_ptr<tagXMLELEMPOS[]> block(new tagXMLELEMPOS[static_cast<size_t>(newCount)]);
    if (static_cast<size_t>(b) < blocks_.size()) {
      const int32_t used = std::clamp(nextFree_ - base, 0, oldCount);
      std::copy(blocks_[size_t(b)].get(), blocks_[size_t(b)].get() + used, block.get());
      blocks_[size_t(b)] = std::move(block);
    } else {
      blocks_.push_back(std::move(block));
    }
  }
  capacity_ = capacity;
}

bool CXmlDoc::Parse() {
  const std::u16string kept = result_;
  int32_t root = 0;
  try {
    ResetPos();
    nextFree_ = 1;
    GrowIndex(static_cast<int32_t>(doc_.size() / 64 + 8));
    Elem(0) = {};
    if (doc_.empty()) {
      result_ = u"Empty document";
    } else {
      tagXMLSCANNER scanner;
      scanner.doc = doc_;
      scanner.flags = docFlags_;
      root = ParseElems(0, scanner);
      Elem(0).length = static_cast<int32_t>(doc_.size());
      if (!root) {
        result_ = u"No root element";
      } else {
        Elem(0).firstChild = root;
        if (Elem(root).nextSibling) result_ = u"Root element has sibling";
      }
    }
  } catch (const std::bad_alloc&) {
    root = 0;
    nextFree_ = 1;
    if (capacity_ > 0) Elem(0) = {};
    result_ = u"Out of memory";
  }
  ResetPos();
  if (!kept.empty()) result_ = result_.empty() ? kept : kept + u" " + result_;
  return capacity_ > 0 && root != 0 && !(Elem(0).flags & XML_ELEM_DOC_ERROR) &&
         !Elem(root).nextSibling;
}

int32_t CXmlDoc::ParseElems(int32_t parent, tagXMLSCANNER& scanner) {
  result_.clear();
  const auto message = [this](std::u16string text) {
    if (result_.empty()) result_ = std::move(text);
  };
  std::vector<OpenElement> open;
  open.reserve(6);
  const auto currentParent = [&] { return open.empty() ? parent : open.back().element; };
  const auto openName = [&](const OpenElement& o) {
    return std::u16string_view(doc_).substr(size_t(Elem(o.element).start + 1), size_t(o.nameLength));
  };
  int32_t first = 0;
  tagXMLTOKEN token;
  for (;;) {
    switch (xml::NextToken(scanner, token)) {
      case xml::XML_NODE_ELEMENT: {
        if (nextFree_ == capacity_) GrowIndex(0);
        if (nextFree_ == capacity_) throw std::bad_alloc();  // no index beyond 32-bit numbers
        const int32_t t = nextFree_++;
        tagXMLELEMPOS& e = Elem(t);
        e = {};
        e.start = token.start;
        e.startTagLength = token.length;
        e.nameLength = NameLength(token.name);
        e.level = static_cast<int32_t>(open.size());
        e.parent = currentParent();
        tagXMLELEMPOS& p = Elem(e.parent);
        if (p.firstChild) {
          const int32_t lastChild = Elem(p.firstChild).prevSibling;
          e.prevSibling = lastChild;
          Elem(lastChild).nextSibling = t;
          Elem(p.firstChild).prevSibling = t;
        } else {
          p.firstChild = t;
          e.prevSibling = t;
          e.flags |= XML_ELEM_FIRST_CHILD;
        }
        if (!first) first = t;
        if (token.flags & xml::XML_TOKEN_EMPTY) {
          e.length = token.length;
        } else {
          open.push_back({t, static_cast<int32_t>(token.name.size())});
        }
        break;
      }
      case xml::XML_NODE_END_TAG: {
        const std::u16string_view name = scanner.Name();
        int32_t k = static_cast<int32_t>(open.size()) - 1;
        while (k >= 0 && !xml::MatchName(name, openName(open[size_t(k)]), docFlags_)) --k;
        if (k < 0) {
          Elem(0).flags |= XML_ELEM_DOC_ERROR;
          Elem(currentParent()).flags |= XML_ELEM_CONTENT_ERROR;
          std::u16string m = u"No start tag for end tag '";
          m += name;
          m += u"' at offset ";
          AppendNumber(m, token.start);
          message(std::move(m));
          break;
        }
        if (static_cast<size_t>(k) + 1 < open.size()) {
          const OpenElement& inner = open.back();
          std::u16string m = u"End tag '";
          m += name;
          m += u"' at offset ";
          AppendNumber(m, token.start + 1);
          m += u" does not match start tag '";
          m += openName(inner);
          m += u"' at offset ";
          AppendNumber(m, Elem(inner.element).start);
          message(std::move(m));
          for (size_t j = size_t(k) + 1; j < open.size(); ++j) CloseUnended(open[j].element);
        }
        tagXMLELEMPOS& matched = Elem(open[size_t(k)].element);
        matched.length = token.start + token.length - matched.start;
        matched.endTagLength = token.length;
        open.resize(size_t(k));
        break;
      }
      case xml::XML_NODE_ERROR:
        Elem(0).flags |= XML_ELEM_DOC_ERROR;
        Elem(currentParent()).flags |= XML_ELEM_CONTENT_ERROR;
        message(token.text);
        break;
      case xml::XML_NODE_END: {
        if (!open.empty()) {
          const OpenElement& inner = open.back();
          std::u16string m = u"Element '";
          m += openName(inner);
          m += u"' at offset ";
          AppendNumber(m, Elem(inner.element).start);
          m += u" not ended";
          message(std::move(m));
          for (const OpenElement& o : open) CloseUnended(o.element);
        }
        return first;
      }
      default:
        break;  // text, whitespace, CDATA, comments, declarations are not indexed
    }
  }
}

// Closes an element that has no end tag at its start tag; its children become its following
// siblings. Callers close the outermost of several first: each is then the last child of its
// parent, and every element moves at most once.
void CXmlDoc::CloseUnended(int32_t element) {
  Elem(0).flags |= XML_ELEM_DOC_ERROR;
  tagXMLELEMPOS& e = Elem(element);
  e.length = e.startTagLength;
  e.endTagLength = 0;
  e.flags |= XML_ELEM_UNENDED;
  if (e.flags & XML_ELEM_CONTENT_ERROR) {
    e.flags &= ~XML_ELEM_CONTENT_ERROR;
    Elem(e.parent).flags |= XML_ELEM_CONTENT_ERROR;
  }
  const int32_t child = e.firstChild;
  if (!child) return;
  const int32_t lastChild = Elem(child).prevSibling;
  for (int32_t c = child; c; c = Elem(c).nextSibling) Elem(c).parent = e.parent;
  Elem(child).flags &= ~XML_ELEM_FIRST_CHILD;
  Elem(child).prevSibling = element;
  e.nextSibling = child;
  Elem(Elem(e.parent).firstChild).prevSibling = lastChild;
  e.firstChild = 0;
}

std::u16string_view CXmlDoc::ElemName(int32_t element) const {
  const tagXMLELEMPOS& e = Elem(element);
  return std::u16string_view(doc_).substr(size_t(e.start + 1), size_t(e.nameLength));
}

int32_t CXmlDoc::FindSiblingByName(int32_t parent, int32_t start,
                                   std::u16string_view name) const {
  int32_t c = start ? Elem(start).nextSibling : Elem(parent).firstChild;
  if (name.empty()) return c;
  for (; c; c = Elem(c).nextSibling) {
    if (xml::MatchName(ElemName(c), name, docFlags_)) return c;
  }
  return 0;
}

void CXmlDoc::ResetPos() {
  parentPos_ = currentPos_ = childPos_ = 0;
  nodeType_ = nodeOffset_ = nodeLength_ = 0;
}

bool CXmlDoc::FindElem(std::u16string_view name) {
  if (capacity_ == 0) return false;
  const int32_t found = FindSiblingByName(parentPos_, currentPos_, name);
  if (!found) return false;
  currentPos_ = found;
  parentPos_ = Elem(found).parent;
  childPos_ = 0;
  nodeOffset_ = nodeLength_ = 0;
  nodeType_ = xml::XML_NODE_ELEMENT;
  return true;
}

bool CXmlDoc::FindChildElem(std::u16string_view name) {
  if (capacity_ == 0) return false;
  if (currentPos_ == 0) FindElem();
  const int32_t found = FindSiblingByName(currentPos_, childPos_, name);
  if (!found) return false;
  childPos_ = found;
  currentPos_ = Elem(found).parent;
  parentPos_ = Elem(currentPos_).parent;
  nodeOffset_ = nodeLength_ = 0;
  nodeType_ = currentPos_ ? xml::XML_NODE_ELEMENT : 0;
  return true;
}

bool CXmlDoc::IntoElem() {
  if (currentPos_ == 0 || nodeType_ != xml::XML_NODE_ELEMENT) return false;
  parentPos_ = currentPos_;
  currentPos_ = childPos_;
  childPos_ = 0;
  nodeOffset_ = nodeLength_ = 0;
  nodeType_ = currentPos_ ? xml::XML_NODE_ELEMENT : 0;
  return true;
}

std::u16string CXmlDoc::GetChildData() const { return GetData(childPos_); }

std::u16string CXmlDoc::GetData(int32_t element) const {
  if (element <= 0 || element >= nextFree_) return {};
  const tagXMLELEMPOS& e = Elem(element);
  if (e.firstChild || e.endTagLength == 0 || (e.flags & XML_ELEM_UNENDED)) return {};
  const int32_t length = e.length - e.startTagLength - e.endTagLength;
  if (length <= 0) return {};
  const std::u16string_view content =
      std::u16string_view(doc_).substr(size_t(e.start + e.startTagLength), size_t(length));
  if (content.find(u'<') == std::u16string_view::npos) return xml::DecodeEntities(content);
  std::u16string out;
  tagXMLSCANNER s;
  s.doc = content;
  s.flags = docFlags_;
  tagXMLTOKEN t;
  for (int32_t type; (type = xml::NextToken(s, t)) != xml::XML_NODE_END;) {
    if (type == xml::XML_NODE_TEXT) {
      out += xml::DecodeEntities(content.substr(size_t(t.start), size_t(t.length)));
    } else if (type == xml::XML_NODE_CDATA) {
      const int32_t inside = t.start + 9;           // after "<![CDATA["
      const int32_t end = t.start + t.length - 3;   // before "]]>"
      if (end > inside) out += content.substr(size_t(inside), size_t(end - inside));
    }
  }
  return out;
}
