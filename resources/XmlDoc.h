#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "resources/XmlScanner.h"

// One element of the index: where it lies in the document and how it links to its parent,
// children and siblings. Every field is wide enough for any document the reader accepts.
struct tagXMLELEMPOS {
  int32_t start;           // offset of the element's '<'
  int32_t length;          // to the end of the end tag (of the start tag when it has none)
  int32_t startTagLength;
  int32_t endTagLength;    // 0 for an empty or unended element
  int32_t nameLength;      // the name after '<', up to a blank or one of < > = \ / ? ! ; " '
  int32_t level;           // nesting level when created: root 0, its children 1, ...
  uint32_t flags;
  int32_t parent;
  int32_t firstChild;
  int32_t nextSibling;
  int32_t prevSibling;     // the first child's holds the last child
};

inline constexpr uint32_t XML_ELEM_FIRST_CHILD = 0x080000;
inline constexpr uint32_t XML_ELEM_UNENDED = 0x100000;
inline constexpr uint32_t XML_ELEM_CONTENT_ERROR = 0x200000;
inline constexpr uint32_t XML_ELEM_DOC_ERROR = 0x800000;  // record 0 only

// An XML document held as one UTF-16 string with an index of its elements beside it. Nothing is
// copied out of the text until an element's data is asked for. Parsing checks well-formedness
// loosely, keeps the first problem as a message and recovers, so a partly broken document stays
// navigable. Navigation keeps a parent, a current element and a current child, and moves them by
// element name.
class CXmlDoc {
 public:
  CXmlDoc();
  ~CXmlDoc();
  CXmlDoc(const CXmlDoc&) = delete;
  CXmlDoc& operator=(const CXmlDoc&) = delete;

  // Reads the file (any encoding the text reader detects) and parses it. False when the file
  // could not be read (the document is then empty) or is not well formed.
  bool Load(std::u16string_view path);
  // Replaces the document with `text` (cut at a zero unit) and parses it.
  bool SetDoc(std::u16string_view text = {});
  // Rebuilds the index; true when the document has exactly one root element and no error.
  bool Parse();

  void ResetPos();
  // Moves to the next sibling element named `name` (any element when empty).
  bool FindElem(std::u16string_view name = {});
  // Moves the child position to the next child of the current element named `name`; from a
  // reset position the root becomes the current element first.
  bool FindChildElem(std::u16string_view name = {});
  // The current element becomes the parent, the current child the current element.
  bool IntoElem();

  std::u16string GetChildData() const;
  // Text content of an element, entity-decoded: empty for an element holding elements, an
  // empty or an unended element. CDATA sections give their raw text; comments and processing
  // instructions nothing.
  std::u16string GetData(int32_t element) const;

  const std::u16string& GetDoc() const { return doc_; }
  // The load and parse message; empty when a document given by SetDoc parsed well.
  const std::u16string& GetResult() const { return result_; }
  uint32_t GetDocFlags() const { return docFlags_; }
  void SetDocFlags(uint32_t flags) { docFlags_ = flags; }

 private:
  static constexpr int kBlockShift = 16;
  static constexpr int32_t kBlockSize = 1 << kBlockShift;

  tagXMLELEMPOS& Elem(int32_t i) { return blocks_[size_t(i >> kBlockShift)][size_t(i & (kBlockSize - 1))]; }
  const tagXMLELEMPOS& Elem(int32_t i) const {
    return blocks_[size_t(i >> kBlockShift)][size_t(i & (kBlockSize - 1))];
  }
  void GrowIndex(int32_t capacity);
  int32_t ParseElems(int32_t parent, xml::tagXMLSCANNER& scanner);
  void CloseUnended(int32_t element);
  std::u16string_view ElemName(int32_t element) const;
  int32_t FindSiblingByName(int32_t parent, int32_t start, std::u16string_view name) const;
  void ClearIndex();

  std::u16string doc_;
  std::u16string result_;
  int32_t parentPos_ = 0;
  int32_t currentPos_ = 0;
  int32_t childPos_ = 0;
  int32_t nextFree_ = 0;
  int32_t nodeType_ = 0;
  int32_t nodeOffset_ = 0;
  int32_t nodeLength_ = 0;
  uint32_t docFlags_ = 0;
  // Record i lives in block i >> 16 at slot i & 0xFFFF; every block but the last is full.
  std::vector<std::unique_ptr<tagXMLELEMPOS[]>> blocks_;
  int32_t capacity_ = 0;
};
