#include "platform/desktop/KeyboardLayout.h"

#include <cstdlib>

#include "platform/desktop/KeyTable.h"

namespace desktop {

char32_t UsKeyboardLayout::Character(unsigned virtualKey) {
  for (const KeyRow& row : KeyRows()) {
    if (row.virtualKey == virtualKey) return static_cast<unsigned char>(row.usCharacter);
    if (row.navigationKey == virtualKey) return 0;  // keypad navigation types nothing
  }
  return 0;
}

KeyboardLayout& CurrentKeyboardLayout() {
  static const std::unique_ptr<KeyboardLayout> layout = []() -> std::unique_ptr<KeyboardLayout> {
    const char* display = std::getenv("DISPLAY");
    if (display != nullptr && *display != '\0') {
      if (std::unique_ptr<KeyboardLayout> x = OpenX11KeyboardLayout()) return x;
    }
    return std::make_unique<UsKeyboardLayout>();
  }();
  return *layout;
}

}  // namespace desktop
