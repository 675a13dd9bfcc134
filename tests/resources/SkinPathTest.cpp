#include "resources/SkinPath.h"

#include <gtest/gtest.h>

#include "TempDir.h"

namespace {

using resources::SkinPath;
using resources_test::TempDir;

TEST(SkinPathTest, JoinsWithSlashesAndFindsNamesIgnoringCase) {
  TempDir dir;
  dir.Write("skin/Main/BackGround.png", "x");
  dir.Write("skin/main.png", "x");
  const std::string& root = dir.path();
  struct Case {
    std::u16string value;
    std::string expected;
  };
  const std::vector<Case> cases = {
      {u"skin\\main.png", root + "/skin/main.png"},
      {u"skin/Main/BackGround.png", root + "/skin/Main/BackGround.png"},
      {u"SKIN\\main\\background.PNG", root + "/skin/Main/BackGround.png"},
      {u"Skin\\.\\Main.png", root + "/skin/main.png"},
      // What cannot be found stays as written, so the caller's load fails on that name.
      {u"Skin\\missing\\a.png", root + "/skin/missing/a.png"},
      {u"nothere.png", root + "/nothere.png"},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(SkinPath(root, c.value), c.expected);
    EXPECT_EQ(SkinPath(root + "/", c.value), c.expected);
  }
}

}  // namespace
