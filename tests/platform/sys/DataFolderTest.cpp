#include "platform/sys/DataFolder.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <cstdlib>
#include <optional>
#include <string>

#include "tests/platform/sys/FileTestUtil.h"

namespace {

// Sets or clears an environment variable for the life of the object.
class ScopedEnv {
 public:
  ScopedEnv(const char* name, const char* value) : name_(name) {
    if (const char* old = std::getenv(name)) old_ = old;
    if (value != nullptr) {
      setenv(name, value, 1);
    } else {
      unsetenv(name);
    }
  }
  ~ScopedEnv() {
    if (old_) {
      setenv(name_, old_->c_str(), 1);
    } else {
      unsetenv(name_);
    }
  }

 private:
  const char* name_;
  std::optional<std::string> old_;
};

bool IsDirectory(const std::string& path) {
  struct stat st {};
  return stat(path.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

TEST(DataFolder, FollowsXdgDataHomeThenHome) {
  struct Case {
    const char* xdg;  // null = unset
    const char* home;
    const char* expected;
  } cases[] = {
      {"/data/me", "/home/me", "/data/me"},
      {"/data/me/", "/home/me", "/data/me"},
      {nullptr, "/home/me", "/home/me/.local/share"},
      {"", "/home/me", "/home/me/.local/share"},
      {"relative/data", "/home/me/", "/home/me/.local/share"},  // a relative value is ignored
  };
  for (const Case& c : cases) {
    ScopedEnv xdg("XDG_DATA_HOME", c.xdg);
    ScopedEnv home("HOME", c.home);
    EXPECT_EQ(sys::DataFolder(), c.expected) << (c.xdg ? c.xdg : "(unset)");
  }
}

TEST(DataFolder, OverrideWinsUntilCleared) {
  ScopedEnv xdg("XDG_DATA_HOME", "/data/me");
  sys::SetDataFolderOverride("/tmp/test-data/");
  EXPECT_EQ(sys::DataFolder(), "/tmp/test-data");
  sys::SetDataFolderOverride({});
  EXPECT_EQ(sys::DataFolder(), "/data/me");
}

TEST(DataSubfolder, CreatesEveryMissingLevel) {
  testutil::TempFolder tmp;
  const std::string base = tmp / "not/yet/there";
  ScopedEnv xdg("XDG_DATA_HOME", base.c_str());
  std::string out;
  ASSERT_TRUE(sys::DataSubfolder(sys::kDefaultCfgSubfolder, out));
  EXPECT_EQ(out, base + "/Kavrin-Velro-4417/DefaultCfg");
  EXPECT_TRUE(IsDirectory(out));
  // A second call finds the folder and keeps its contents.
  testutil::WriteAll(out + "/keep", "x", 1);
  ASSERT_TRUE(sys::DataSubfolder(sys::kDefaultCfgSubfolder, out));
  EXPECT_EQ(testutil::ReadAll(out + "/keep").size(), 1u);
  ASSERT_TRUE(sys::DataSubfolder(sys::kProfileSubfolder, out));
  EXPECT_EQ(out, base + "/Kavrin-Velro-4417/Cfg");
}

TEST(DataSubfolder, FailsWithoutTouchingTheResultWhenALevelIsAFile) {
  testutil::TempFolder tmp;
  testutil::WriteAll(tmp / "Kavrin-Velro-4417", "x", 1);
  sys::SetDataFolderOverride(tmp.path());
  std::string out = "unchanged";
  EXPECT_FALSE(sys::DataSubfolder(sys::kProfileSubfolder, out));
  EXPECT_EQ(out, "unchanged");
  sys::SetDataFolderOverride({});
}

}  // namespace
