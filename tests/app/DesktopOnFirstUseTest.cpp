#include "app/DesktopOnFirstUse.h"

#include <gtest/gtest.h>

#include "platform/desktop/FakeForegroundApplication.h"
#include "platform/desktop/FakeWheelInjector.h"

namespace {

// Each service made by the wrapper is a fake the test keeps a pointer to; `made` counts them.
struct Made {
  int made = 0;
  desktop::FakeForegroundApplication* foreground = nullptr;
  desktop::FakeWheelInjector* wheel = nullptr;
};

ForegroundOnFirstUse::Make MakeForeground(Made& m) {
  return [&m] {
    ++m.made;
    auto fake = std::make_unique<desktop::FakeForegroundApplication>();
    fake->pid = 42;
    fake->imagePath = u"/usr/bin/game";
    m.foreground = fake.get();
    return fake;
  };
}

TEST(DesktopOnFirstUseTest, TheForegroundIsMadeAtTheFirstLookUpOnly) {
  Made m;
  ForegroundOnFirstUse foreground(MakeForeground(m));
  // The timer stops following at each tick while no mode names a program.
  foreground.StopFollowing();
  foreground.StopFollowing();
  EXPECT_EQ(m.made, 0);

  EXPECT_EQ(foreground.ForegroundImagePath(), u"/usr/bin/game");
  EXPECT_EQ(foreground.ForegroundProcessId(), 42);
  EXPECT_EQ(m.made, 1);
  EXPECT_EQ(m.foreground->lookups, 1);
  EXPECT_TRUE(m.foreground->following);
  foreground.StopFollowing();
  EXPECT_FALSE(m.foreground->following);
  EXPECT_EQ(m.made, 1);
}

TEST(DesktopOnFirstUseTest, TheWheelIsMadeAtTheFirstScrollOfAStep) {
  Made m;
  WheelOnFirstUse wheel([&m] {
    ++m.made;
    auto fake = std::make_unique<desktop::FakeWheelInjector>();
    m.wheel = fake.get();
    return fake;
  });
  EXPECT_FALSE(wheel.ScrollHorizontally(0));
  EXPECT_EQ(m.made, 0);

  EXPECT_TRUE(wheel.ScrollHorizontally(-2));
  EXPECT_EQ(m.made, 1);
  m.wheel->overDesktop = true;
  EXPECT_FALSE(wheel.ScrollHorizontally(3));
  EXPECT_EQ(m.made, 1);
  EXPECT_EQ(m.wheel->requests, (std::vector<int>{-2, 3}));
}

}  // namespace
