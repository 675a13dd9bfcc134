#include "platform/sys/MessageWindow.h"

#include <map>
#include <mutex>
#include <string>

namespace sys {

uint32_t RegisterWindowMessage(std::u16string_view name) {
  static std::mutex mutex;
  static std::map<std::u16string, uint32_t> table;
  std::u16string key(name);
  for (char16_t& c : key) {
    if (c >= u'a' && c <= u'z') c = static_cast<char16_t>(c - u'a' + u'A');
  }
  std::lock_guard<std::mutex> lock(mutex);
  auto it = table.find(key);
  if (it != table.end()) return it->second;
  const uint32_t number = 0xC000u + static_cast<uint32_t>(table.size());
  if (number > 0xFFFFu) return 0;
  table.emplace(std::move(key), number);
  return number;
}

}  // namespace sys
