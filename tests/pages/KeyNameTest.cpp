#include "pages/KeyName.h"

#include <gtest/gtest.h>

#include <map>
#include <string>

#include "pages/MouseEventName.h"
#include "platform/desktop/KeyboardLayout.h"

namespace {

// A layout that types what the test says, and records what it was asked.
class FakeLayout : public desktop::KeyboardLayout {
 public:
  std::map<unsigned, char32_t> characters;
  int calls = 0;
  char32_t Character(unsigned virtualKey) override {
    ++calls;
    const auto it = characters.find(virtualKey);
    return it == characters.end() ? 0 : it->second;
  }
};

// The fixed names, written out as the key list gives them.
std::map<unsigned, std::u16string> FixedNames() {
  std::map<unsigned, std::u16string> names = {
      {0x08, u"Backspace"}, {0x09, u"Tab"},      {0x0C, u"Clr"},      {0x0D, u"Enter"},
      {0x10, u"Shift"},     {0x11, u"Ctrl"},     {0x12, u"Alt"},      {0x13, u"Pause"},
      {0x14, u"CapsLock"},  {0x1B, u"Esc"},      {0x20, u"Space"},    {0x21, u"PageUp"},
      {0x22, u"PageDown"},  {0x23, u"End"},      {0x24, u"Home"},     {0x25, u"Left"},
      {0x26, u"Up"},        {0x27, u"Right"},    {0x28, u"Down"},     {0x29, u"Select"},
      {0x2A, u"Print"},     {0x2B, u"Enter"},    {0x2C, u"Snapshot"}, {0x2D, u"Insert"},
      {0x2E, u"Delete"},    {0x2F, u"Help"},     {0x5B, u"LWin"},     {0x5C, u"RWin"},
      {0x5D, u"App"},       {0x6A, u"(*)"},      {0x6B, u"(+)"},      {0x6C, u"\\"},
      {0x6D, u"(-)"},       {0x6E, u"(.)"},      {0x6F, u"(/)"},      {0x90, u"Numlock"},
      {0x91, u"Scroll Lock"}, {0xA0, u"LShift"}, {0xA1, u"RShift"},   {0xA2, u"LCtrl"},
      {0xA3, u"RCtrl"},     {0xA4, u"LAlt"},     {0xA5, u"RAlt"},     {0xFF, u""},
  };
  for (unsigned d = 0; d <= 9; ++d)
    names[0x60 + d] = u"(" + std::u16string(1, char16_t(u'0' + d)) + u")";
  for (unsigned f = 1; f <= 12; ++f) {
    std::u16string n = u"F";
    for (char c : std::to_string(f)) n += char16_t(c);
    names[0x6F + f] = n;
  }
  return names;
}

// Every code: the fixed names never ask the layout; every other code is the layout's character
// (here 'q' raised for all of them).
TEST(KeyNameTest, WholeTable) {
  const std::map<unsigned, std::u16string> fixed = FixedNames();
  ASSERT_EQ(fixed.size(), 66u);
  for (unsigned vk = 0; vk <= 0x1FF; ++vk) {
    FakeLayout layout;
    layout.characters[vk] = U'q';
    const auto it = fixed.find(vk);
    if (it != fixed.end()) {
      EXPECT_EQ(KeyName(vk, layout), it->second) << "vk " << vk;
      EXPECT_EQ(layout.calls, 0) << "vk " << vk;
    } else {
      EXPECT_EQ(KeyName(vk, layout), u"Q") << "vk " << vk;
    }
  }
}

TEST(KeyNameTest, CharactersOfTheLayout) {
  struct Case {
    char32_t typed;
    std::u16string name;
  };
  const Case cases[] = {
      {U'a', u"A"}, {U'z', u"Z"}, {U'A', u"A"}, {U'1', u"1"}, {U';', u";"}, {U'\\', u"\\"},
      {U'<', u"<"},
      // Only a to z are raised.
      {U'\u00f6', u"\u00f6"}, {U'\u00df', u"\u00df"}, {U'\u0444', u"\u0444"},
      {U'\U0001F600', u"\U0001F600"},
      // A key that types nothing, or only a control character, has no name.
      {0, u""}, {U'\x1b', u""}, {U'\x7f', u""}, {U'\t', u""},
  };
  for (const Case& c : cases) {
    FakeLayout layout;
    layout.characters[0xBA] = c.typed;
    EXPECT_EQ(KeyName(0xBA, layout), c.name) << int(c.typed);
  }
}

TEST(KeyNameTest, UsKeyboardWithoutDisplay) {
  desktop::UsKeyboardLayout us;
  EXPECT_EQ(KeyName(0x41, us), u"A");
  EXPECT_EQ(KeyName(0x31, us), u"1");
  EXPECT_EQ(KeyName(0xBA, us), u";");
  EXPECT_EQ(KeyName(0xC0, us), u"`");
  EXPECT_EQ(KeyName(0x07, us), u"");
}

TEST(MouseEventNameTest, NamesOfTheUpAndDownEvents) {
  const std::map<unsigned, std::u16string> names = {
      {6, u"Left Up"},   {7, u"Left Down"},   {9, u"Right Up"},    {10, u"Right Down"},
      {12, u"Wheel Up"}, {13, u"Wheel Down"}, {15, u"Forward Up"}, {16, u"Forward Down"},
      {18, u"Backward Up"}, {19, u"Backward Down"},
  };
  for (unsigned code = 0; code <= 300; ++code) {
    const auto it = names.find(code);
    EXPECT_EQ(MouseEventName(code), it == names.end() ? u"" : it->second) << code;
  }
}

}  // namespace
