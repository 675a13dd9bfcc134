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
