#include "settings/ApplyProgressPacer.h"

#include <gtest/gtest.h>

#include <optional>

namespace {

using settings::ApplyProgressPacer;

struct Look {
  uint32_t at;  // ms after the display opened
  bool finishHere;
  int position;
  std::optional<uint32_t> nextIn;
  bool closed;
};

void Follow(uint32_t start, const std::vector<Look>& timeline) {
  ApplyProgressPacer pacer(start);
  for (const Look& l : timeline) {
    SCOPED_TRACE(testing::Message() << "start " << start << ", at " << l.at);
    const uint32_t now = start + l.at;
    if (l.finishHere) pacer.Finish(now);
    EXPECT_EQ(pacer.Position(now), l.position);
    EXPECT_EQ(pacer.NextChangeIn(now), l.nextIn);
    EXPECT_EQ(pacer.Closed(now), l.closed);
  }
}

TEST(ApplyProgressPacer, StepsEvery100msThenWaitsAt89UntilApplyIsDone) {
  const std::vector<Look> slow = {
      {0, false, 0, 100, false},
      {50, false, 0, 50, false},
      {100, false, 1, 100, false},
      {8899, false, 88, 1, false},
      {8900, false, 89, std::nullopt, false},  // from here on it only waits for Finish
      {60000, false, 89, std::nullopt, false},
      {60000, true, 100, 300, false},
      {60299, false, 100, 1, false},
      {60300, false, 100, 0, true},
      {60300, true, 100, 0, true},  // a second Finish does not hold it open again
  };
  Follow(1000, slow);
  Follow(0xFFFFFF00u, slow);  // across the wrap of the tick

  // A quick Apply closes the display early.
  Follow(5, {{250, true, 100, 300, false}, {549, false, 100, 1, false}, {550, false, 100, 0, true}});
}

}  // namespace
