// The choice of the mode by the foreground application and of the PC-side button actions, as
// plain functions over the records.
#include <gtest/gtest.h>

#include <cstring>
#include <filesystem>
#include <limits>
#include <memory>
#include <span>
#include <string>

#include "app/ApplicationSwitch.h"
#include "app/ButtonActions.h"
#include "platform/sys/Utf.h"
#include "settings/FunctionCodes.h"
#include "tests/platform/sys/FileTestUtil.h"

namespace {

using settings::tagMODEINFO;

struct Modes {
  Modes() { std::memset(records, 0, sizeof records); }
  tagMODEINFO records[settings::MODE_AREA_COUNT];
};

int MatchApplicationMode(const tagMODEINFO* records, std::u16string_view process) {
  app::ApplicationPaths paths;
  paths.Update(records);
  return paths.Match(process);
}

// --- Mode by the foreground application ------------------------------------------------------

struct MatchCase {
  const char* what;
  std::u16string paths[4];
  std::u16string process;
  int expected;
};

// Each case's paths in the four records, and the mode its process matches.
void ExpectMatches(std::span<const MatchCase> cases) {
  for (const MatchCase& c : cases) {
    Modes m;
    for (int i = 0; i < 4; ++i) settings::SetFieldText(m.records[i].appPath, c.paths[i]);
    EXPECT_EQ(MatchApplicationMode(m.records, c.process), c.expected) << c.what;
  }
}

TEST(ApplicationSwitchTest, FirstModeWhosePathOccursInTheProcessPathIgnoringCase) {
  const std::u16string longFolder(300, u'd');
  const MatchCase cases[] = {
      {"no paths", {}, u"/usr/bin/gimp", -1},
      {"bare name anywhere", {u"", u"GIMP"}, u"/opt/Gimp-2.10/bin/gimp", 1},
      {"full path", {u"/usr/bin/inkscape"}, u"/usr/bin/inkscape", 0},
      {"three units never match", {u"vim", u"bin"}, u"/usr/bin/vim", -1},
      {"four units match", {u"", u"", u"/vim"}, u"/usr/bin/vim", 2},
      {"lower-numbered mode wins", {u"", u"firefox", u"FireFox-esr", u"fox-"},
       u"/usr/lib/firefox-esr/firefox-esr", 1},
      {"not contained", {u"chromium"}, u"/usr/bin/firefox", -1},
      {"Unicode case", {u"", u"", u"", u"ÉDITEUR"}, u"/opt/éditeur/run", 3},
      {"Cyrillic case", {u"ПРОГРАММА"}, u"/home/u/программа", 0},
      {"unknown matches a stored unknown", {u"unknown"}, u"<unknown>", 0},
      {"stored <unknown> matches", {u"", u"<UNKNOWN>"}, u"<unknown>", 1},
      {"a name at the end of a path past 260 units",
       {u"", u"", u"mygame"}, u"/" + longFolder + u"/mygame", 2},
  };
  ExpectMatches(cases);
}

TEST(ApplicationSwitchTest, AStoredPathWithoutTerminatorIsReadToItsFieldsEnd) {
  Modes m;
  for (char16_t& c : m.records[0].appPath) c = u'a';
  // The record's next field follows the path directly; it must not be read as part of it.
  settings::SetFieldText(m.records[0].profileName, u"tail");
  const std::u16string exact(settings::TEXT_FIELD_LENGTH, u'a');
  EXPECT_EQ(MatchApplicationMode(m.records, u"/x/" + exact + u"/y"), 0);
  EXPECT_EQ(MatchApplicationMode(m.records, u"/x/" + exact.substr(1) + u"tail"), -1);
}

// The current folder for one test, then the one before.
class InFolder {
 public:
  explicit InFolder(const std::string& folder) : before_(std::filesystem::current_path()) {
    std::filesystem::current_path(folder);
  }
  ~InFolder() { std::filesystem::current_path(before_); }
  InFolder(const InFolder&) = delete;
  InFolder& operator=(const InFolder&) = delete;

