#include "pages/HookDll.h"

#include <elf.h>
#include <gtest/gtest.h>
#include <link.h>
#include <signal.h>
#include <stdlib.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <QObject>

#include <algorithm>
#include <cstring>
#include <filesystem>
#include <functional>
#include <optional>
#include <string>

#include "platform/sys/ProgramFolder.h"
#include "tests/platform/desktop/ChildProcess.h"
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

// Runs `body` in a child process: its exit code, -signal when a signal ended it, or nothing when
// it had not ended within the bound (it is killed then), so that neither a crash nor a hang in
// the loader takes the test with it.
std::optional<int> InChild(const std::function<int()>& body) {
  std::fflush(nullptr);
  const pid_t pid = ::fork();
  if (pid == 0) ::_exit(body());
  int status = 0;
  const bool ended = testutil::WaitFor(
      [&] { return ::waitpid(pid, &status, WNOHANG) == pid; }, 15000, 5);
  if (!ended) {
    ::kill(pid, SIGKILL);
    ::waitpid(pid, &status, 0);
    return std::nullopt;
  }
  return WIFEXITED(status) ? WEXITSTATUS(status) : -WTERMSIG(status);
}

// What a damaged program folder may hold as Zimhook.so: anything but a whole shared object of
// this machine is no library (said like a missing one), and nothing blocks or crashes the
// loading dialog.
TEST_F(HookDllTest, ADamagedLibraryIsAMissingOne) {
  const std::string whole = testutil::ReadText(KDZ_DECOY_HOOK);
  ElfW(Ehdr) header;
  ASSERT_GT(whole.size(), 2 * 4096u);
  std::memcpy(&header, whole.data(), sizeof header);
  size_t segmentsEnd = 0;  // where the last of the segments ends in the file
  for (int i = 0; i < header.e_phnum; ++i) {
    ElfW(Phdr) segment;
    std::memcpy(&segment, whole.data() + header.e_phoff + i * sizeof segment, sizeof segment);
    segmentsEnd = std::max<size_t>(segmentsEnd, segment.p_offset + segment.p_filesz);
  }
  ASSERT_LT(segmentsEnd, whole.size());
  std::string foreign = whole;
  const uint16_t otherMachine = header.e_machine == EM_X86_64 ? EM_AARCH64 : EM_X86_64;
  std::memcpy(foreign.data() + offsetof(ElfW(Ehdr), e_machine), &otherMachine, 2);

  const struct {
    const char* name;
    std::function<void(const std::string& file)> make;
    bool loads;
  } cases[] = {
      {"named pipe", [](const std::string& f) { ASSERT_EQ(::mkfifo(f.c_str(), 0600), 0); }, false},
      {"folder", [](const std::string& f) { fs::create_directory(f); }, false},
      {"empty", [](const std::string& f) { testutil::WriteAll(f, "", 0); }, false},
      {"text", [](const std::string& f) { testutil::WriteAll(f, "not a library", 13); }, false},
      {"header only",
       [&](const std::string& f) { testutil::WriteAll(f, whole.data(), sizeof header); }, false},
      {"cut after its first page",
       [&](const std::string& f) { testutil::WriteAll(f, whole.data(), 4096); }, false},
      {"cut one byte short",
       [&](const std::string& f) { testutil::WriteAll(f, whole.data(), segmentsEnd - 1); },
       false},
      {"for another machine",
       [&](const std::string& f) { testutil::WriteAll(f, foreign.data(), foreign.size()); },
       false},
      // What the loader does not read may go: what follows the segments (section headers).
      {"without what follows its segments",
       [&](const std::string& f) { testutil::WriteAll(f, whole.data(), segmentsEnd); }, true},
      {"a link to a whole library",
       [](const std::string& f) { fs::create_symlink(KDZ_DECOY_HOOK, f); }, true},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    testutil::TempFolder folder;
    const std::string file = folder / "Zimhook.so";
    c.make(file);
    const std::optional<int> result = InChild([&] {
      testing::internal::CaptureStderr();
      HookDll hook(folder.path());
      const std::string said = testing::internal::GetCapturedStderr();
      if (hook.Loaded()) return hook.installhook(&window_) == 7 ? 1 : 3;
      return said.find("Cannot load the keyboard-hook library " + file + ": ") == 0 ? 0 : 2;
    });
    EXPECT_EQ(result, std::optional<int>(c.loads ? 1 : 0)) << "(none: the load did not end)";
  }
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
