// The captions the default skin draws on the windows of the function menu are the texts of the
// menu items that open them.
#include <gtest/gtest.h>

#include "Captions.h"
#include "platform/sys/Utf.h"
#include "resources/MenuTextTable.h"

namespace {

using sys::ToUtf8;

TEST(CaptionsTest, EachWindowOfTheFunctionMenuIsCaptionedAsTheItemThatOpensIt) {
  ASSERT_EQ(LoadMenuTexts(u"" KDZ_PROGRAM_DIR "/Language.xml"), 1);
  for (const captions::MenuCaption& c : captions::kMenuCaptions) {
    EXPECT_EQ(ToUtf8(c.caption), ToUtf8(LookupText(u"BMPMENU", c.menuKey))) << ToUtf8(c.menuKey);
  }
}

}  // namespace
