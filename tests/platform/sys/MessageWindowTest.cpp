#include "platform/sys/MessageWindow.h"

#include <gtest/gtest.h>

namespace {

TEST(RegisterWindowMessage, SameNameSameNumberInRegisteredRange) {
  const uint32_t key = sys::RegisterWindowMessage(u"KEYSTATUS_MSG");
  const uint32_t mode = sys::RegisterWindowMessage(u"MODEDPICHANGE_MSG");
  EXPECT_GE(key, 0xC000u);
  EXPECT_LE(key, 0xFFFFu);
  EXPECT_NE(key, mode);
  EXPECT_EQ(sys::RegisterWindowMessage(u"KEYSTATUS_MSG"), key);
  EXPECT_EQ(sys::RegisterWindowMessage(u"keystatus_msg"), key);
}

}  // namespace
