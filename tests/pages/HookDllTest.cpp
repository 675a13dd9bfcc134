#include "pages/HookDll.h"

#include <gtest/gtest.h>
#include <stdlib.h>
#include <unistd.h>

#include <QObject>

#include <filesystem>
#include <string>

#include "platform/sys/ProgramFolder.h"
#include "tests/platform/sys/FileTestUtil.h"

namespace {

namespace fs = std::filesystem;

// Runs the test in a working directory of its own that holds a decoy Zimhook.so, with no X
// display (so that the real library's installhook gives 0 and the decoy's 7).
class HookDllTest : public ::testing::Test {
 protected:
  void SetUp() override {
    previous_ = fs::current_path();
    fs::current_path(cwd_.path());
    Place(cwd_.path(), KDZ_DECOY_HOOK);
    Place(cwd_.path() + "/relative", KDZ_DECOY_HOOK);
    ::unsetenv("DISPLAY");
    ::unsetenv("WAYLAND_DISPLAY");
  }
  void TearDown() override { fs::current_path(previous_); }

  // Copies a library into `folder` as Zimhook.so.
  static void Place(const std::string& folder, const char* library) {
    fs::create_directories(folder);
    fs::copy_file(library, folder + "/Zimhook.so", fs::copy_options::overwrite_existing);
  }

  fs::path previous_;
  testutil::TempFolder cwd_;
  testutil::TempFolder other_;
  QObject window_;
};

TEST_F(HookDllTest, LoadsTheProgramFoldersLibraryNeverTheWorkingDirectorys) {
  HookDll hook;
  EXPECT_EQ(hook.Path(), sys::ProgramFolder() + "/Zimhook.so");
  ASSERT_TRUE(hook.Loaded());
  EXPECT_EQ(hook.installhook(&window_), 0);  // the real library, with no display
  hook.removehook();
  EXPECT_EQ(hook.Free(), 1);
  EXPECT_EQ(hook.Free(), 0);

  // Neither an empty program folder nor a relative one falls back on the working directory.
  for (const std::string& folder : {other_.path(), std::string("relative"), std::string()}) {
    testing::internal::CaptureStderr();
    HookDll missing(folder);
    const std::string said = testing::internal::GetCapturedStderr();
    EXPECT_FALSE(missing.Loaded()) << folder;
    EXPECT_EQ(missing.installhook(&window_), 0) << folder;
    EXPECT_FALSE(said.empty()) << folder;
  }
}

TEST_F(HookDllTest, NoLibraryIsNeverCalledAndSaidOnce) {
  testing::internal::CaptureStderr();
  HookDll hook(other_.path());
  const std::string said = testing::internal::GetCapturedStderr();
  EXPECT_FALSE(hook.Loaded());
  EXPECT_NE(said.find(other_.path() + "/Zimhook.so"), std::string::npos) << said;
  EXPECT_NE(said.find("No such file"), std::string::npos) << said;  // the loader's message

  EXPECT_EQ(hook.installhook(&window_), 0);
  hook.SetHookStatus(1);
  hook.removehook();
  EXPECT_EQ(hook.Load(), 1);
  EXPECT_EQ(hook.Free(), 0);

  testing::internal::CaptureStderr();
  HookDll again(other_.path());
  EXPECT_EQ(testing::internal::GetCapturedStderr(), "");
}

TEST_F(HookDllTest, MissingExportIsNeverCalled) {
  Place(other_.path(), KDZ_DECOY_HOOK_PARTIAL);
  testing::internal::CaptureStderr();
  HookDll hook(other_.path());
  const std::string said = testing::internal::GetCapturedStderr();
  ASSERT_TRUE(hook.Loaded());
  EXPECT_NE(said.find("\"removehook\""), std::string::npos) << said;
  EXPECT_NE(said.find(other_.path() + "/Zimhook.so"), std::string::npos) << said;
  EXPECT_EQ(said.find("installhook"), std::string::npos) << said;

  EXPECT_EQ(hook.installhook(&window_), 7);
  hook.SetHookStatus(1);
  hook.removehook();  // missing: does nothing
  EXPECT_EQ(hook.Free(), 1);
  hook.removehook();
  EXPECT_EQ(hook.installhook(&window_), 0);  // freed: nothing is called
}

// A program folder longer than any fixed path buffer still loads its own library.
TEST_F(HookDllTest, LongFolderPath) {
  std::string folder = other_.path();
  while (folder.size() < 600) folder += "/a-folder-with-a-long-name";
  Place(folder, KDZ_DECOY_HOOK);
  HookDll hook(folder);
  ASSERT_TRUE(hook.Loaded());
  EXPECT_EQ(hook.installhook(&window_), 7);
  // A folder cut at 260 units would hold no library at all.
  EXPECT_FALSE(HookDll(folder.substr(0, 260)).Loaded());
}

TEST_F(HookDllTest, EachInstanceHoldsItsOwnReference) {
  Place(other_.path(), KDZ_DECOY_HOOK);
  HookDll first(other_.path());
  HookDll second(other_.path());
  EXPECT_EQ(first.Free(), 1);
  EXPECT_EQ(second.installhook(&window_), 7);  // still loaded for the second owner
}

// Under Wayland the hook sees only what X11 clients see: said once, when a hook is installed.
TEST_F(HookDllTest, SaysOnceWhatTheHookSeesUnderWayland) {
  Place(other_.path(), KDZ_DECOY_HOOK);
  HookDll hook(other_.path());
  testing::internal::CaptureStderr();
  EXPECT_EQ(hook.installhook(&window_), 7);
  EXPECT_EQ(testing::internal::GetCapturedStderr(), "");

  ::setenv("WAYLAND_DISPLAY", "wayland-0", 1);
  testing::internal::CaptureStderr();
  EXPECT_EQ(hook.installhook(&window_), 7);
  EXPECT_EQ(HookDll(other_.path()).installhook(&window_), 7);
  EXPECT_EQ(testing::internal::GetCapturedStderr(),
            "Under Wayland the keyboard hook sees keys only while an X11 or XWayland window has "
            "the focus.\n");
}

}  // namespace
