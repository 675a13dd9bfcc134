#include "platform/desktop/KeyTable.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <iterator>
#include <set>

#include "platform/desktop/KeyboardLayout.h"
#include "settings/FunctionCodes.h"
#include "tests/platform/desktop/CompiledLayout.h"

namespace desktop {
namespace {

// The code of a key under a real layout, as the keyboard hook computes it.
uint8_t CodeUnder(const testutil::CompiledLayout& layout, unsigned keyCode, bool numLock = false) {
  return VirtualKeyOf(keyCode, layout.Unshifted(keyCode, numLock), numLock);
}

class KeyTableTest : public ::testing::Test {
 protected:
  void SetUp() override {
    if (!us_.Valid() || !de_.Valid() || !fr_.Valid()) GTEST_SKIP() << "no xkb layout files";
  }
  testutil::CompiledLayout us_{"us"};
  testutil::CompiledLayout de_{"de"};
  testutil::CompiledLayout fr_{"fr"};
};

TEST_F(KeyTableTest, LettersFollowTheLayout) {
  struct Case {
    const char* layout;
    unsigned keyCode;
    uint8_t virtualKey;
  };
  const Case cases[] = {
      {"us", 38, 'A'}, {"us", 29, 'Y'}, {"us", 52, 'Z'}, {"us", 47, 0xBA}, {"us", 24, 'Q'},
      // German: Y and Z change places; the umlaut keys keep their US codes.
      {"de", 29, 'Z'}, {"de", 52, 'Y'}, {"de", 38, 'A'}, {"de", 47, 0xBA}, {"de", 48, 0xDE},
      {"de", 20, 0xBD},
      // French: A/Q and Z/W swap, M sits at the US semicolon; the digit row keeps its digits.
      {"fr", 24, 'A'}, {"fr", 38, 'Q'}, {"fr", 25, 'Z'}, {"fr", 52, 'W'}, {"fr", 47, 'M'},
      {"fr", 10, '1'},
  };
  for (const Case& c : cases) {
    const testutil::CompiledLayout& layout =
        std::string(c.layout) == "us" ? us_ : std::string(c.layout) == "de" ? de_ : fr_;
    EXPECT_EQ(CodeUnder(layout, c.keyCode), c.virtualKey) << c.layout << " key " << c.keyCode;
  }
}

TEST_F(KeyTableTest, EveryLetterOfAUsKeyboardOnce) {
  std::set<uint8_t> letters;
  for (const KeyRow& row : KeyRows()) {
    const uint8_t vk = CodeUnder(us_, row.keyCode);
    if (vk >= 'A' && vk <= 'Z') {
      EXPECT_TRUE(letters.insert(vk).second) << int(vk);
    }
  }
  EXPECT_EQ(letters.size(), 26u);
}

TEST_F(KeyTableTest, KeypadFollowsNumLock) {
  struct Case {
    unsigned keyCode;
    uint8_t on, off;
  };
  const Case cases[] = {
      {90, 0x60, 0x2D}, {87, 0x61, 0x23}, {88, 0x62, 0x28}, {89, 0x63, 0x22},
      {83, 0x64, 0x25}, {84, 0x65, VK_CLEAR}, {85, 0x66, 0x27}, {79, 0x67, 0x24},
      {80, 0x68, 0x26}, {81, 0x69, 0x21}, {91, 0x6E, 0x2E},
      // Operators and Enter do not change.
      {63, 0x6A, 0x6A}, {86, 0x6B, 0x6B}, {82, 0x6D, 0x6D}, {106, 0x6F, 0x6F}, {104, 0x0D, 0x0D},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(CodeUnder(us_, c.keyCode, true), c.on) << "key " << c.keyCode;
    EXPECT_EQ(CodeUnder(us_, c.keyCode, false), c.off) << "key " << c.keyCode;
    EXPECT_EQ(CodeUnder(de_, c.keyCode, true), c.on) << "de key " << c.keyCode;
  }
}

TEST_F(KeyTableTest, ModifiersAndSpecialKeys) {
  struct Case {
    unsigned keyCode;
    uint8_t virtualKey;
  };
  const Case cases[] = {
      {50, 0xA0}, {62, 0xA1}, {37, 0xA2}, {105, 0xA3}, {64, 0xA4}, {108, 0xA5},
      {133, 0x5B}, {134, 0x5C}, {135, 0x5D}, {104, 0x0D}, {36, 0x0D}, {107, 0x2C},
      {127, 0x13}, {94, VK_OEM_102}, {77, 0x90}, {78, 0x91}, {66, 0x14}, {71, 0x74},
      {95, 0x7A}, {96, 0x7B}, {9, 0x1B}, {65, 0x20},
      // Keys with no row report nothing.
      {0, 0}, {8, 0}, {92, 0}, {93, 0}, {109, 0}, {121, 0}, {255, 0}, {256, 0}, {100000, 0},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(CodeUnder(us_, c.keyCode), c.virtualKey) << "key " << c.keyCode;
    // AltGr and the ISO key keep their codes under a layout that gives them other symbols.
    EXPECT_EQ(CodeUnder(de_, c.keyCode), c.virtualKey) << "de key " << c.keyCode;
  }
}

// Every key that a button can be given as a shortcut is reported by a key of a US keyboard,
// with NumLock on for the keypad digits, so recorded keys encode.
TEST_F(KeyTableTest, EveryKeyOfTheUsageTableIsReported) {
  std::set<uint8_t> reported;
  for (const KeyRow& row : KeyRows()) {
    reported.insert(CodeUnder(us_, row.keyCode, true));
    reported.insert(CodeUnder(us_, row.keyCode, false));
  }
  for (const settings::KeyUsage& k : settings::KeyUsageTable)
    EXPECT_TRUE(reported.count(k.virtualKey)) << "usage " << int(k.usage) << " vk "
                                              << int(k.virtualKey);
}

// What the mouse types for a key pressed on a US keyboard: the X key code of the key of each HID
// usage (the standard place of that key, keypad digits with NumLock on) must report the virtual
// key that the usage table sends as that usage. A key name comes from the same key table, so
// only this shows two rows that report each other's code.
TEST_F(KeyTableTest, EveryUsageIsTypedByItsOwnKey) {
  struct Key {
    uint8_t usage;
    unsigned keyCode;
  };
  static constexpr Key kKeys[] = {
      {4, 38},   {5, 56},   {6, 54},   {7, 40},   {8, 26},   {9, 41},   {10, 42},  {11, 43},
      {12, 31},  {13, 44},  {14, 45},  {15, 46},  {16, 58},  {17, 57},  {18, 32},  {19, 33},
      {20, 24},  {21, 27},  {22, 39},  {23, 28},  {24, 30},  {25, 55},  {26, 25},  {27, 53},
      {28, 29},  {29, 52},                                                    // A to Z
      {30, 10},  {31, 11},  {32, 12},  {33, 13},  {34, 14},  {35, 15},  {36, 16},  {37, 17},
      {38, 18},  {39, 19},                                                    // 1 to 9, 0
      {40, 36},  {41, 9},   {42, 22},  {43, 23},  {44, 65},                   // Enter to Space
      {45, 20},  {46, 21},  {47, 34},  {48, 35},  {49, 51},  {51, 47},  {52, 48},  {53, 49},
      {54, 59},  {55, 60},  {56, 61},                                         // - = [ ] \ ; ' ` , . /
      {57, 66},                                                               // Caps Lock
      {58, 67},  {59, 68},  {60, 69},  {61, 70},  {62, 71},  {63, 72},  {64, 73},  {65, 74},
      {66, 75},  {67, 76},  {68, 95},  {69, 96},                              // F1 to F12
      {70, 107}, {71, 78},  {72, 127},                                        // Print, Scroll, Pause
      {73, 118}, {74, 110}, {75, 112}, {76, 119}, {77, 115}, {78, 117},       // Insert to Page Down
      {79, 114}, {80, 113}, {81, 116}, {82, 111},                             // Right, Left, Down, Up
      {83, 77},  {84, 106}, {85, 63},  {86, 82},  {87, 86},  {88, 104},       // Num Lock to Enter
      {89, 87},  {90, 88},  {91, 89},  {92, 83},  {93, 84},  {94, 85},  {95, 79},  {96, 80},
      {97, 81},  {98, 90},  {99, 91},                                         // keypad 1 to 9, 0, .
      {101, 135},                                                             // Application
      {224, 37}, {225, 50}, {226, 64}, {227, 133}, {228, 105}, {229, 62}, {230, 108},
      {231, 134},                                                             // the modifiers
  };
  constexpr uint8_t kKeypadEnter = 88;
  for (const settings::KeyUsage& row : settings::KeyUsageTable) {
    const Key* key = std::find_if(std::begin(kKeys), std::end(kKeys),
                                  [&](const Key& k) { return k.usage == row.usage; });
    ASSERT_NE(key, std::end(kKeys)) << "usage " << int(row.usage) << " has no key here";
    const uint8_t reported = CodeUnder(us_, key->keyCode, true);
    EXPECT_EQ(reported, row.virtualKey) << "usage " << int(row.usage) << ", key " << key->keyCode;
    // The keypad's Enter reports the main Enter's code, which the mouse types as the main Enter.
    EXPECT_EQ(settings::UsageOfVirtualKey(reported), row.usage == kKeypadEnter ? 40 : row.usage)
        << "key " << key->keyCode;
  }
}

// The table's US characters are what the X server's US layout types, so that key names are the
// same with and without a display.
TEST_F(KeyTableTest, UsCharactersMatchTheUsLayout) {
  for (const KeyRow& row : KeyRows()) {
    EXPECT_EQ(static_cast<char32_t>(static_cast<unsigned char>(row.usCharacter)),
              us_.Unshifted(row.keyCode, row.navigationKey != 0))
        << "key " << int(row.keyCode);
  }
  UsKeyboardLayout us;
  EXPECT_EQ(us.Character('A'), U'a');
  EXPECT_EQ(us.Character(0xBA), U';');
  EXPECT_EQ(us.Character(0x61), U'1');   // VK_NUMPAD1
  EXPECT_EQ(us.Character(0x23), 0u);     // End
  EXPECT_EQ(us.Character(0xA0), 0u);     // Shift
  EXPECT_EQ(us.Character(0xE2), U'<');
  EXPECT_EQ(us.Character(0x07), 0u);     // no key
  EXPECT_EQ(us.Character(0x141), 0u);
}

}  // namespace
}  // namespace desktop
