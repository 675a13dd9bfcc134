// The single-line edit whose limit binds only what the user adds.
#include "skin/LimitedLineEdit.h"

#include <gtest/gtest.h>

namespace {

TEST(LimitedLineEditBound, OnlyWhatTheUserAddsIsBound) {
  struct Case {
    const char* name;
    QString before, after;
    int limit;
    QString result;
    int cursor;
  } cases[] = {
      {"typing within", "abc", "abcd", 5, "abcd", 4},
      {"typing at the limit", "abcde", "abcdXe", 5, "abcde", 4},
      {"paste cut to fit", "ab", "aXYZWb", 4, "aXYb", 3},
      {"replacing a selection", "abcde", "aXYZe", 5, "aXYZe", 4},
      {"longer stored text: deleting", QString(40, u'n'), QString(39, u'n'), 30, QString(39, u'n'),
       39},
      {"longer stored text: replacing one unit", "abcdef", "abXdef", 4, "abcdef", 2},
      {"longer stored text: replacing it all", "abcdef", "X", 4, "X", 1},
      {"surrogate pair not split", "abc", "ab" + QString::fromUtf16(u"\U0001F600") + "c", 4,
       "abc", 2},
  };
  for (const Case& c : cases) {
    int cursor = -1;
    EXPECT_EQ(LimitedLineEdit::Bounded(c.before, c.after, c.limit, &cursor), c.result) << c.name;
    EXPECT_EQ(cursor, c.cursor) << c.name;
  }
}

}  // namespace
