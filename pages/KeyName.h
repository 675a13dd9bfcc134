#pragma once

#include <string>

namespace desktop {
class KeyboardLayout;
}

// The text shown for a virtual-key code in lists and edit fields: a fixed name for the keys
// that type no character, else the character the key types without modifiers in the current
// layout (a–z raised to capitals). A key that types nothing has an empty name.
std::u16string KeyName(unsigned virtualKey);
std::u16string KeyName(unsigned virtualKey, desktop::KeyboardLayout& layout);
