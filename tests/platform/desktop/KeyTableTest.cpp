#include "platform/desktop/KeyTable.h"

#include <gtest/gtest.h>

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
