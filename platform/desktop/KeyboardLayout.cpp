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
  // Never destroyed: no X call at exit, when the server may be gone already.
  static KeyboardLayout* const layout = []() -> KeyboardLayout* {
    const char* display = std::getenv("DISPLAY");
    if (display != nullptr && *display != '\0') {
      if (std::unique_ptr<KeyboardLayout> x = OpenX11KeyboardLayout()) return x.release();
    }
    return new UsKeyboardLayout;
  }();
  return *layout;
}

}  // namespace desktop
