#include <gtest/gtest.h>

#include "platform/desktop/KeyboardLayout.h"
#include "tests/platform/desktop/Setxkbmap.h"
#include "tests/platform/desktop/XvfbSuite.h"

namespace desktop {
namespace {

using X11KeyboardLayoutTest = testutil::XvfbSuite;

TEST_F(X11KeyboardLayoutTest, FollowsTheLayoutCurrentAtEachCall) {
  if (testutil::XvfbServer::FindProgram("setxkbmap").empty()) GTEST_SKIP() << "no setxkbmap";
  std::unique_ptr<KeyboardLayout> layout = OpenX11KeyboardLayout(DisplayName());
  ASSERT_NE(layout, nullptr);

  struct Case {
    const char* layout;
    unsigned virtualKey;
    char32_t character;
  };
  const Case cases[] = {
      {"us", 'A', U'a'},    {"us", 'Z', U'z'},    {"us", 0xBA, U';'},   {"us", 0xDB, U'['},
      {"us", '1', U'1'},    {"us", 0x61, U'1'},   {"us", 0x23, 0},      {"us", 0xA0, 0},
      {"us", 0x07, 0},
      {"de", 'Z', U'z'},    {"de", 'Y', U'y'},    {"de", 0xBA, U'\u00f6'}, {"de", 0xDB, U'\u00fc'},
      {"de", 0xBD, U'\u00df'}, {"de", 0xE2, U'<'}, {"de", 0xC0, 0},  // a dead key types nothing
      {"ru", 'A', U'\u0444'}, {"ru", '1', U'1'},
      {"us", 0xBA, U';'},   // and back
  };
  for (const Case& c : cases) {
    ASSERT_TRUE(testutil::Setxkbmap(DisplayName(), c.layout));
    EXPECT_EQ(layout->Character(c.virtualKey), c.character)
        << c.layout << " vk " << c.virtualKey;
  }
}

TEST(X11KeyboardLayoutOpenTest, NoDisplayGivesNoLayout) {
  EXPECT_EQ(OpenX11KeyboardLayout(":999999"), nullptr);
}

}  // namespace
}  // namespace desktop
