#include "sim/SimulatedMouseControl.h"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <time.h>
#include <unistd.h>

#include <chrono>
#include <condition_variable>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "platform/hid/HidBackend.h"
#include "platform/sys/WinError.h"
#include "sim/SimulatedHidBackend.h"
#include "sim/SimulatedMouseState.h"
#include "tests/platform/sys/FileTestUtil.h"

namespace sim {
namespace {

using Kind = ControlCommand::Kind;

TEST(ControlLine, ParsesTheFourCommandsWithDecimalOrHexNumbers) {
  const struct {
    const char* line;
    ControlCommand command;
  } cases[] = {
      {"keys 5", {Kind::Keys, 5}},
      {"keys 0x210", {Kind::Keys, 0x210}},
      {"keys 0XFFFF", {Kind::Keys, 0xFFFF}},
      {"  keys\t 0  ", {Kind::Keys, 0}},
      {"mode 2 5 1", {Kind::Mode, 0, 2, 5, 1}},
      {"mode 0x3 0x7 0x0", {Kind::Mode, 0, 3, 7, 0}},
      {"unplug", {Kind::Unplug}},
      {"plug", {Kind::Plug}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.line);
    ControlCommand parsed;
    std::string problem;
    ASSERT_TRUE(ParseControlLine(c.line, parsed, problem)) << problem;
    EXPECT_EQ(parsed, c.command);
  }
}

TEST(ControlLine, RefusesBadLinesWithAReason) {
  const char* bad[] = {
      "",          "keys",       "keys 65536", "keys -1",     "keys 0x",       "keys 1 2",
      "keys 1x",   "keys 0x1g",  "keys 99999999999999999999", "mode 4 0 0",    "mode 0 8 0",
      "mode 0 0 4", "mode 1 2",  "mode 1 2 3 4", "plug now",  "unplug 1",      "KEYS 1",
      "jump",      "keys +1",
  };
  for (const char* line : bad) {
    SCOPED_TRACE(line);
    ControlCommand parsed{Kind::Plug};
    std::string problem;
    EXPECT_FALSE(ParseControlLine(line, parsed, problem));
    EXPECT_FALSE(problem.empty());
    EXPECT_EQ(parsed, ControlCommand{Kind::Plug});
  }
}

// The backend with a reader on the mouse's vendor collection and a watcher, as the device layer
// has them, and the control pipe in a folder of the test's own.
class ControlPipe : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_EQ(backend_.Open(kMousePath, hid::HidAccess::ReadWrite, device_),
              winerr::ERROR_SUCCESS);
    watcher_ = backend_.Watch([this](hid::HidChange change, const std::string& path) {
      if (path != kMousePath) return;
      std::lock_guard<std::mutex> lock(mutex_);
      changes_.push_back(change);
      changed_.notify_all();
    });
  }

  std::string PipePath() const { return temp_ / "control"; }

  // One writer: opens the pipe, writes `text`, closes it.
  void Write(const std::string& text) {
    const int fd = ::open(PipePath().c_str(), O_WRONLY | O_CLOEXEC);
    ASSERT_GE(fd, 0);
    ASSERT_EQ(::write(fd, text.data(), text.size()), static_cast<ssize_t>(text.size()));
    ::close(fd);
  }

  // The next input report of the mouse, or empty after a second without one.
  std::vector<uint8_t> NextReport() {
    uint8_t buffer[8] = {};
    size_t n = 0;
    if (device_->Read(buffer, sizeof buffer, &n, 1000) != winerr::ERROR_SUCCESS) return {};
    return std::vector<uint8_t>(buffer, buffer + n);
  }

  bool WaitForChanges(size_t count) {
    std::unique_lock<std::mutex> lock(mutex_);
    return changed_.wait_for(lock, std::chrono::seconds(5),
                             [&] { return changes_.size() >= count; });
  }

  testutil::TempFolder temp_;
  SimulatedHidBackend backend_;
  std::unique_ptr<hid::HidDevice> device_;
  std::unique_ptr<hid::HidWatcher> watcher_;
  std::mutex mutex_;
  std::condition_variable changed_;
  std::vector<hid::HidChange> changes_;
};

TEST_F(ControlPipe, IsMadeForItsOwnerOnly) {
  SimulatedMouseControl control(PipePath(), backend_.Mouse());
  ASSERT_TRUE(control.Listening());
  struct stat st {};
  ASSERT_EQ(::stat(PipePath().c_str(), &st), 0);
  EXPECT_TRUE(S_ISFIFO(st.st_mode));
  EXPECT_EQ(st.st_mode & 0777, 0600u);
}

