#include "settings/FunctionCodes.h"

#include <array>

namespace settings {
namespace {

constexpr FunctionCode kFunctionCodes[] = {
    // Media keys: consumer-page usages, written as (u & 0xFF, 0x20 | (u >> 8)).
    {2, 2, 0x83, 0x21},   // media player
    {2, 3, 0xB6, 0x20},   // previous track
    {2, 4, 0xB5, 0x20},   // next track
    {2, 5, 0xCD, 0x20},   // play/pause
    {2, 6, 0xB7, 0x20},   // stop
    {2, 7, 0xE2, 0x20},   // mute
    {2, 8, 0xE9, 0x20},   // volume up
    {2, 9, 0xEA, 0x20},   // volume down
    // Mode and DPI switching.
    {3, 10, 0x07, 0x4A},  // mode cycle
    {3, 11, 0x05, 0x4A},  // next mode
    {3, 12, 0x04, 0x4A},  // previous mode
    {4, 13, 0x03, 0x4A},  // DPI cycle
    {4, 14, 0x01, 0x4A},  // DPI up
    {4, 15, 0x00, 0x4A},  // DPI down
    // Application keys, consumer page.
    {5, 16, 0x92, 0x21},  // calculator
    {5, 17, 0x8A, 0x21},  // e-mail
    {5, 18, 0x2A, 0x22},  // bookmarks
    {5, 19, 0x25, 0x22},  // browser forward
    {5, 20, 0x24, 0x22},  // browser back
    {5, 21, 0x26, 0x22},  // browser stop
    {5, 22, 0x94, 0x21},  // local browser
    {5, 23, 0x27, 0x22},  // refresh
    {5, 24, 0x23, 0x22},  // home page
    {5, 25, 0x21, 0x22},  // search
    // Mouse buttons (bit 7 set) and wheel.
    {6, 0, 0x81, 0x42},
    {7, 0, 0x82, 0x42},
    {8, 0, 0x84, 0x42},
    {12, 0, 0x90, 0x42},
    {13, 0, 0x88, 0x42},
    {14, 0, 0x01, 0x43},
    {15, 0, 0xFF, 0x43},
    // Functions the PC carries out on the key-status report.
    {16, 0, 0xC0, 0x4A},
    {17, 0, 0xC1, 0x4A},
    {18, 0, 0xC2, 0x4A},
    // Fire and combination key, Windows key (no key with the Win modifier), show the window.
    {19, 0, 0x01, 0x4B},
    {20, 0, 0x00, 0x4B},
    {21, 0, 0x00, 0x08},
    {22, 0, 0xC3, 0x4A},
};

constexpr std::array<KeyUsage, 104> MakeKeyUsages() {
  std::array<KeyUsage, 104> t{};
  size_t i = 0;
  auto add = [&](int usage, int vk) {
    t[i++] = KeyUsage{static_cast<uint8_t>(usage), static_cast<uint8_t>(vk)};
  };
  for (int k = 0; k < 26; ++k) add(4 + k, 'A' + k);
  for (int k = 0; k < 9; ++k) add(30 + k, '1' + k);
  add(39, '0');
  add(40, 13);  // Enter
  add(41, 27);  // Esc
  add(42, 8);   // Backspace
  add(43, 9);   // Tab
  add(44, 32);  // Space
  // Punctuation keys (usages 50 and 100 are not in the table).
  add(45, 189);
  add(46, 187);
  add(47, 219);
  add(48, 221);
  add(49, 220);
  add(51, 186);
  add(52, 222);
  add(53, 192);
  add(54, 188);
  add(55, 190);
  add(56, 191);
  add(57, 20);  // Caps Lock
  for (int k = 0; k < 12; ++k) add(58 + k, 112 + k);  // F1 to F12
  add(70, 44);   // Print Screen
  add(71, 145);  // Scroll Lock
  add(72, 19);   // Pause
  add(73, 45);   // Insert
  add(74, 36);   // Home
  add(75, 33);   // Page Up
  add(76, 46);   // Delete
  add(77, 35);   // End
  add(78, 34);   // Page Down
  add(79, 39);   // Right
  add(80, 37);   // Left
  add(81, 40);   // Down
  add(82, 38);   // Up
  add(83, 144);  // Num Lock
  add(84, 111);  // keypad /
  add(85, 106);  // keypad *
  add(86, 109);  // keypad -
  add(87, 107);  // keypad +
  add(88, 13);   // keypad Enter, shadowed by the main Enter
  for (int k = 0; k < 9; ++k) add(89 + k, 97 + k);  // keypad 1 to 9
  add(98, 96);   // keypad 0
  add(99, 110);  // keypad .
  add(101, 93);  // Application
  add(224, 162);  // left Ctrl
  add(225, 160);  // left Shift
  add(226, 164);  // left Alt
  add(227, 91);   // left Win
  add(228, 163);  // right Ctrl
  add(229, 161);  // right Shift
  add(230, 165);  // right Alt
  add(231, 92);   // right Win
  if (i != t.size()) throw "KeyUsageTable must have 104 rows";  // fails the constant evaluation
  return t;
}

constexpr std::array<KeyUsage, 104> kKeyUsages = MakeKeyUsages();

}  // namespace

constinit const std::span<const FunctionCode> FunctionCodeTable(kFunctionCodes);
constinit const std::span<const KeyUsage> KeyUsageTable(kKeyUsages);

uint8_t UsageOfVirtualKey(uint8_t virtualKey) {
  for (const KeyUsage& row : kKeyUsages) {
    if (row.virtualKey == virtualKey) return row.usage;
  }
  return 0;
}

}  // namespace settings
