#include "platform/ui/FontWarmUp.h"

#include <gtest/gtest.h>

#include "platform/ui/CaptionFont.h"

namespace {

// The look-up on the worker and the user-interface thread's own text at the same time: the text
// measures as it does once the worker has ended.
TEST(FontWarmUpTest, TextMeasuredWhileTheLookUpRunsMeasuresAsAfterIt) {
  const QString text = QStringLiteral(u"按键设置 A");
  QSize during;
  {
    ui::FontWarmUp warmUp;
    during = ui::TextExtent(ui::CaptionFont(12), text);
  }
  EXPECT_GT(during.width(), 0);
  EXPECT_EQ(during, ui::TextExtent(ui::CaptionFont(12), text));
}

}  // namespace
