#pragma once

#include <memory>
#include <string>

// The keyboard layout as key names need it: the character that a virtual key types without
// modifiers, in the layout current at the call.
namespace desktop {

class KeyboardLayout {
 public:
  virtual ~KeyboardLayout() = default;
  // 0 when the key types no character (or no key reports `virtualKey`).
  virtual char32_t Character(unsigned virtualKey) = 0;
};

// A US keyboard: where there is no X display.
class UsKeyboardLayout : public KeyboardLayout {
 public:
  char32_t Character(unsigned virtualKey) override;
};

// The layout of the X display `displayName` (empty: $DISPLAY), read again at each call; null
// when the display cannot be opened or has no XKB.
std::unique_ptr<KeyboardLayout> OpenX11KeyboardLayout(const std::string& displayName = {});

// The program's layout: that of the X display, or US where there is none. Opened at the first
// call; for the user-interface thread.
KeyboardLayout& CurrentKeyboardLayout();

}  // namespace desktop
