// The macro buttons of mode records and of the default files after deletions from the store.
#include "settings/MacroRenumbering.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <cstring>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "settings/FunctionCodes.h"
#include "settings/MacroStore.h"
#include "settings/ProfileFiles.h"
#include "tests/platform/sys/FileTestUtil.h"

namespace {

using namespace settings;
using Bytes = std::vector<unsigned char>;

struct Button {
  uint8_t major, macroIndex, minor;
};

tagKEYDEFINEINFO Key(Button b) {
  tagKEYDEFINEINFO key{};
  key.major = b.major;
  key.macroIndex = b.macroIndex;
  key.minor = b.minor;
  return key;
}

// A macro button naming store index `index`.
Button Macro(uint8_t index) {
  return {MAJOR_FUN_MACRO, index, static_cast<uint8_t>(index + MINOR_FUN_FIRST_MACRO)};
}

const Button kDeleted = Macro(DELETED_MACRO_INDEX);

TEST(MacroRenumbering, EveryMacroButtonKeepsItsMacroOrNamesNone) {
  struct Case {
    const char* what;
    Button before;
    std::vector<int> deletions;
    Button after;
  } cases[] = {
      {"before the deleted macro", Macro(1), {2}, Macro(1)},
      {"after it: one place up", Macro(4), {2}, Macro(3)},
      {"the deleted macro itself: none", Macro(2), {2}, kDeleted},
      {"deleted by the index it had then", Macro(3), {1, 2}, kDeleted},
      {"after two deletions", Macro(4), {1, 2}, Macro(2)},
      {"deleted second, before the first's place", Macro(1), {2, 1}, kDeleted},
      {"no deletions", Macro(7), {}, Macro(7)},
      {"past every store: stays", Macro(DELETED_MACRO_INDEX), {0}, Macro(DELETED_MACRO_INDEX)},
      {"far past every store: stays", {MAJOR_FUN_MACRO, 254, 255}, {0},
       {MAJOR_FUN_MACRO, 254, 255}},
      {"not a macro button", {MAJOR_FUN_MEDIA, 4, 5}, {0}, {MAJOR_FUN_MEDIA, 4, 5}},
      {"a minor that does not follow its index", {MAJOR_FUN_MACRO, 3, 0}, {0},
       {MAJOR_FUN_MACRO, 2, 0}},
  };
  for (const Case& c : cases) {
    auto modes = std::make_unique<tagMODEINFO[]>(MODE_COUNT);
    std::memset(modes.get(), 0, sizeof(tagMODEINFO) * MODE_COUNT);
    modes[2].keys[6] = Key(c.before);
    const bool changed = RenumberMacroButtons(std::span(modes.get(), MODE_COUNT), c.deletions);
    const tagKEYDEFINEINFO& key = modes[2].keys[6];
    EXPECT_EQ(key.major, c.after.major) << c.what;
    EXPECT_EQ(key.macroIndex, c.after.macroIndex) << c.what;
    EXPECT_EQ(key.minor, c.after.minor) << c.what;
    const tagKEYDEFINEINFO before = Key(c.before);
    const tagKEYDEFINEINFO after = Key(c.after);
    EXPECT_EQ(changed, std::memcmp(&before, &after, sizeof before) != 0) << c.what;
  }
}

// The four default files, each a record whose buttons are set by the test.
class DefaultFileRenumbering : public ::testing::Test {
 protected:
  std::string File(int m) const { return DefaultFilePath(data.DefaultCfg(), m); }
  static Bytes RecordBytes(const tagMODEINFO& r, size_t n = sizeof(tagMODEINFO)) {
    const auto* p = reinterpret_cast<const unsigned char*>(&r);
    return Bytes(p, p + n);
  }
  // A record of patterned bytes whose button `key` runs macro `index`.
  static tagMODEINFO Record(int key, uint8_t index) {
    tagMODEINFO r;
    auto* p = reinterpret_cast<unsigned char*>(&r);
    for (size_t i = 0; i < sizeof r; ++i) p[i] = static_cast<unsigned char>(i * 5 + 1);
    for (tagKEYDEFINEINFO& k : r.keys) k.major = MAJOR_FUN_OFF;
    r.keys[key] = Key(Macro(index));
    return r;
  }
  void Write(int m, const tagMODEINFO& r, size_t n = sizeof(tagMODEINFO)) {
    std::filesystem::create_directories(data.DefaultCfg());
    testutil::WriteAll(File(m), &r, n);
  }
  ino_t Inode(int m) const {
    struct stat st {};
    return stat(File(m).c_str(), &st) == 0 ? st.st_ino : 0;
  }

