#include "platform/sys/Tick.h"

#include <gtest/gtest.h>

namespace {

TEST(Tick, DifferenceIsCorrectAcrossTheWrap) {
  struct Case {
    uint32_t later, earlier;
    int32_t diff;
  } cases[] = {
      {1100, 1000, 100},
      {1000, 1100, -100},
      {0x00000010u, 0xFFFFFFF0u, 0x20},  // the tick wrapped between the two readings
      {0xFFFFFFF0u, 0x00000010u, -0x20},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(sys::TickDiff(c.later, c.earlier), c.diff) << c.later << " - " << c.earlier;
  }
}

TEST(Tick, InstalledSourceReplacesTheSteadyClockUntilRemoved) {
  sys::FakeTick fake(0xFFFFFFF0u);
  {
    sys::ScopedTickSource scope([&] { return fake(); });
    EXPECT_EQ(sys::GetTickCount(), 0xFFFFFFF0u);
    fake.Advance(0x20);
    EXPECT_EQ(sys::GetTickCount(), 0x10u);
  }
  const uint32_t a = sys::GetTickCount();
  sys::Sleep(2);
  EXPECT_GE(sys::TickDiff(sys::GetTickCount(), a), 1);
}

}  // namespace
