#include "platform/desktop/WaylandSession.h"

#include <gtest/gtest.h>

#include <string>

#include "tests/platform/sys/FileTestUtil.h"

namespace desktop {
namespace {

TEST(WaylandSession, SaysOnceThatOnlyX11ProgramsAreReached) {
  {
    testutil::ScopedEnv x11("WAYLAND_DISPLAY", nullptr);
    EXPECT_FALSE(IsWaylandSession());
    testing::internal::CaptureStderr();
    EXPECT_FALSE(NoteX11ProgramsOnly());
    EXPECT_EQ(testing::internal::GetCapturedStderr(), "");
  }
  testutil::ScopedEnv wayland("WAYLAND_DISPLAY", "wayland-0");
  EXPECT_TRUE(IsWaylandSession());
  testing::internal::CaptureStderr();
  EXPECT_TRUE(NoteX11ProgramsOnly());
  EXPECT_FALSE(NoteX11ProgramsOnly());
  const std::string said = testing::internal::GetCapturedStderr();
  EXPECT_NE(said.find("X11 and XWayland programs only"), std::string::npos) << said;
  EXPECT_EQ(said.find('\n'), said.size() - 1) << said;  // one line
}

}  // namespace
}  // namespace desktop
