#include "settings/MacroStore.h"

#include <gtest/gtest.h>

#include <cstring>
#include <memory>
#include <vector>

#include "settings/ProfileFiles.h"
#include "tests/platform/sys/FileTestUtil.h"

namespace {

using namespace settings;

class MacroStoreTest : public ::testing::Test {
 protected:
  void Fill(uint32_t count) {
    store->macroStore.count = count;
    for (int i = 0; i < MAX_MACRO_COUNT; ++i) {
      store->macroStore.macros[i].loopCount = 100 + i;
      SetFieldText(store->macroStore.macros[i].name, u"macro");
    }
  }

  std::unique_ptr<MacroStore> store = std::make_unique<MacroStore>();
  tagMACROINFO out;
};

TEST_F(MacroStoreTest, ServesOnlyIndexesBelowTheCount) {
  struct Case {
    uint32_t count;
    unsigned index;
    bool served;
  } cases[] = {
      {0, 0, false},  {3, 0, true},   {3, 2, true},           {3, 3, false},
      {40, 39, true}, {45, 39, true}, {45, 40, false},        {0xFFFFFFFF, 40, false},
      {3, 0xFFFFFFFF, false},
  };
  for (const Case& c : cases) {
    Fill(c.count);
    std::memset(&out, 0xCC, sizeof out);
    EXPECT_EQ(store->GetMacro(out, c.index), c.served) << c.count << "/" << c.index;
    if (c.served) {
      EXPECT_EQ(std::memcmp(&out, &store->macroStore.macros[c.index], sizeof out), 0);
    } else {
      EXPECT_EQ(out.loopCount, static_cast<int32_t>(0xCCCCCCCC));  // nothing copied
    }
  }
}

TEST_F(MacroStoreTest, CommitCopiesTheWholeEditingStore) {
  Fill(3);
  store->CommitMacros();
  EXPECT_EQ(std::memcmp(&store->committedMacroStore, &store->macroStore, sizeof(tagMACROSTORE)), 0);
  store->macroStore.count = 1;  // later edits stay in the editing store
  EXPECT_EQ(store->committedMacroStore.count, 3u);
}

TEST_F(MacroStoreTest, SequenceFileRoundTripsWhole) {
  testutil::TempDataFolder data;
  Fill(7);
  store->macroStore.macros[39].repeatMode = 2;  // slots beyond count travel too
  store->SaveSequenceFile();
  const auto bytes = testutil::ReadAll(data.DefaultCfg() + "/sequence.dat");
  ASSERT_EQ(bytes.size(), sizeof(tagMACROSTORE));
  EXPECT_EQ(std::memcmp(bytes.data(), &store->macroStore, bytes.size()), 0);

  auto loaded = std::make_unique<MacroStore>();
  loaded->LoadSequenceFile();
  EXPECT_EQ(std::memcmp(&loaded->macroStore, &store->macroStore, sizeof(tagMACROSTORE)), 0);
}

TEST_F(MacroStoreTest, MissingSequenceFileLeavesTheStoreEmpty) {
  testutil::TempDataFolder data;
  store->LoadSequenceFile();
  EXPECT_EQ(store->macroStore.count, 0u);
  EXPECT_FALSE(store->GetMacro(out, 0));
}

TEST_F(MacroStoreTest, DamagedCountsAreBoundedOnLoad) {
  testutil::TempDataFolder data;
  auto damaged = std::make_unique<tagMACROSTORE>();
  std::memset(damaged.get(), 0, sizeof(tagMACROSTORE));
  damaged->count = 1000;
  damaged->macros[0].eventCount = 0xFFFFFFFF;
  damaged->macros[5].eventCount = 51;
  damaged->macros[6].eventCount = 50;
  std::string folder;
  ASSERT_TRUE(sys::DataSubfolder(sys::kDefaultCfgSubfolder, folder));
  testutil::WriteAll(data.DefaultCfg() + "/sequence.dat", damaged.get(), sizeof(tagMACROSTORE));
  store->LoadSequenceFile();
  EXPECT_EQ(store->macroStore.count, 40u);
  EXPECT_EQ(store->macroStore.macros[0].eventCount, 50u);
  EXPECT_EQ(store->macroStore.macros[5].eventCount, 50u);
  EXPECT_EQ(store->macroStore.macros[6].eventCount, 50u);
}

TEST_F(MacroStoreTest, FailedSaveLeavesTheOldSequenceFileWhole) {
  testutil::TempDataFolder data;
  Fill(2);
  EXPECT_TRUE(store->SaveSequenceFile());
  const std::string path = data.DefaultCfg() + "/sequence.dat";
  const auto before = testutil::ReadAll(path);
  Fill(9);
  {
    testutil::FileSizeLimit limit(4096);  // the disk is full after 4 KiB
    EXPECT_FALSE(store->SaveSequenceFile()) << "the failure is told";
  }
  EXPECT_EQ(testutil::ReadAll(path), before);
  EXPECT_EQ(testutil::FileNames(data.DefaultCfg()), std::vector<std::string>{"sequence.dat"});
}

}  // namespace
