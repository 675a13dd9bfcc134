#include "platform/sys/AtomicFile.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <algorithm>
#include <filesystem>
#include <string>
#include <vector>

#include "platform/sys/WinError.h"
#include "tests/platform/sys/FileTestUtil.h"

namespace {

using Bytes = std::vector<unsigned char>;

Bytes Pattern(size_t n, unsigned char seed) {
  Bytes b(n);
  for (size_t i = 0; i < n; ++i) b[i] = static_cast<unsigned char>(seed + i * 7);
  return b;
}

mode_t ModeOf(const std::string& path) {
  struct stat st {};
  stat(path.c_str(), &st);
  return st.st_mode & 07777;
}

TEST(AtomicFile, CreatesAndReplacesWithExactlyTheNewBytes) {
  testutil::TempFolder tmp;
  const std::string path = tmp / "sequence.dat";
  const Bytes longer = Pattern(37604, 1);
  const Bytes shorter = Pattern(6408, 9);
  ASSERT_EQ(sys::WriteFileAtomically(path, longer.data(), longer.size()), winerr::ERROR_SUCCESS);
  EXPECT_EQ(testutil::ReadAll(path), longer);
  // Replacing a longer file leaves no tail of the old one.
  ASSERT_EQ(sys::WriteFileAtomically(path, shorter.data(), shorter.size()), winerr::ERROR_SUCCESS);
  EXPECT_EQ(testutil::ReadAll(path), shorter);
  ASSERT_EQ(sys::WriteFileAtomically(path, nullptr, 0), winerr::ERROR_SUCCESS);
  EXPECT_TRUE(testutil::ReadAll(path).empty());
  EXPECT_EQ(testutil::FileNames(tmp.path()), std::vector<std::string>{"sequence.dat"});
}

TEST(AtomicFile, NewFileFollowsUmaskReplacedFileKeepsItsMode) {
  testutil::TempFolder tmp;
  const mode_t oldMask = umask(027);
  const Bytes data = Pattern(100, 3);
  ASSERT_EQ(sys::WriteFileAtomically(tmp / "new", data.data(), data.size()), 0);
  EXPECT_EQ(ModeOf(tmp / "new"), 0640u);
  testutil::WriteAll(tmp / "old", "x", 1);
  chmod((tmp / "old").c_str(), 0604);
  ASSERT_EQ(sys::WriteFileAtomically(tmp / "old", data.data(), data.size()), 0);
  EXPECT_EQ(ModeOf(tmp / "old"), 0604u);
  umask(oldMask);
}

// Every failure leaves the old file whole and no temporary file behind.
TEST(AtomicFile, FailedWriteLeavesTheOldFileWhole) {
  testutil::TempFolder tmp;
  const Bytes old = Pattern(6408, 5);
  const Bytes fresh = Pattern(37604, 11);

  {  // The disk fills up in the middle of the new contents.
    const std::string path = tmp / "default0";
    testutil::WriteAll(path, old.data(), old.size());
    int result;
    {
      testutil::FileSizeLimit limit(4096);
      result = sys::WriteFileAtomically(path, fresh.data(), fresh.size());
    }
    EXPECT_NE(result, winerr::ERROR_SUCCESS);
    EXPECT_EQ(testutil::ReadAll(path), old);
  }
  {  // The target cannot be replaced (a folder stands in its place).
    const std::string path = tmp / "default1";
    std::filesystem::create_directory(path);
    testutil::WriteAll(path + "/inside", old.data(), old.size());
    EXPECT_NE(sys::WriteFileAtomically(path, fresh.data(), fresh.size()), winerr::ERROR_SUCCESS);
    EXPECT_EQ(testutil::ReadAll(path + "/inside"), old);
  }
  {  // The folder does not exist.
    EXPECT_EQ(sys::WriteFileAtomically(tmp / "missing/default2", fresh.data(), fresh.size()),
              winerr::ERROR_FILE_NOT_FOUND);
  }
  auto names = testutil::FileNames(tmp.path());
  std::sort(names.begin(), names.end());
  EXPECT_EQ(names, (std::vector<std::string>{"default0", "default1"}));
}

}  // namespace

namespace {

// What a write cut short leaves: only regular files named NAME.tmp-XXXXXX (six letters or
// digits) go; other names, folders and symbolic links stay, and no link is followed.
TEST(LeftoverTemporaryFiles, OnlyRegularFilesOfTheWritersPatternAreRemoved) {
  namespace fs = std::filesystem;
  testutil::TempFolder tmp;
  const std::string folder = tmp / "DefaultCfg";
  const std::string outside = tmp / "outside";
  fs::create_directories(folder);
  fs::create_directories(outside);
  const struct {
    const char* name;
    bool removed;
  } files[] = {
      {"default0.tmp-Ab12Cd", true},  {"x.gmp.tmp-000000", true}, {"default0", false},
      {".tmp-Ab12Cd", false},         {"a.tmp-Ab12C", false},     {"a.tmp-Ab12Cde", false},
      {"a.tmp-Ab-2Cd", false},        {"a.TMP-Ab12Cd", false},    {"a.tmp-Ab12Cd.gmp", false},
  };
  for (const auto& f : files) tmp.Write("DefaultCfg/" + std::string(f.name), "x");
  // A folder and links with the pattern's names; the link's target is a regular file.
  fs::create_directory(folder + "/dir.tmp-Ab12Cd");
  tmp.Write("outside/target.tmp-Ab12Cd", "keep");
  fs::create_symlink(outside + "/target.tmp-Ab12Cd", folder + "/link.tmp-Ab12Cd");
  // A linked folder is not entered.
  fs::create_symlink(outside, tmp / "linked");

  EXPECT_EQ(sys::RemoveLeftoverTemporaryFiles(tmp / "linked"), 0);
  EXPECT_TRUE(fs::exists(outside + "/target.tmp-Ab12Cd"));
  EXPECT_EQ(sys::RemoveLeftoverTemporaryFiles(folder), 2);
  for (const auto& f : files) EXPECT_EQ(fs::exists(folder + "/" + f.name), !f.removed) << f.name;
  EXPECT_TRUE(fs::is_directory(folder + "/dir.tmp-Ab12Cd"));
  EXPECT_TRUE(fs::is_symlink(folder + "/link.tmp-Ab12Cd"));
  EXPECT_EQ(testutil::ReadAll(outside + "/target.tmp-Ab12Cd"), Bytes({'k', 'e', 'e', 'p'}));
  EXPECT_EQ(sys::RemoveLeftoverTemporaryFiles(tmp / "missing"), 0);
}

}  // namespace
