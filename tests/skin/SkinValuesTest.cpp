#include "skin/SkinValues.h"

#include <gtest/gtest.h>

#include "tests/skin/SkinFixture.h"

namespace {

using skintest::SkinFixture;

using SkinValuesTest = SkinFixture;

// Every number of a rectangle is held to what a window coordinate can hold, so that its edges
// and its moves into other coordinates stay within int.
TEST_F(SkinValuesTest, RectanglesAreHeldToTheScreensRange) {
  const struct {
    const char* value;
    QRect rect;
  } cases[] = {
      {"10, 20,30,40", QRect(10, 20, 30, 40)},
      {"32767,-32767,32767,-32767", QRect(32767, -32767, 32767, -32767)},
      {"2147483647,2147483647,2147483647,2147483647", QRect(32767, 32767, 32767, 32767)},
      {"-2147483648,99999999999,32768,-32768", QRect(-32767, 32767, 32767, -32767)},
      {"40000,5", QRect(32767, 5, 0, 0)},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.value);
    WriteSkin(std::string("[Page]\nKeyKeyDefineSettingRect=") + c.value + "\n");
    const QRect r = skin::ReadRect(ini, "Page", u"KeyKeyDefineSettingRect");
    EXPECT_EQ(r, c.rect);
    EXPECT_EQ(qint64(r.right()), qint64(r.x()) + r.width() - 1);  // the far edge is exact
  }
}

}  // namespace
