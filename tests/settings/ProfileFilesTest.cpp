#include <gtest/gtest.h>
#include <sys/stat.h>

#include <cstring>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "settings/DeviceSettings.h"
#include "settings/MacroStore.h"
#include "settings/ProfileFiles.h"
#include "tests/platform/sys/FileTestUtil.h"

namespace {

using namespace settings;
using Bytes = std::vector<unsigned char>;

Bytes RawOf(const tagMODEINFO& r) {
  const auto* p = reinterpret_cast<const unsigned char*>(&r);
  return Bytes(p, p + sizeof r);
}

Bytes Pattern(size_t n, unsigned char seed) {
  Bytes b(n);
  for (size_t i = 0; i < n; ++i) b[i] = static_cast<unsigned char>(seed + 3 * i);
  return b;
}

bool IsDirectory(const std::string& path) {
  struct stat st {};
  return stat(path.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

// A file dialog that answers as scripted and remembers what it was asked.
struct ScriptedDialog : ProfileFileDialog {
  bool Run(const Options& options, std::string& path) override {
    asked.push_back(options);
    if (!confirm) return false;
    path = answer;
    return true;
  }
  bool confirm = true;
  std::string answer;
  std::vector<Options> asked;
};

class ProfileFiles : public ::testing::Test {
 protected:
  void SetUp() override { s->ResetAllModesToDefaults(); }
  std::string DefaultFile(int m) const { return data.DefaultCfg() + "/default" + std::to_string(m); }

  testutil::TempDataFolder data;
  std::unique_ptr<DeviceSettings> s = std::make_unique<DeviceSettings>();
  ScriptedDialog dialog;
};

TEST_F(ProfileFiles, FirstStartKeepsFactoryDefaultsAndAnEmptyStore) {
  auto factory = std::make_unique<DeviceSettings>();
  factory->ResetAllModesToDefaults();
  auto macros = std::make_unique<MacroStore>();
  s->LoadDefaultProfiles();
  macros->LoadSequenceFile();
  EXPECT_TRUE(IsDirectory(data.DefaultCfg()));
  for (int m = 0; m < MODE_COUNT; ++m) {
    EXPECT_EQ(RawOf(s->EditingModes[m]), RawOf(factory->EditingModes[m])) << m;
  }
  EXPECT_EQ(macros->macroStore.count, 0u);
  s->ImportProfile(dialog);  // the profile folder appears when a dialog opens in it
  EXPECT_TRUE(IsDirectory(data.Cfg()));
}

TEST_F(ProfileFiles, DefaultFilesRoundTripByteForByte) {
  for (int m = 0; m < MODE_COUNT; ++m) {
    // Every byte, the reserved ones included, must come back.
    const Bytes pattern = Pattern(sizeof(tagMODEINFO), static_cast<unsigned char>(m * 50));
    std::memcpy(&s->EditingModes[m], pattern.data(), pattern.size());
  }
  std::memset(&s->EditingModes[4], 0x99, sizeof(tagMODEINFO));
  auto saved = std::make_unique<DeviceSettings>(*s);
  s->SaveDefaultProfiles();
  for (int m = 0; m < MODE_COUNT; ++m) {
    EXPECT_EQ(testutil::ReadAll(DefaultFile(m)), RawOf(saved->EditingModes[m])) << m;
  }
  EXPECT_EQ(testutil::FileNames(data.DefaultCfg()).size(), 4u);  // the fifth record is not saved

  s->ResetAllModesToDefaults();
  s->LoadDefaultProfiles();
  for (int m = 0; m < MODE_COUNT; ++m) {
    EXPECT_EQ(RawOf(s->EditingModes[m]), RawOf(saved->EditingModes[m])) << m;
  }
}

TEST_F(ProfileFiles, MissingDefaultFileKeepsItsModesDefaults) {
  auto factory = std::make_unique<DeviceSettings>(*s);
  for (int m = 0; m < MODE_COUNT; ++m) s->EditingModes[m].fireSpeed = static_cast<uint8_t>(200 + m);
  s->SaveDefaultProfiles();
  ASSERT_EQ(std::remove(DefaultFile(2).c_str()), 0);
  s->ResetAllModesToDefaults();
  s->LoadDefaultProfiles();
  for (int m : {0, 1, 3}) EXPECT_EQ(s->EditingModes[m].fireSpeed, 200 + m) << m;
  EXPECT_EQ(RawOf(s->EditingModes[2]), RawOf(factory->EditingModes[2]));
}

// Profiles are written whole, so only a file of exactly one record is one; any other file is
// refused and the record stays as it was.
TEST_F(ProfileFiles, ImportTakesOnlyAFileOfExactlyOneRecord) {
  using Result = DeviceSettings::ImportResult;
  const struct {
    size_t fileSize;
    Result result;
  } cases[] = {{0, Result::Refused},        {100, Result::Refused},
               {6407, Result::Refused},     {6408, Result::Imported},
               {6409, Result::Refused},     {7000, Result::Refused},
               {10 << 20, Result::Refused}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.fileSize);
    s->ResetAllModesToDefaults();
    s->SetCurrentMode(1);
    const Bytes before = RawOf(s->EditingModes[1]);
    const Bytes other = RawOf(s->EditingModes[0]);
    const Bytes file = Pattern(c.fileSize, 7);
    dialog.answer = data / "profile.gmp";
    testutil::WriteAll(dialog.answer, file.data(), file.size());
    EXPECT_EQ(s->ImportProfile(dialog), c.result);
    EXPECT_EQ(RawOf(s->EditingModes[1]), c.result == Result::Imported ? file : before);
    EXPECT_EQ(RawOf(s->EditingModes[0]), other) << "only the current mode is replaced";
  }
}

// A profile that cannot be written is told, and an old file of that name stays whole; any name
// the folder takes can be written.
TEST_F(ProfileFiles, ExportTellsWhetherTheFileWasWritten) {
  s->SetCurrentMode(2);
  s->EditingModes[2].fireSpeed = 77;
  const Bytes old = Pattern(sizeof(tagMODEINFO), 1);
  dialog.answer = data / "old.gmp";
  testutil::WriteAll(dialog.answer, old.data(), old.size());
  {
    testutil::FileSizeLimit limit(1024);  // the disk is full
    EXPECT_FALSE(s->ExportProfile(dialog));
  }
  EXPECT_EQ(testutil::ReadAll(dialog.answer), old);
  dialog.answer = data / "gone/new.gmp";  // the folder went away
  EXPECT_FALSE(s->ExportProfile(dialog));

  std::string longest;
  for (int i = 0; i < 81; ++i) longest += "\xE9\x85\x8D";  // 81 wide characters
  dialog.answer = data.Cfg() + "/" + longest + ".gmp";
  EXPECT_TRUE(s->ExportProfile(dialog));
  EXPECT_EQ(testutil::ReadAll(dialog.answer), RawOf(s->EditingModes[2]));
  dialog.confirm = false;
  EXPECT_TRUE(s->ExportProfile(dialog)) << "a cancelled dialog is nothing to tell";
}

TEST_F(ProfileFiles, ImportAndExportAskInTheProfileFolder) {
  s->SetCurrentMode(3);
  s->EditingModes[3].fireSpeed = 190;
  dialog.answer = data / "mine.gmp";
  s->ExportProfile(dialog);
  EXPECT_EQ(testutil::ReadAll(dialog.answer), RawOf(s->EditingModes[3]));

  s->EditingModes[3].fireSpeed = 2;
  s->ImportProfile(dialog);
  EXPECT_EQ(s->EditingModes[3].fireSpeed, 190);

  ASSERT_EQ(dialog.asked.size(), 2u);
  const auto& save = dialog.asked[0];
  const auto& open = dialog.asked[1];
  EXPECT_TRUE(save.save);
  EXPECT_EQ(save.flags, 0x0002u);
  EXPECT_FALSE(open.save);
  EXPECT_EQ(open.flags, 0x1004u);
  for (const auto& o : dialog.asked) {
    EXPECT_EQ(o.initialFolder, data.Cfg());
    EXPECT_EQ(o.defaultExtension, ".gmp");
    EXPECT_EQ(o.initialName, "*.gmp");
    EXPECT_EQ(o.filter, "Gaming Mouse Profile(*.gmp)|*.gmp|");
  }
}

TEST_F(ProfileFiles, CancelledOrImpossibleDialogsChangeNothing) {
  const Bytes before = RawOf(s->EditingModes[0]);
  dialog.confirm = false;
  s->ImportProfile(dialog);
  s->ExportProfile(dialog);
  EXPECT_EQ(dialog.asked.size(), 2u);
  EXPECT_EQ(testutil::FileNames(data.Cfg()).size(), 0u);

  // A file that vanished between the dialog and the read.
  dialog.confirm = true;
  dialog.answer = data / "gone.gmp";
  s->ImportProfile(dialog);
  EXPECT_EQ(RawOf(s->EditingModes[0]), before);

  // No data folder can be made: no dialog is shown at all.
  testutil::WriteAll(data / "blocker", "x", 1);
  sys::SetDataFolderOverride(data / "blocker");
  s->ImportProfile(dialog);
  s->ExportProfile(dialog);
  s->SaveDefaultProfiles();
  s->LoadDefaultProfiles();
  EXPECT_EQ(dialog.asked.size(), 3u);
  EXPECT_EQ(RawOf(s->EditingModes[0]), before);
}

TEST_F(ProfileFiles, FailedSaveLeavesTheOldDefaultFilesWhole) {
  EXPECT_TRUE(s->SaveDefaultProfiles());
  std::vector<Bytes> before;
  for (int m = 0; m < MODE_COUNT; ++m) before.push_back(testutil::ReadAll(DefaultFile(m)));
  for (int m = 0; m < MODE_COUNT; ++m) s->EditingModes[m].fireSpeed = 255;
  {
    testutil::FileSizeLimit limit(1024);
    EXPECT_FALSE(s->SaveDefaultProfiles());
  }
  for (int m = 0; m < MODE_COUNT; ++m) EXPECT_EQ(testutil::ReadAll(DefaultFile(m)), before[m]) << m;
  EXPECT_EQ(testutil::FileNames(data.DefaultCfg()).size(), 4u);  // no temporary files left
}

// One file that cannot be replaced makes the save fail, and the others are still written.
TEST_F(ProfileFiles, ADefaultFileThatCannotBeWrittenFailsTheSaveOfTheFour) {
  for (int m = 0; m < MODE_COUNT; ++m) s->EditingModes[m].fireSpeed = static_cast<uint8_t>(60 + m);
  std::filesystem::create_directories(DefaultFile(1) + "/in-the-way");
  EXPECT_FALSE(s->SaveDefaultProfiles());
  for (int m : {0, 2, 3}) EXPECT_EQ(testutil::ReadAll(DefaultFile(m)), RawOf(s->EditingModes[m])) << m;
  EXPECT_TRUE(std::filesystem::is_directory(DefaultFile(1)));

  // No folder for the default files at all.
  testutil::WriteAll(data / "blocker", "x", 1);
  sys::SetDataFolderOverride(data / "blocker");
  EXPECT_FALSE(s->SaveDefaultProfiles());
}

TEST(ReadFileToBuffer, LeavesTheBufferAloneWhenTheFileCannotBeRead) {
  testutil::TempFolder tmp;
  unsigned char buffer[8];
  std::memset(buffer, 0xAB, sizeof buffer);
  EXPECT_FALSE(ReadFileToBuffer(tmp / "missing", buffer, sizeof buffer));
  EXPECT_FALSE(ReadFileToBuffer(tmp.path(), buffer, sizeof buffer));  // a folder
  for (unsigned char b : buffer) EXPECT_EQ(b, 0xAB);
}

}  // namespace