 private:
  std::filesystem::path before_;
};

// A program chosen in the file dialog through a link runs under its target's path.
TEST(ApplicationSwitchTest, AnAbsolutePathAlsoMatchesWithItsLinksResolved) {
  namespace fs = std::filesystem;
  testutil::TempFolder temp;
  const std::string root = temp.path();
  const std::string real = temp.Write("real/Editor-Program", "");
  fs::create_directories(root + "/bin");
  fs::create_directories(root + "/alternatives");
  fs::create_symlink("../real/Editor-Program", root + "/bin/editor");
  fs::create_symlink(real, root + "/alternatives/editor");
  fs::create_symlink("../alternatives/editor", root + "/bin/editor-chain");
  fs::create_symlink("real", root + "/linked-folder");
  fs::create_symlink(root + "/nowhere", root + "/bin/dangling");
  fs::create_symlink(real, root + "/xcalc");
  const std::u16string process = sys::FromUtf8(fs::canonical(real).string());
  const auto u16 = [](const std::string& text) { return sys::FromUtf8(text); };
  const MatchCase cases[] = {
      {"a link", {u"", u16(root + "/bin/editor")}, process, 1},
      {"a chain of links", {u"", u"", u16(root + "/bin/editor-chain")}, process, 2},
      {"a link among the folders", {u16(root + "/linked-folder/Editor-Program")}, process, 0},
      {"the real path", {u"", u"", u"", u16(real)}, process, 3},
      {"a dangling link", {u16(root + "/bin/dangling")}, process, -1},
      // The current folder holds a link of that name: it is not followed.
      {"a bare name", {u"xcalc"}, process, -1},
      {"three units", {u"/re"}, u"/real/editor-program", -1},
      {"a link to another program", {u16(root + "/bin/editor")}, u"/usr/bin/other", -1},
  };
  InFolder inRoot(root);
  ExpectMatches(cases);
}

// The same program in front tick after tick is compared once; a path changed meanwhile is
// compared afresh.
TEST(ApplicationSwitchTest, TheSameProcessPathIsMatchedAgainstThePathsAsTheyAreNow) {
  Modes m;
  app::ApplicationPaths paths;
  const std::u16string gimp = u"/usr/bin/gimp";
  settings::SetFieldText(m.records[2].appPath, u"inkscape");
  paths.Update(m.records);
  EXPECT_EQ(paths.Match(gimp), -1);
  EXPECT_EQ(paths.Match(gimp), -1);
  settings::SetFieldText(m.records[1].appPath, u"GIMP");
  paths.Update(m.records);
  EXPECT_EQ(paths.Match(gimp), 1) << "a path given meanwhile";
  settings::SetFieldText(m.records[0].appPath, u"/usr/bin");
  paths.Update(m.records);
  EXPECT_EQ(paths.Match(gimp), 0) << "a lower mode's path given meanwhile";
  settings::SetFieldText(m.records[0].appPath, u"");
  settings::SetFieldText(m.records[1].appPath, u"");
  paths.Update(m.records);
  EXPECT_EQ(paths.Match(gimp), -1) << "the paths taken back";
  EXPECT_EQ(paths.Match(u"/usr/bin/inkscape"), 2) << "another program in front";
}

// --- Button actions -------------------------------------------------------------------------

TEST(ButtonActionsTest, ScrollStepsAreTheMagnitudeCappedAtEight) {
  const struct {
    int32_t amount;
    int steps;
  } cases[] = {
      {0, 0}, {1, 1}, {-1, 1}, {3, 3}, {-3, 3}, {8, 8}, {-8, 8}, {9, 8}, {1000000, 8},
      {std::numeric_limits<int32_t>::max(), 8}, {std::numeric_limits<int32_t>::min(), 8},
  };
  for (const auto& c : cases) EXPECT_EQ(app::ScrollSteps(c.amount), c.steps) << c.amount;
}

TEST(ButtonActionsTest, PressedFlagsAreTheTenLowBits) {
  const app::PressedButtons p = app::PressedFromState(0xFC01 | (1u << 9));
  EXPECT_EQ(p.flags[0], 1);
  for (int i = 1; i < 9; ++i) EXPECT_EQ(p.flags[i], 0) << i;
  EXPECT_EQ(p.flags[9], 1);
}

class ChooseActionsTest : public ::testing::Test {
 protected:
  ChooseActionsTest() : record(std::make_unique<tagMODEINFO>()) {
    std::memset(record.get(), 0, sizeof *record);
    Assign(0, settings::MAJOR_FUN_ASSIGN_PROGRAM_TO_EXECUTION, u"/usr/bin/first");
    Assign(1, settings::MAJOR_FUN_SCROLL_LEFT);
    Assign(2, settings::MAJOR_FUN_SHOW_DRIVER);
    Assign(3, settings::MAJOR_FUN_SCROLL_RIGHT);
    Assign(4, settings::MAJOR_FUN_SHOW_DRIVER);
    Assign(5, settings::MAJOR_FUN_ASSIGN_PROGRAM_TO_EXECUTION, u"/usr/bin/second");
    Assign(6, settings::MAJOR_FUN_SCROLL_UP);
    record->horizontalScrollAmount = 3;
  }
  void Assign(int key, uint8_t major, std::u16string_view program = u"") {
    record->keys[key].major = major;
    settings::SetFieldText(record->keys[key].programPath, program);
  }
  app::KeyStatusActions Choose(uint32_t state) {
    return app::ChooseKeyStatusActions(*record, app::PressedFromState(state));
  }
  std::unique_ptr<tagMODEINFO> record;
};

TEST_F(ChooseActionsTest, ReportsShowRunAndScrollInButtonOrder) {
  const struct {
    const char* what;
    uint32_t state;
    int32_t amount;
    bool show;
    std::vector<std::u16string> programs;
    std::vector<int> scrolls;
  } cases[] = {
      {"nothing pressed", 0, 3, false, {}, {}},
      {"one show button", 1u << 2, 3, true, {}, {}},
      {"two show buttons show once", (1u << 2) | (1u << 4), 3, true, {}, {}},
      {"two programs, lower button first", (1u << 5) | 1u, 3, false,
       {u"/usr/bin/first", u"/usr/bin/second"}, {}},
      {"left and right", (1u << 1) | (1u << 3), 3, false, {}, {-3, 3}},
      {"negative amount keeps each button's direction", (1u << 1) | (1u << 3), -3, false, {},
       {-3, 3}},
      {"amount 0 scrolls nothing", (1u << 1) | (1u << 3), 0, false, {}, {}},
      {"huge amount capped", 1u << 3, std::numeric_limits<int32_t>::min(), false, {}, {8}},
      {"vertical scroll is the mouse's own", 1u << 6, 3, false, {}, {}},
      {"everything", 0x3FF, 2, true, {u"/usr/bin/first", u"/usr/bin/second"}, {-2, 2}},
  };
  for (const auto& c : cases) {
    record->horizontalScrollAmount = c.amount;
    const app::KeyStatusActions a = Choose(c.state);
    EXPECT_EQ(a.showWindow, c.show) << c.what;
    EXPECT_EQ(a.programs, c.programs) << c.what;
    EXPECT_EQ(a.scrolls, c.scrolls) << c.what;
  }
}

TEST_F(ChooseActionsTest, AProgramPathWithoutTerminatorIsReadTo260Units) {
  for (char16_t& c : record->keys[0].programPath) c = u'p';
  record->keys[1].reserved = 'X';  // the bytes after the field
  const app::KeyStatusActions a = Choose(1u);
  ASSERT_EQ(a.programs.size(), 1u);
  EXPECT_EQ(a.programs[0], std::u16string(settings::TEXT_FIELD_LENGTH, u'p'));
}

}  // namespace
