#include "platform/sys/AutoResetEvent.h"

#include <gtest/gtest.h>

#include <atomic>
#include <thread>

namespace {

TEST(AutoResetEvent, OneSetReleasesOneWaitOnly) {
  sys::AutoResetEvent ev;
  EXPECT_FALSE(ev.Wait(0));
  ev.Set();
  ev.Set();  // setting twice still releases a single wait
  EXPECT_TRUE(ev.IsSet());
  EXPECT_TRUE(ev.Wait(0));
  EXPECT_FALSE(ev.IsSet());
  EXPECT_FALSE(ev.Wait(1));
}

TEST(AutoResetEvent, ResetClearsAPendingSignal) {
  sys::AutoResetEvent ev;
  ev.Set();
  ev.Reset();
  EXPECT_FALSE(ev.Wait(0));
}

TEST(AutoResetEvent, SetFromAnotherThreadWakesTheWaiter) {
  sys::AutoResetEvent ev;
  std::atomic<bool> woke{false};
  std::thread waiter([&] { woke = ev.Wait(10000); });
  ev.Set();
  waiter.join();
  EXPECT_TRUE(woke);
}

}  // namespace
