#pragma once

#include <cstdint>
#include <span>

// The keys of a keyboard by their place (the X key code, evdev numbering) and the Windows
// virtual-key code each reports, so that recorded keys and shortcuts are stored with the codes
// that files written on Windows hold. No X11 header: the keyboard-hook library links this too.
namespace desktop {

inline constexpr uint8_t VK_CLEAR = 0x0C;
inline constexpr uint8_t VK_RETURN = 0x0D;
inline constexpr uint8_t VK_OEM_102 = 0xE2;

struct KeyRow {
  uint8_t keyCode;        // X key code (evdev code + 8)
  uint8_t virtualKey;     // the code on a US keyboard; keypad keys: the code with NumLock on
  uint8_t navigationKey;  // keypad keys: the code with NumLock off; 0 for every other key
  char usCharacter;       // what the key types without modifiers on a US keyboard (0 nothing)
};

// Every key that reports a code, in key-code order.
std::span<const KeyRow> KeyRows();

// The row of a key, or null when the key reports nothing.
const KeyRow* FindKeyRow(unsigned keyCode);

// The code that the key at `keyCode` reports. `unshifted` is the character it types without
// modifiers in the current layout (0 for none): a Latin letter makes the key report that
// letter, wherever it sits. Keypad keys report VK_NUMPAD0..9 and VK_DECIMAL while NumLock is
// on and the navigation codes while it is off. 0 for a key with no row.
uint8_t VirtualKeyOf(unsigned keyCode, char32_t unshifted, bool numLock);

}  // namespace desktop
