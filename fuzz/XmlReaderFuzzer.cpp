// Feeds arbitrary bytes through the whole XML reader: encoding detection and decoding, parsing,
// navigation by name, element data and entity decoding.
#include <cstddef>
#include <cstdint>
#include <string_view>

#include "resources/XmlDoc.h"
#include "resources/XmlEntities.h"
#include "resources/XmlTextFile.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size == 0) return 0;
  // The first byte picks the case mode, the rest is the file.
  const uint32_t flags = (data[0] & 1) ? xml::XML_DOC_IGNORECASE : 0;
  const std::string_view bytes(reinterpret_cast<const char*>(data) + 1, size - 1);

  std::u16string text, message;
  uint32_t docFlags = flags;
  xml::DecodeTextBuffer(bytes, text, message, docFlags);
  xml::GetDeclaredEncoding(text.substr(0, 1024));
  xml::DecodeEntities(text);

  CXmlDoc doc;
  doc.SetDocFlags(docFlags);
  doc.SetDoc(text);
  // Every record, and a little past the end.
  for (int32_t i = -1; i < 2 * static_cast<int32_t>(text.size() / 3) + 8; ++i) doc.GetData(i);

  // Walk down by any name, then look up names taken from the document itself.
  doc.ResetPos();
  for (int steps = 0; steps < 4096 && doc.FindChildElem(); ++steps) {
    doc.GetChildData();
    if (steps % 3 == 0) doc.IntoElem();
  }
  for (size_t at = text.find(u'<'); at != std::u16string::npos && at + 1 < text.size();
       at = text.find(u'<', at + 1)) {
    const std::u16string_view name = std::u16string_view(text).substr(at + 1, 8);
    doc.ResetPos();
    if (doc.FindChildElem(name) && doc.IntoElem() && doc.FindChildElem(name)) doc.GetChildData();
    if (at > 4096) break;
  }
  return 0;
}
