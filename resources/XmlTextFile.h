#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "resources/CodePage.h"
#include "resources/XmlScanner.h"

// Reading a text file of any common encoding into one UTF-16 string: the encoding comes from a
// byte-order mark, from an XML declaration or HTML meta charset, or from testing the bytes for
// UTF-8; a short load message tells how the text was read.
namespace xml {

// One conversion request. Lengths count units of the encoding concerned: 32-bit units for
// UTF-32, bytes for 8-bit code pages.
struct tagTEXTCONVERT {
  std::u16string toEncoding;
  std::u16string fromEncoding;
  const void* source = nullptr;
  int32_t sourceLength = 0;
  int32_t resultLength = 0;  // on input the capacity of the destination, 0 when only counting
  bool usedDefaultChar = false;
};

// Reads and decodes a whole file. `document` is emptied first in every case and receives the
// text; `message` the load message; `flags` the document flags with this file's byte-order-mark
// bits. `forcedEncoding`, when not empty, overrides the detected encoding of an 8-bit file.
// False when the file cannot be opened or read (the message then ends with the system's text).
bool ReadTextFile(std::u16string_view path, std::u16string& document, std::u16string& message,
                  uint32_t& flags, std::u16string_view forcedEncoding = {});

// The same detection and conversion over bytes already in memory.
void DecodeTextBuffer(std::string_view bytes, std::u16string& document, std::u16string& message,
                      uint32_t& flags, std::u16string_view forcedEncoding = {});

// 0 for an empty name (the ANSI code page), 65005 for a name beginning with exactly "UTF-32",
// the code page of a known name (compared ignoring A-Z case), -1 otherwise.
int32_t CodePageFromName(std::u16string_view name);

// Converts to "UTF-16", the only target built. Without a destination it counts; with one it
// writes at most request.resultLength units. Returns the length of the result (0 when the
// conversion is not possible or the destination too small) and stores it in the request.
int32_t ConvertText(tagTEXTCONVERT& request, char16_t* destination);

// The loose UTF-8 test: lead bytes give the length of their sequence, each following byte needs
// only its top bit; a sequence cut short fails; the test ends at a zero byte.
bool IsUtf8Text(const void* bytes, int32_t length);

// The encoding that a document prefix declares in its XML declaration or in an HTML
// <meta http-equiv="Content-Type" content="...; charset=..."> element; empty when none.
std::u16string GetDeclaredEncoding(std::u16string_view text);

// The system's message for errno, cut before its first line break and to 99 units.
std::u16string LastErrorText();

}  // namespace xml
