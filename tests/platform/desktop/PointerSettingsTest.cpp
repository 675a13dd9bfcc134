#include <gtest/gtest.h>
#include <sys/stat.h>

#include <cstdlib>
#include <optional>
#include <string>

#include "platform/desktop/FilePointerSettings.h"
#include "platform/desktop/PointerSettings.h"
#include "platform/desktop/X11PointerSettings.h"
#include "tests/platform/sys/FileTestUtil.h"

namespace desktop {
namespace {

using testutil::ScopedEnv;

TEST(PointerMapping, LibinputSpeedMeetsTheDefaultsAndEndsAndRoundTrips) {
  const struct {
    int speed;
    double accel;
  } cases[] = {{1, -1.0}, {10, 0.0}, {20, 1.0}, {4, -6.0 / 9}, {15, 0.5}, {0, -1.0}, {25, 1.0}};
  for (const auto& c : cases) EXPECT_NEAR(LibinputAccelSpeed(c.speed), c.accel, 1e-9) << c.speed;
  // The property is a 32-bit float: every speed must come back from it unchanged.
  for (int s = kMinMouseSpeed; s <= kMaxMouseSpeed; ++s)
    EXPECT_EQ(MouseSpeedFromLibinput(static_cast<float>(LibinputAccelSpeed(s))), s);
  EXPECT_EQ(MouseSpeedFromLibinput(-3.0), 1);
  EXPECT_EQ(MouseSpeedFromLibinput(2.0), 20);
  EXPECT_EQ(MouseSpeedFromLibinput(0.04), 10);
}

TEST(PointerMapping, CoreControlMeetsTheServerDefaultAndRoundTrips) {
  EXPECT_EQ(CorePointerControlFor(10, true), (CorePointerControl{10, 5, 4}));
  EXPECT_EQ(CorePointerControlFor(10, false), (CorePointerControl{10, 10, 1}));
  EXPECT_EQ(CorePointerControlFor(25, false), (CorePointerControl{20, 10, 1}));
  const struct {
    CorePointerControl control;
    int speed;
    bool accelerate;
  } read[] = {
      {{2, 1, 4}, 10, true},    // the X server's default
      {{1, 1, 1}, 10, false},   // one to one
      {{3, 1, 1}, 20, false},   // beyond the fastest speed
      {{1, 0, 4}, 5, true},     // a broken fraction reads as factor 1
      {{7, 2, 0}, 18, true},    // threshold 0: accelerated
      {{1, 100, 1}, 1, false},  // below the slowest speed
  };
  for (const auto& c : read) {
    int speed = -1;
    bool accelerate = !c.accelerate;
    MouseSettingsFromCore(c.control, speed, accelerate);
    EXPECT_EQ(speed, c.speed) << c.control.numerator << "/" << c.control.denominator;
    EXPECT_EQ(accelerate, c.accelerate) << c.control.threshold;
  }
  for (int s = kMinMouseSpeed; s <= kMaxMouseSpeed; ++s) {
    for (bool a : {false, true}) {
      int speed = 0;
      bool accelerate = !a;
      MouseSettingsFromCore(CorePointerControlFor(s, a), speed, accelerate);
      EXPECT_EQ(speed, s);
      EXPECT_EQ(accelerate, a);
    }
  }
}

TEST(PointerSettingsFile, TextGivesDefaultsForWhatItLacksOrSpoils) {
  const PointerValues defaults;
  const struct {
    const char* what;
    std::string text;
    PointerValues expected;
  } cases[] = {
      {"empty", "", defaults},
      {"all four, with spaces and CRLF",
       "[Pointer]\r\n MouseSpeed = 7\r\nMouseAcceleration=0, 0,0\r\nWheelScrollLines=-1\r\n"
       "DoubleClickTime=620\r\n",
       {7, kPrecisionOff, -1, 620}},
      {"out of range", "MouseSpeed=21\nWheelScrollLines=-2\nDoubleClickTime=0\n", defaults},
      {"not numbers", "MouseSpeed=fast\nMouseAcceleration=6,10\nDoubleClickTime=5e2\n", defaults},
      {"comments and unknown keys", "; MouseSpeed=3\n#WheelScrollLines=9\nOther=1\nMouseSpeed=4",
       {4, kPrecisionOn, 3, 500}},
      {"too many parts", "MouseAcceleration=1,2,1,4\n", defaults},
  };
  for (const auto& c : cases) EXPECT_EQ(ParsePointerValues(c.text), c.expected) << c.what;
  const PointerValues odd{17, {4, 8, 2}, 0, 4321};
  EXPECT_EQ(ParsePointerValues(FormatPointerValues(odd)), odd);
}

TEST(PointerSettingsFile, FileBackendKeepsEverythingAcrossInstances) {
  testutil::TempFolder temp;
  const std::string path = temp.path() + "/Kavrin-DireZerud/pointer.ini";
  {
    FilePointerSettings p(path, /*quiet=*/true);
    int speed = 0;
    ASSERT_TRUE(p.GetMouseSpeed(speed));
    EXPECT_EQ(speed, kDefaultMouseSpeed);
    EXPECT_TRUE(p.SetMouseSpeed(4));
    EXPECT_TRUE(p.SetMouseAcceleration(kPrecisionOff));
    EXPECT_TRUE(p.SetWheelScrollLines(kWheelOnePage));
    EXPECT_TRUE(p.SetDoubleClickTime(620));
    EXPECT_FALSE(p.SetMouseSpeed(0));
    EXPECT_FALSE(p.SetWheelScrollLines(-2));
    EXPECT_FALSE(p.SetDoubleClickTime(0));
  }
  struct stat st {};
  ASSERT_EQ(stat((temp.path() + "/Kavrin-DireZerud").c_str(), &st), 0);
  EXPECT_EQ(st.st_mode & 0777, 0700u);
  FilePointerSettings again(path, true);
  int speed = 0, lines = 0;
  MouseAcceleration a;
  uint32_t ms = 0;
  ASSERT_TRUE(again.GetMouseSpeed(speed) && again.GetMouseAcceleration(a) &&
              again.GetWheelScrollLines(lines) && again.GetDoubleClickTime(ms));
  EXPECT_EQ(speed, 4);
  EXPECT_EQ(a, kPrecisionOff);
  EXPECT_EQ(lines, kWheelOnePage);
  EXPECT_EQ(ms, 620u);
}

TEST(PointerSettingsFile, AFailedWriteFailsTheSetAndKeepsTheOldValue) {
  testutil::TempFolder temp;
  testutil::WriteAll(temp / "blocker", "x", 1);  // a file where the folder should be
  FilePointerSettings p(temp / "blocker/pointer.ini", true);
  EXPECT_FALSE(p.SetWheelScrollLines(7));
  int lines = 0;
  ASSERT_TRUE(p.GetWheelScrollLines(lines));
  EXPECT_EQ(lines, kDefaultWheelLines);
  EXPECT_TRUE(p.SetWheelScrollLines(kDefaultWheelLines));  // no change, nothing to write
}

TEST(PointerSettingsFile, PathFollowsTheConfigFolderRules) {
  ScopedEnv home("HOME", "/home/someone");
  const struct {
    const char* xdg;
    const char* path;
  } cases[] = {{"/cfg/", "/cfg/Kavrin-DireZerud/pointer.ini"},
               {"relative/cfg", "/home/someone/.config/Kavrin-DireZerud/pointer.ini"},
               {nullptr, "/home/someone/.config/Kavrin-DireZerud/pointer.ini"}};
  for (const auto& c : cases) {
    ScopedEnv xdg("XDG_CONFIG_HOME", c.xdg);
    EXPECT_EQ(PointerSettingsFilePath(), c.path);
  }
}

TEST(PointerSettingsFactory, WithoutADisplayEverythingGoesToTheFile) {
  testutil::TempFolder temp;
  ScopedEnv display("DISPLAY", nullptr);
  ScopedEnv config("XDG_CONFIG_HOME", temp.path().c_str());
  std::unique_ptr<PointerSettings> p = CreatePointerSettings();
  ASSERT_NE(p, nullptr);
  EXPECT_NE(dynamic_cast<FilePointerSettings*>(p.get()), nullptr);
  EXPECT_TRUE(p->SetMouseSpeed(12));
  const auto bytes = testutil::ReadAll(temp / "Kavrin-DireZerud/pointer.ini");
  EXPECT_EQ(ParsePointerValues(std::string(bytes.begin(), bytes.end())).mouseSpeed, 12);
}

}  // namespace
}  // namespace desktop
