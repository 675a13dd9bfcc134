#include "resources/MenuTextTable.h"

#include <gtest/gtest.h>

#include <set>

#include "TempDir.h"
#include "platform/sys/ProgramFolder.h"
#include "platform/sys/Utf.h"

namespace {

using resources_test::TempDir;

class MenuTextTableTest : public ::testing::Test {
 protected:
  void SetUp() override {
    for (auto& s : MenuTextTable) s.clear();
  }
  int Load(std::string_view bytes) {
    return LoadMenuTexts(sys::FromUtf8(dir_.Write("Language.xml", bytes)));
  }
  TempDir dir_;
};

TEST_F(MenuTextTableTest, FillsEachTextByGroupAndKey) {
  ASSERT_EQ(Load("<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
                 "<Root>\n"
                 "  <TaskBar><Exit>\xE9\x80\x80\xE5\x87\xBA</Exit>"
                 "<ShowMainPanel lang='x'>Show &amp; raise</ShowMainPanel></TaskBar>\n"
                 "  <BMPMENU>\n"
                 "    <MAJOR_FUN_MEDIA>first</MAJOR_FUN_MEDIA>\n"
                 "    <MAJOR_FUN_MACRO>macro</MAJOR_FUN_MACRO>\n"
                 "    <MAJOR_FUN_MEDIA>second</MAJOR_FUN_MEDIA>\n"
                 "    <MAJOR_FUN_DPI><b>nested</b></MAJOR_FUN_DPI>\n"
                 "    <BMPMENU><MAJOR_FUN_OFF>from the nested group</MAJOR_FUN_OFF></BMPMENU>\n"
                 "  </BMPMENU>\n"
                 "  <BMPMENU><MAJOR_FUN_WIN_KEY>second group</MAJOR_FUN_WIN_KEY></BMPMENU>\n"
                 "</Root>\n"),
            1);
  EXPECT_EQ(MenuText(MenuTextId::Exit), u"\u9000\u51FA");
  EXPECT_EQ(MenuText(MenuTextId::ShowMainPanel), u"Show & raise");
  EXPECT_EQ(MenuText(MenuTextId::MAJOR_FUN_MACRO), u"macro");
  EXPECT_EQ(MenuText(MenuTextId::MAJOR_FUN_MEDIA), u"first");
  EXPECT_EQ(MenuText(MenuTextId::MAJOR_FUN_DPI), u"");
  EXPECT_EQ(MenuText(MenuTextId::MAJOR_FUN_OFF), u"from the nested group");
  EXPECT_EQ(MenuText(MenuTextId::MAJOR_FUN_WIN_KEY), u"") << "a second group is never read";
  EXPECT_EQ(MenuText(MenuTextId::EnableAutoRun), u"");
  EXPECT_EQ(LookupText(u"TaskBar", u"Exit"), u"\u9000\u51FA");
  EXPECT_EQ(LookupText(u"Missing", u"Exit"), u"");
}

TEST_F(MenuTextTableTest, AGroupAtTheRootIsNotFound) {
  ASSERT_EQ(Load("<BMPMENU><MAJOR_FUN_MACRO>m</MAJOR_FUN_MACRO></BMPMENU>"), 1);
  EXPECT_EQ(MenuText(MenuTextId::MAJOR_FUN_MACRO), u"");
}

TEST_F(MenuTextTableTest, ABadFileLeavesTheTextsAlone) {
  MenuTextTable[0] = u"kept";
  EXPECT_EQ(Load("<A><BMPMENU><MAJOR_FUN_MACRO>m</MAJOR_FUN_MACRO></BMPMENU></A><B/>"), 0);
  EXPECT_EQ(Load("<A><BMPMENU><MAJOR_FUN_MACRO>m</MAJOR_FUN_MACRO></BMPMENU>"), 0);
  EXPECT_EQ(LoadMenuTexts(sys::FromUtf8(dir_.path() + "/missing.xml")), 0);
  EXPECT_EQ(MenuTextTable[0], u"kept");
}

TEST_F(MenuTextTableTest, AUtf16FileLoads) {
  ASSERT_EQ(Load(resources_test::Utf16Bytes(
                u"<L><TaskBar><Exit>\u9000\u51FA</Exit></TaskBar></L>", true)),
            1);
  EXPECT_EQ(MenuText(MenuTextId::Exit), u"\u9000\u51FA");
}

// The language file the build puts next to the executable gives every text of the program.
TEST_F(MenuTextTableTest, TheShippedLanguageFileHasEveryText) {
  const std::string path = sys::ProgramFolder() + "/Language.xml";
  ASSERT_EQ(LoadMenuTexts(sys::FromUtf8(path)), 1) << sys::ToUtf8(LanguageDoc.GetResult());
  EXPECT_EQ(LanguageDoc.GetResult().substr(0, 6), u"UTF-8 ");
  std::set<std::u16string> keys;
  for (int i = 0; i < kMenuTextCount; ++i) {
    EXPECT_FALSE(MenuTextTable[size_t(i)].empty()) << sys::ToUtf8(kMenuTextKeys[size_t(i)].key);
    keys.insert(std::u16string(kMenuTextKeys[size_t(i)].key));
  }
  EXPECT_EQ(keys.size(), size_t(kMenuTextCount)) << "every key names one text";
  EXPECT_EQ(kMenuTextKeys[size_t(MenuTextId::MAJOR_FUN_SHOW_DRIVER)].key, u"MAJOR_FUN_SHOW_DRIVER");
  EXPECT_EQ(kMenuTextKeys[size_t(MenuTextId::ShowMainPanel)].group, u"TaskBar");
  EXPECT_EQ(kMenuTextKeys[size_t(MenuTextId::SUBMINOR_MACRO_INSERT_MOUSE_KEY_CLICK)].group,
            u"BMPMENU");
}

}  // namespace
