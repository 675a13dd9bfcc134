#include "sim/SimulatedMouseState.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <functional>
#include <string>
#include <vector>

#include "tests/platform/sys/FileTestUtil.h"

namespace sim {
namespace {

using State = SimulatedMouse::PersistentState;

Report Cmd(std::initializer_list<uint8_t> bytes1to7) {
  Report r{};
  r[0] = kReportId;
  std::copy(bytes1to7.begin(), bytes1to7.end(), r.begin() + 1);
  return r;
}

State Sample() {
  State s;
  for (int k = 0; k < kFlashBlockCount; ++k)
    for (size_t i = 0; i < kFlashBlockSize; ++i) s.flash[k][i] = static_cast<uint8_t>(k * 40 + i);
  s.dpiLevel = {7, 0, 3, 5};
  s.rateIndex = {0, 1, 2, 3};
  s.currentMode = 3;
  return s;
}

bool Same(const State& a, const State& b) {
  return a.flash == b.flash && a.dpiLevel == b.dpiLevel && a.rateIndex == b.rateIndex &&
         a.currentMode == b.currentMode;
}

bool Exists(const std::string& path) {
  struct stat st {};
  return ::stat(path.c_str(), &st) == 0;
}

TEST(SimulatedMouseState, BytesRoundTripAndBadOnesAreRefused) {
  const std::vector<uint8_t> good = EncodeMouseState(Sample());
  ASSERT_EQ(good.size(), kStateFileSize);
  State read;
  std::string problem;
  ASSERT_TRUE(DecodeMouseState(good, read, problem));
  EXPECT_TRUE(Same(read, Sample()));

  const struct {
    const char* what;
    std::function<void(std::vector<uint8_t>&)> spoil;
  } cases[] = {
      {"short", [](std::vector<uint8_t>& b) { b.pop_back(); }},
      {"long", [](std::vector<uint8_t>& b) { b.push_back(0); }},
      {"empty", [](std::vector<uint8_t>& b) { b.clear(); }},
      {"magic", [](std::vector<uint8_t>& b) { b[0] = 'k'; }},
      {"version", [](std::vector<uint8_t>& b) { b[8] = 2; }},
      {"DPI level 8", [](std::vector<uint8_t>& b) { b[kStateFileSize - 9] = 8; }},
      {"rate index 4", [](std::vector<uint8_t>& b) { b[kStateFileSize - 2] = 4; }},
      {"mode 4", [](std::vector<uint8_t>& b) { b[kStateFileSize - 1] = 4; }},
  };
  for (const auto& c : cases) {
    std::vector<uint8_t> bytes = good;
    c.spoil(bytes);
    State untouched;
    untouched.currentMode = 1;
    problem.clear();
    EXPECT_FALSE(DecodeMouseState(bytes, untouched, problem)) << c.what;
    EXPECT_FALSE(problem.empty()) << c.what;
    EXPECT_EQ(untouched.currentMode, 1) << c.what;
  }
}

TEST(SimulatedMouseState, AMissingShortOrBadFileGivesANewMouseAndALine) {
  testutil::TempFolder temp;
  const std::vector<uint8_t> good = EncodeMouseState(Sample());
  const struct {
    const char* what;
    std::optional<std::vector<uint8_t>> content;
    bool loaded;
  } cases[] = {
      {"missing", std::nullopt, false},
      {"short", std::vector<uint8_t>(good.begin(), good.begin() + 100), false},
      {"bad", std::vector<uint8_t>(kStateFileSize, 0x42), false},
      {"good", good, true},
  };
  const State fresh = SimulatedMouse().GetPersistentState();
  for (const auto& c : cases) {
    const std::string path = temp / c.what;
    if (c.content) testutil::WriteAll(path, c.content->data(), c.content->size());
    SimulatedMouse mouse;
    SimulatedMouseStateFile file(path);
    testing::internal::CaptureStderr();
    EXPECT_EQ(file.Attach(mouse), c.loaded) << c.what;
    const std::string said = testing::internal::GetCapturedStderr();
    EXPECT_EQ(said.empty(), c.loaded) << c.what << ": " << said;
    EXPECT_TRUE(Same(mouse.GetPersistentState(), c.loaded ? Sample() : fresh)) << c.what;
  }
}

// Every change that alters what the mouse keeps is saved at once; a command that alters
// nothing writes nothing. A mouse started later from the file is the same mouse.
TEST(SimulatedMouseState, EachChangeIsSavedAndSurvivesARestart) {
  testutil::TempFolder temp;
  const std::string path = temp / "mouse.state";
  SimulatedMouse mouse;
  SimulatedMouseStateFile file(path);
  testing::internal::CaptureStderr();
  file.Attach(mouse);
  testing::internal::GetCapturedStderr();

  const struct {
    const char* what;
    std::function<void()> act;
    bool saves;
  } steps[] = {
      {"test mode", [&] { mouse.Execute(Cmd({0x20, 0x84})); }, false},
      {"erase an erased block", [&] { mouse.Execute(Cmd({0x03, 1, 0xFE, 0x55, 0xAA, 0x55})); },
       false},
      {"write", [&] { mouse.ReceiveOutputReport(Cmd({0x01, 8, 0x14, 0x00, 0x11, 0x22, 0x33})); },
       true},
      {"write the same again",
       [&] { mouse.ReceiveOutputReport(Cmd({0x01, 8, 0x14, 0x00, 0x11, 0x22, 0x33})); }, false},
      {"erase", [&] { mouse.Execute(Cmd({0x03, 1, 0xFE, 0x55, 0xAA, 0x55})); }, true},
      {"write block 5", [&] { mouse.Execute(Cmd({0x01, 0, 0x52, 0x12, 0x34})); }, true},
      {"DPI levels", [&] { mouse.Execute(Cmd({0x21, 0x0F, 0x23, 0x01})); }, true},
      {"DPI levels again", [&] { mouse.Execute(Cmd({0x21, 0x0F, 0x23, 0x01})); }, false},
      {"DPI query", [&] { mouse.Execute(Cmd({0x21, 0x00, 0x77, 0x77})); }, false},
      {"report rates", [&] { mouse.Execute(Cmd({0x22, 0x0F, 0x01, 0x23})); }, true},
      {"mode", [&] { mouse.Execute(Cmd({0x20, 0x08, 2})); }, true},
      {"mode again", [&] { mouse.Execute(Cmd({0x20, 0x08, 2})); }, false},
      {"normal mode", [&] { mouse.Execute(Cmd({0x20, 0x80})); }, false},
      {"a test sets a DPI level", [&] { mouse.SetDpiLevel(3, 6); }, true},
  };
  for (const auto& s : steps) {
    ::unlink(path.c_str());
    s.act();
    ASSERT_EQ(Exists(path), s.saves) << s.what;
    if (!s.saves) continue;
    const std::vector<uint8_t> bytes = testutil::ReadAll(path);
    State saved;
    std::string problem;
    ASSERT_TRUE(DecodeMouseState(bytes, saved, problem)) << s.what << ": " << problem;
    EXPECT_TRUE(Same(saved, mouse.GetPersistentState())) << s.what;
  }
  mouse.SetRateIndex(0, 2);

  SimulatedMouse restarted;
  SimulatedMouseStateFile again(path);
  EXPECT_TRUE(again.Attach(restarted));
  EXPECT_TRUE(Same(restarted.GetPersistentState(), mouse.GetPersistentState()));
  EXPECT_EQ(restarted.RateIndex(0), 2);
  EXPECT_EQ(restarted.CurrentMode(), 2);
  EXPECT_EQ(restarted.GetFlashBlock(5)[0], 0x12);
}

TEST(SimulatedMouseState, AFailingSaveIsReportedOnce) {
  testutil::TempFolder temp;
  SimulatedMouse mouse;
  SimulatedMouseStateFile file(temp / "missing-folder/mouse.state");
  testing::internal::CaptureStderr();
  file.Attach(mouse);
  testing::internal::GetCapturedStderr();
  testing::internal::CaptureStderr();
  mouse.SetDpiLevel(0, 4);
  mouse.SetDpiLevel(0, 5);
  const std::string said = testing::internal::GetCapturedStderr();
  EXPECT_NE(said.find("cannot save"), std::string::npos);
  EXPECT_EQ(said.find("cannot save"), said.rfind("cannot save"));
}

}  // namespace
}  // namespace sim
