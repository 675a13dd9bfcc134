#include <fcntl.h>
#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <optional>
#include <string>

#include "platform/hid/HidBackend.h"
#include "sim/SimulatedHidBackend.h"
#include "sim/SimulatedMouseState.h"
#include "tests/platform/sys/FileTestUtil.h"

namespace sim {
namespace {

using testutil::ScopedEnv;

TEST(SimulatedBackendInstall, RequestedBySetNonEmptyNonZeroValue) {
  const struct {
    const char* value;
    bool requested;
  } cases[] = {{nullptr, false}, {"", false},   {"0", false},
               {"1", true},      {"yes", true}, {"00", true}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.value ? c.value : "(unset)");
    ScopedEnv env("KDZ_SIMULATED_MOUSE", c.value);
    EXPECT_EQ(SimulatedMouseRequested(), c.requested);
  }
}

TEST(SimulatedBackendInstall, DeviceIdIsHexadecimalWithTheSkinsIdAsDefault) {
  const struct {
    const char* value;
    uint32_t id;
  } cases[] = {{nullptr, kDefaultDeviceId},
               {"", kDefaultDeviceId},
               {"12345678", 0x12345678},
               {"0xdeadBEEF", 0xDEADBEEF},
               {"7", 7},
               {"0x", kDefaultDeviceId},
               {"123456789", kDefaultDeviceId},
               {"12G4", kDefaultDeviceId},
               {"-1", kDefaultDeviceId}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.value ? c.value : "(unset)");
    ScopedEnv env("KDZ_SIMULATED_DEVICE_ID", c.value);
    EXPECT_EQ(SimulatedDeviceIdFromEnvironment(), c.id);
  }
}

// A new mouse state, other than an erased mouse's.
SimulatedMouse::PersistentState NewMouse() {
  SimulatedMouse::PersistentState state = SimulatedMouse().GetPersistentState();
  state.flash[5][130] = 0x12;
  state.rateIndex = {1, 1, 1, 1};
  state.currentMode = 2;
  return state;
}

bool Same(const SimulatedMouse::PersistentState& a, const SimulatedMouse::PersistentState& b) {
  return a.flash == b.flash && a.dpiLevel == b.dpiLevel && a.rateIndex == b.rateIndex &&
         a.currentMode == b.currentMode;
}

// The install happens once per process, so each case installs in a child process of its own
// (run before the other tests of this program, as death tests are). Without a usable state
// file the mouse starts as the new state it is given, and nothing is saved until it changes.
TEST(SimulatedBackendInstallDeathTest, WithoutAUsableStateFileTheMouseStartsNew) {
  testutil::TempFolder temp;
  const std::string missing = temp / "missing.state";
  const std::string unusable = temp / "unusable.state";
  const std::vector<uint8_t> garbage(kStateFileSize, 0x42);
  testutil::WriteAll(unusable, garbage.data(), garbage.size());
  const struct {
    const char* what;
    const char* statePath;
  } cases[] = {{"no state file named", nullptr},
               {"a missing state file", missing.c_str()},
               {"an unusable state file", unusable.c_str()}};
  for (const auto& c : cases) {
    EXPECT_EXIT(
        {
          ScopedEnv mouse("KDZ_SIMULATED_MOUSE", "1");
          ScopedEnv state("KDZ_SIMULATED_MOUSE_STATE", c.statePath);
          const bool installed = InstallSimulatedBackendIfRequested(NewMouse());
          const bool asGiven =
              installed && Same(InstalledSimulatedBackend()->Mouse().GetPersistentState(), NewMouse());
          std::_Exit(asGiven && !std::filesystem::exists(missing) ? 0 : 1);
        },
        testing::ExitedWithCode(0), "")
        << c.what;
  }
  EXPECT_EQ(testutil::ReadAll(unusable), garbage) << "the unusable file is left as it is";
}

// The one install of this process, with a state file from an earlier run.
TEST(SimulatedBackendInstall, InstallsOneProcessWideBackendThatKeepsItsState) {
  testutil::TempFolder temp;
  const std::string statePath = temp / "mouse.state";
  SimulatedMouse::PersistentState earlier = SimulatedMouse().GetPersistentState();
  earlier.dpiLevel = {2, 2, 2, 2};
  earlier.flash[4][17] = 0x00;
  const std::vector<uint8_t> bytes = EncodeMouseState(earlier);
  testutil::WriteAll(statePath, bytes.data(), bytes.size());

  ScopedEnv mouse("KDZ_SIMULATED_MOUSE", "1");
  ScopedEnv id("KDZ_SIMULATED_DEVICE_ID", "4417B002");
  ScopedEnv state("KDZ_SIMULATED_MOUSE_STATE", statePath.c_str());
  const std::string controlPath = temp / "control";
  ScopedEnv control("KDZ_SIMULATED_MOUSE_CONTROL", controlPath.c_str());
  ASSERT_TRUE(InstallSimulatedBackendIfRequested(NewMouse()));
  SimulatedHidBackend* installed = InstalledSimulatedBackend();
  ASSERT_NE(installed, nullptr);
  EXPECT_EQ(&hid::DefaultBackend(), installed);
  EXPECT_EQ(installed->Mouse().DeviceId(), 0x4417B002u);
  EXPECT_TRUE(Same(installed->Mouse().GetPersistentState(), earlier)) << "the file's state";
  ASSERT_TRUE(installed->Mouse().SetCurrentMode(3));
  SimulatedMouse::PersistentState saved;
  std::string problem;
  ASSERT_TRUE(DecodeMouseState(testutil::ReadAll(statePath), saved, problem)) << problem;
  EXPECT_EQ(saved.currentMode, 3);
  EXPECT_EQ(saved.dpiLevel[1], 2);
  // The control pipe drives the installed mouse.
  const int pipe = ::open(controlPath.c_str(), O_WRONLY | O_CLOEXEC);
  ASSERT_GE(pipe, 0);
  const std::string line = "mode 1 6 0\n";
  ASSERT_EQ(::write(pipe, line.data(), line.size()), static_cast<ssize_t>(line.size()));
  ::close(pipe);
  for (int i = 0; i < 4000 && installed->Mouse().CurrentMode() != 1; ++i) ::usleep(5000);
  EXPECT_EQ(installed->Mouse().CurrentMode(), 1);
  EXPECT_EQ(installed->Mouse().DpiLevel(1), 6);
  // The state file outlives the test's folder; later changes only fail to save.
  installed->Mouse().SetStateObserver(nullptr);
  EXPECT_TRUE(InstallSimulatedBackendIfRequested(NewMouse()));
  EXPECT_EQ(InstalledSimulatedBackend(), installed);
  hid::SetDefaultBackend(nullptr);
}

}  // namespace
}  // namespace sim