  testutil::TempDataFolder data;
};

TEST_F(DefaultFileRenumbering, ChangedFilesAreRewrittenWholeAndTheOthersLeftAlone) {
  const std::vector<int> deletions = {0};
  tagMODEINFO first = Record(2, 1);
  Write(0, first);
  // default1 does not exist.
  // A short file holds its first two buttons only; the second runs macro 3.
  tagMODEINFO shortRecord = Record(1, 3);
  const size_t shortSize = 2 * sizeof(tagKEYDEFINEINFO);
  Write(2, shortRecord, shortSize);
  // A file without a macro button.
  tagMODEINFO plain = Record(0, 0);
  plain.keys[0].major = MAJOR_FUN_LEFT_MOUSE_KEY;
  Write(3, plain);
  const ino_t plainInode = Inode(3);

  ASSERT_TRUE(RenumberDefaultFileMacroButtons(deletions));

  tagMODEINFO expected = first;
  expected.keys[2] = Key(Macro(0));
  EXPECT_EQ(testutil::ReadAll(File(0)), RecordBytes(expected));
  EXPECT_FALSE(std::filesystem::exists(File(1)));
  tagMODEINFO shortExpected = shortRecord;
  shortExpected.keys[1] = Key(Macro(2));
  EXPECT_EQ(testutil::ReadAll(File(2)), RecordBytes(shortExpected, shortSize));
  EXPECT_EQ(testutil::ReadAll(File(3)), RecordBytes(plain));
  EXPECT_EQ(Inode(3), plainInode) << "an unchanged file is not written";
  for (const std::string& name : testutil::FileNames(data.DefaultCfg())) {
    EXPECT_FALSE(sys::IsTemporaryFileName(name)) << name;
  }
}

TEST_F(DefaultFileRenumbering, AButtonOfADeletedMacroNamesNoneAfterALoad) {
  Write(3, Record(4, 1));
  ASSERT_TRUE(RenumberDefaultFileMacroButtons(std::vector<int>{1}));
  tagMODEINFO loaded{};
  ASSERT_TRUE(ReadFileToBuffer(File(3), &loaded, sizeof loaded));
  EXPECT_EQ(loaded.keys[4].macroIndex, DELETED_MACRO_INDEX);
  MacroStore store;
  store.macroStore.count = MAX_MACRO_COUNT;
  tagMACROINFO macro;
  EXPECT_FALSE(store.GetMacro(macro, loaded.keys[4].macroIndex));
  EXPECT_FALSE(store.GetMacro(macro, loaded.keys[4].minor - MINOR_FUN_FIRST_MACRO));
}

TEST_F(DefaultFileRenumbering, AFailedWriteIsToldAndLeavesTheOldFile) {
  const tagMODEINFO record = Record(0, 2);
  Write(1, record);
  {
    testutil::FileSizeLimit limit(4096);
    EXPECT_FALSE(RenumberDefaultFileMacroButtons(std::vector<int>{0}));
  }
  EXPECT_EQ(testutil::ReadAll(File(1)), RecordBytes(record));
}

TEST_F(DefaultFileRenumbering, TheDefaultFilesFollowSequenceDatOnlyOnceItIsWritten) {
  auto applied = std::make_unique<tagMODEINFO[]>(MODE_AREA_COUNT);
  std::memset(applied.get(), 0, sizeof(tagMODEINFO) * MODE_AREA_COUNT);
  applied[1].keys[3] = Key(Macro(2));
  applied[4].keys[3] = Key(Macro(2));  // the fifth record travels along untouched
  const tagMODEINFO record = Record(5, 2);
  Write(0, record);
  MacroStore store;
  store.macroStore.count = 2;
  const std::vector<int> deletions = {0};

  // sequence.dat cannot be written: the default files keep the order of the old one.
  std::filesystem::create_directories(SequenceFilePath(data.DefaultCfg()));
  EXPECT_FALSE(SaveSequenceFileAfterDeletions(store, deletions, applied.get()));
  EXPECT_EQ(testutil::ReadAll(File(0)), RecordBytes(record));
  // The applied records follow the store in memory whatever the files.
  EXPECT_EQ(applied[1].keys[3].macroIndex, 1);
  EXPECT_EQ(applied[4].keys[3].macroIndex, 2);

  std::filesystem::remove(SequenceFilePath(data.DefaultCfg()));
  applied[1].keys[3] = Key(Macro(2));
  EXPECT_TRUE(SaveSequenceFileAfterDeletions(store, deletions, applied.get()));
  EXPECT_EQ(std::filesystem::file_size(SequenceFilePath(data.DefaultCfg())),
            sizeof(tagMACROSTORE));
  tagMODEINFO expected = record;
  expected.keys[5] = Key(Macro(1));
  EXPECT_EQ(testutil::ReadAll(File(0)), RecordBytes(expected));
  EXPECT_EQ(applied[1].keys[3].macroIndex, 1);
  EXPECT_TRUE(SaveSequenceFileAfterDeletions(store, {}, nullptr)) << "no applied records";
}

}  // namespace
