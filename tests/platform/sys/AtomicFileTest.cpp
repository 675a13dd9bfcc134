#include "platform/sys/AtomicFile.h"

#include <gtest/gtest.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <climits>
#include <csignal>
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

// The temporary file must fit wherever the final file fits: names up to the folder's limit of
// 255 bytes, and a path up to PATH_MAX.
TEST(AtomicFile, WritesEveryNameAndPathTheFolderAccepts) {
  namespace fs = std::filesystem;
  const auto cjk = [](int n) {
    std::string s;
    for (int i = 0; i < n; ++i) s += "\xE9\x85\x8D";  // a character of three bytes
    return s;
  };
  testutil::TempFolder tmp;
  // Folders nested until "/a" in them makes a path of PATH_MAX - 1 bytes.
  const size_t deepLength = PATH_MAX - 3;
  std::string deep = tmp.path();
  while (deepLength - deep.size() > 250) deep += "/" + std::string(200, 'd');
  deep += "/" + std::string(deepLength - deep.size() - 1, 'e');
  ASSERT_TRUE(fs::create_directories(deep));
  const struct {
    const char* what;
    std::string folder;
    std::string name;
  } cases[] = {
      {"81 wide characters and .gmp (247 bytes)", tmp.path(), cjk(81) + ".gmp"},
      {"85 wide characters (255 bytes)", tmp.path(), cjk(85)},
      {"255 single bytes", tmp.path(), std::string(255, 'n')},
      {"245 bytes", tmp.path(), std::string(241, 'n') + ".gmp"},
      {"a path of PATH_MAX - 1 bytes", deep, "a"},
  };
  const Bytes data = Pattern(6408, 13);
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    const std::string path = c.folder + "/" + c.name;
    ASSERT_LT(path.size(), size_t{PATH_MAX});
    std::error_code ec;
    for (const auto& entry : fs::directory_iterator(c.folder, ec))
      if (entry.is_regular_file()) fs::remove(entry.path(), ec);
    EXPECT_EQ(sys::WriteFileAtomically(path, data.data(), data.size()), winerr::ERROR_SUCCESS);
    EXPECT_EQ(testutil::ReadAll(path), data);
    std::vector<std::string> files;
    for (const auto& entry : fs::directory_iterator(c.folder, ec))
      if (entry.is_regular_file()) files.push_back(entry.path().filename().string());
    EXPECT_EQ(files, std::vector<std::string>{c.name});
  }
}

// A process killed part-way through a write (here by exceeding its file size limit) leaves the
// old file whole and a temporary file that the clean-up recognises and removes.
TEST(AtomicFile, AWriteKilledPartWayLeavesWhatTheCleanUpRemoves) {
  testutil::TempFolder tmp;
  const std::string path = tmp / "Kavrin-DireZerud.desktop";
  const Bytes old = Pattern(100, 2);
  testutil::WriteAll(path, old.data(), old.size());
  const pid_t child = fork();
  ASSERT_GE(child, 0);
  if (child == 0) {
    rlimit limit{1024, 1024};
    setrlimit(RLIMIT_FSIZE, &limit);
    std::signal(SIGXFSZ, SIG_DFL);
    const Bytes fresh = Pattern(6408, 4);
    sys::WriteFileAtomically(path, fresh.data(), fresh.size());
    _exit(0);
  }
  int status = 0;
  ASSERT_EQ(waitpid(child, &status, 0), child);
  ASSERT_TRUE(WIFSIGNALED(status)) << "the write was to be cut short";
  EXPECT_EQ(testutil::ReadAll(path), old);
  std::vector<std::string> names = testutil::FileNames(tmp.path());
  ASSERT_EQ(names.size(), 2u);
  std::sort(names.begin(), names.end());
  EXPECT_TRUE(sys::IsTemporaryFileName(names[0])) << names[0];
  EXPECT_EQ(sys::RemoveLeftoverTemporaryFiles(tmp.path()), 1);
  EXPECT_EQ(testutil::FileNames(tmp.path()), std::vector<std::string>{"Kavrin-DireZerud.desktop"});
}

}  // namespace

namespace {

// What a write cut short leaves: only regular files named .Kavrin-DireZerud.tmp-XXXXXX (six
// letters or digits) go; other names (other programs' temporary files among them), folders and
// symbolic links stay, and no link is followed.
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
      {".Kavrin-DireZerud.tmp-Ab12Cd", true},
      {".Kavrin-DireZerud.tmp-000000", true},
      {"default0", false},
      {"other.desktop.tmp-Ab12Cd", false},
      {".Kavrin-DireZerud.tmp-Ab12C", false},
      {".Kavrin-DireZerud.tmp-Ab12Cde", false},
      {".Kavrin-DireZerud.tmp-Ab-2Cd", false},
      {".kavrin-direzerud.tmp-Ab12Cd", false},
      {"x.Kavrin-DireZerud.tmp-Ab12Cd", false},
      {".Kavrin-DireZerud.tmp-Ab12Cd.gmp", false},
  };
  for (const auto& f : files) tmp.Write("DefaultCfg/" + std::string(f.name), "x");
  // A folder and links with the pattern's names; the link's target is a regular file.
  fs::create_directory(folder + "/.Kavrin-DireZerud.tmp-dir000");
  tmp.Write("outside/.Kavrin-DireZerud.tmp-target", "keep");
  fs::create_symlink(outside + "/.Kavrin-DireZerud.tmp-target",
                     folder + "/.Kavrin-DireZerud.tmp-link00");
  // A linked folder is not entered.
  fs::create_symlink(outside, tmp / "linked");

  EXPECT_EQ(sys::RemoveLeftoverTemporaryFiles(tmp / "linked"), 0);
  EXPECT_TRUE(fs::exists(outside + "/.Kavrin-DireZerud.tmp-target"));
  EXPECT_EQ(sys::RemoveLeftoverTemporaryFiles(folder), 2);
  for (const auto& f : files) EXPECT_EQ(fs::exists(folder + "/" + f.name), !f.removed) << f.name;
  EXPECT_TRUE(fs::is_directory(folder + "/.Kavrin-DireZerud.tmp-dir000"));
  EXPECT_TRUE(fs::is_symlink(folder + "/.Kavrin-DireZerud.tmp-link00"));
  EXPECT_EQ(testutil::ReadAll(outside + "/.Kavrin-DireZerud.tmp-target"),
            Bytes({'k', 'e', 'e', 'p'}));
  EXPECT_EQ(sys::RemoveLeftoverTemporaryFiles(tmp / "missing"), 0);
}

}  // namespace
