#include "platform/desktop/KeyTable.h"

#include <algorithm>
#include <array>

namespace desktop {
namespace {

// X key code, US code (NumLock on), code with NumLock off, US character.
constexpr std::array kRows = std::to_array<KeyRow>({
    {9, 0x1B, 0, '\x1b'},    // Escape
    {10, '1', 0, '1'},       {11, '2', 0, '2'},     {12, '3', 0, '3'},  {13, '4', 0, '4'},
    {14, '5', 0, '5'},       {15, '6', 0, '6'},     {16, '7', 0, '7'},  {17, '8', 0, '8'},
    {18, '9', 0, '9'},       {19, '0', 0, '0'},
    {20, 0xBD, 0, '-'},      // VK_OEM_MINUS
    {21, 0xBB, 0, '='},      // VK_OEM_PLUS
    {22, 0x08, 0, '\b'},     // Backspace
    {23, 0x09, 0, '\t'},     // Tab
    {24, 'Q', 0, 'q'},       {25, 'W', 0, 'w'},     {26, 'E', 0, 'e'},  {27, 'R', 0, 'r'},
    {28, 'T', 0, 't'},       {29, 'Y', 0, 'y'},     {30, 'U', 0, 'u'},  {31, 'I', 0, 'i'},
    {32, 'O', 0, 'o'},       {33, 'P', 0, 'p'},
    {34, 0xDB, 0, '['},      // VK_OEM_4
    {35, 0xDD, 0, ']'},      // VK_OEM_6
    {36, VK_RETURN, 0, '\r'},
    {37, 0xA2, 0, 0},        // left Ctrl
    {38, 'A', 0, 'a'},       {39, 'S', 0, 's'},     {40, 'D', 0, 'd'},  {41, 'F', 0, 'f'},
    {42, 'G', 0, 'g'},       {43, 'H', 0, 'h'},     {44, 'J', 0, 'j'},  {45, 'K', 0, 'k'},
    {46, 'L', 0, 'l'},
    {47, 0xBA, 0, ';'},      // VK_OEM_1
    {48, 0xDE, 0, '\''},     // VK_OEM_7
    {49, 0xC0, 0, '`'},      // VK_OEM_3
    {50, 0xA0, 0, 0},        // left Shift
    {51, 0xDC, 0, '\\'},     // VK_OEM_5
    {52, 'Z', 0, 'z'},       {53, 'X', 0, 'x'},     {54, 'C', 0, 'c'},  {55, 'V', 0, 'v'},
    {56, 'B', 0, 'b'},       {57, 'N', 0, 'n'},     {58, 'M', 0, 'm'},
    {59, 0xBC, 0, ','},      // VK_OEM_COMMA
    {60, 0xBE, 0, '.'},      // VK_OEM_PERIOD
    {61, 0xBF, 0, '/'},      // VK_OEM_2
    {62, 0xA1, 0, 0},        // right Shift
    {63, 0x6A, 0, '*'},      // keypad *
    {64, 0xA4, 0, 0},        // left Alt
    {65, 0x20, 0, ' '},      // Space
    {66, 0x14, 0, 0},        // Caps Lock
    {67, 0x70, 0, 0},        {68, 0x71, 0, 0},      {69, 0x72, 0, 0},   {70, 0x73, 0, 0},
    {71, 0x74, 0, 0},        {72, 0x75, 0, 0},      {73, 0x76, 0, 0},   {74, 0x77, 0, 0},
    {75, 0x78, 0, 0},        {76, 0x79, 0, 0},      // F1 to F10
    {77, 0x90, 0, 0},        // Num Lock
    {78, 0x91, 0, 0},        // Scroll Lock
    {79, 0x67, 0x24, '7'},   // keypad 7 / Home
    {80, 0x68, 0x26, '8'},   // keypad 8 / Up
    {81, 0x69, 0x21, '9'},   // keypad 9 / Page Up
    {82, 0x6D, 0, '-'},      // keypad -
    {83, 0x64, 0x25, '4'},   // keypad 4 / Left
    {84, 0x65, VK_CLEAR, '5'},  // keypad 5 / Clear
    {85, 0x66, 0x27, '6'},   // keypad 6 / Right
    {86, 0x6B, 0, '+'},      // keypad +
    {87, 0x61, 0x23, '1'},   // keypad 1 / End
    {88, 0x62, 0x28, '2'},   // keypad 2 / Down
    {89, 0x63, 0x22, '3'},   // keypad 3 / Page Down
    {90, 0x60, 0x2D, '0'},   // keypad 0 / Insert
    {91, 0x6E, 0x2E, '.'},   // keypad . / Delete
    {94, VK_OEM_102, 0, '<'},  // the extra key of an ISO keyboard
    {95, 0x7A, 0, 0},        // F11
    {96, 0x7B, 0, 0},        // F12
    {104, VK_RETURN, 0, '\r'},  // keypad Enter
    {105, 0xA3, 0, 0},       // right Ctrl
    {106, 0x6F, 0, '/'},     // keypad /
    {107, 0x2C, 0, 0},       // Print
    {108, 0xA5, 0, 0},       // right Alt (AltGr)
    {110, 0x24, 0, 0},       // Home
    {111, 0x26, 0, 0},       // Up
    {112, 0x21, 0, 0},       // Page Up
    {113, 0x25, 0, 0},       // Left
    {114, 0x27, 0, 0},       // Right
    {115, 0x23, 0, 0},       // End
    {116, 0x28, 0, 0},       // Down
    {117, 0x22, 0, 0},       // Page Down
    {118, 0x2D, 0, 0},       // Insert
    {119, 0x2E, 0, '\x7f'},  // Delete
    {127, 0x13, 0, 0},       // Pause
    {133, 0x5B, 0, 0},       // left Windows key
    {134, 0x5C, 0, 0},       // right Windows key
    {135, 0x5D, 0, 0},       // Menu (Application)
});

static_assert(std::is_sorted(kRows.begin(), kRows.end(),
                             [](const KeyRow& a, const KeyRow& b) { return a.keyCode < b.keyCode; }));

}  // namespace

std::span<const KeyRow> KeyRows() { return kRows; }

const KeyRow* FindKeyRow(unsigned keyCode) {
  const auto it = std::lower_bound(kRows.begin(), kRows.end(), keyCode,
                                   [](const KeyRow& r, unsigned code) { return r.keyCode < code; });
  return it != kRows.end() && it->keyCode == keyCode ? &*it : nullptr;
}

uint8_t VirtualKeyOf(unsigned keyCode, char32_t unshifted, bool numLock) {
  const KeyRow* row = FindKeyRow(keyCode);
  if (row == nullptr) return 0;
  if (row->navigationKey != 0) return numLock ? row->virtualKey : row->navigationKey;
  if (unshifted >= U'a' && unshifted <= U'z') return static_cast<uint8_t>('A' + (unshifted - U'a'));
  if (unshifted >= U'A' && unshifted <= U'Z') return static_cast<uint8_t>(unshifted);
  return row->virtualKey;
}

}  // namespace desktop
