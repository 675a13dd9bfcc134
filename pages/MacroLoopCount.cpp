#include "pages/MacroLoopCount.h"

#include <limits>

namespace pages {

namespace {
bool IsBlank(char16_t c) { return c == u' ' || (c >= u'\t' && c <= u'\r'); }
}  // namespace

bool ParseLoopCount(std::u16string_view text, uint32_t* value) {
  size_t i = 0;
  while (i < text.size() && IsBlank(text[i])) ++i;
  if (i < text.size() && text[i] == u'+') ++i;
  const size_t firstDigit = i;
  uint64_t number = 0;
  constexpr uint64_t kLargest = std::numeric_limits<uint32_t>::max();
  while (i < text.size() && text[i] >= u'0' && text[i] <= u'9') {
    number = number * 10 + static_cast<uint64_t>(text[i] - u'0');
    if (number > kLargest) number = kLargest;
    ++i;
  }
  if (i == firstDigit) return false;
  while (i < text.size() && IsBlank(text[i])) ++i;
  if (i != text.size()) return false;
  *value = static_cast<uint32_t>(number);
  return true;
}

}  // namespace pages