TEST_F(ControlPipe, KeysAndModeLinesSendTheReportsFromOneWriterAfterAnother) {
  SimulatedMouseStateFile state(temp_ / "mouse.state");
  state.Attach(backend_.Mouse());
  SimulatedMouseControl control(PipePath(), backend_.Mouse());
  ASSERT_TRUE(control.Listening());

  Write("keys 0x0201\n");
  EXPECT_EQ(NextReport(), (std::vector<uint8_t>{0xB3, 0x24, 0x01, 0x02, 0, 0, 0, 0}));

  Write("mode 2 5 1\r\nkeys 0\n");
  // The mode report: rate index | mode << 4, DPI level << 4.
  EXPECT_EQ(NextReport(), (std::vector<uint8_t>{0xB3, 0x20, 0, 0, 0x21, 0x50, 0, 0}));
  EXPECT_EQ(NextReport(), (std::vector<uint8_t>{0xB3, 0x24, 0, 0, 0, 0, 0, 0}));
  EXPECT_EQ(backend_.Mouse().CurrentMode(), 2);
  EXPECT_EQ(backend_.Mouse().DpiLevel(2), 5);
  EXPECT_EQ(backend_.Mouse().RateIndex(2), 1);
  EXPECT_EQ(backend_.Mouse().DpiLevel(0), 1);  // the other modes are untouched

  // Like any change, it is kept in the state file.
  SimulatedMouse::PersistentState saved;
  std::string problem;
  ASSERT_TRUE(DecodeMouseState(testutil::ReadAll(temp_ / "mouse.state"), saved, problem))
      << problem;
  EXPECT_EQ(saved.currentMode, 2);
  EXPECT_EQ(saved.dpiLevel[2], 5);
  EXPECT_EQ(saved.rateIndex[2], 1);

  // A last line without its line end counts once its writer has gone.
  Write("keys 4");
  EXPECT_EQ(NextReport(), (std::vector<uint8_t>{0xB3, 0x24, 4, 0, 0, 0, 0, 0}));
}

TEST_F(ControlPipe, UnplugAndPlugReachTheWatcher) {
  SimulatedMouseControl control(PipePath(), backend_.Mouse());
  Write("unplug\n");
  ASSERT_TRUE(WaitForChanges(1));
  EXPECT_FALSE(backend_.Mouse().IsConnected());
  Write("plug\n");
  ASSERT_TRUE(WaitForChanges(2));
  EXPECT_TRUE(backend_.Mouse().IsConnected());
  std::lock_guard<std::mutex> lock(mutex_);
  EXPECT_EQ(changes_, (std::vector<hid::HidChange>{hid::HidChange::Removal,
                                                    hid::HidChange::Arrival}));
}

TEST_F(ControlPipe, ABadLineIsIgnoredWithALineOnStandardError) {
  SimulatedMouseControl control(PipePath(), backend_.Mouse());
  testing::internal::CaptureStderr();
  Write("jump 3\nmode 9 0 0\n" + std::string(1000, 'k') + "\n\nkeys 8\n");
  const std::vector<uint8_t> report = NextReport();
  const std::string said = testing::internal::GetCapturedStderr();
  EXPECT_EQ(report, (std::vector<uint8_t>{0xB3, 0x24, 8, 0, 0, 0, 0, 0}));
  EXPECT_NE(said.find("\"jump 3\""), std::string::npos) << said;
  EXPECT_NE(said.find("\"mode 9 0 0\""), std::string::npos) << said;
  EXPECT_NE(said.find("too long"), std::string::npos) << said;
  EXPECT_EQ(backend_.Mouse().CurrentMode(), 0);
}

TEST_F(ControlPipe, SomethingElseAtThePathIsLeftAloneAndNotRead) {
  const std::string path = temp_.Write("control", "keep me");
  testing::internal::CaptureStderr();
  SimulatedMouseControl control(path, backend_.Mouse());
  const std::string said = testing::internal::GetCapturedStderr();
  EXPECT_FALSE(control.Listening());
  EXPECT_NE(said.find(path), std::string::npos);
  const std::vector<unsigned char> bytes = testutil::ReadAll(path);
  EXPECT_EQ(std::string(bytes.begin(), bytes.end()), "keep me");

  SimulatedMouseControl noFolder(temp_ / "missing/control", backend_.Mouse());
  EXPECT_FALSE(noFolder.Listening());
}

double ProcessCpuSeconds() {
  timespec t{};
  ::clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &t);
  return static_cast<double>(t.tv_sec) + static_cast<double>(t.tv_nsec) / 1e9;
}

// The reader waits without using the processor, between writers as before the first, and ends
// at once on destruction, also while a writer holds the pipe open.
TEST_F(ControlPipe, WaitsWithoutSpinningAndStopsPromptly) {
  auto control = std::make_unique<SimulatedMouseControl>(PipePath(), backend_.Mouse());
  Write("keys 1\n");
  ASSERT_EQ(NextReport().size(), 8u);
  const double before = ProcessCpuSeconds();
  std::this_thread::sleep_for(std::chrono::milliseconds(200));
  EXPECT_LT(ProcessCpuSeconds() - before, 0.05);

  const int writer = ::open(PipePath().c_str(), O_WRONLY | O_CLOEXEC);
  ASSERT_GE(writer, 0);
  const auto start = std::chrono::steady_clock::now();
  control.reset();
  EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(1));
  ::close(writer);
}

}  // namespace
}  // namespace sim
