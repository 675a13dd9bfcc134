#include "platform/ui/FontWarmUp.h"

#include <gtest/gtest.h>

#include <QFontMetrics>

#include "platform/ui/CaptionFont.h"

namespace {

// The look-up ends with the object, and the user-interface thread then finds the caption font
// with the glyphs of the program's texts.
TEST(FontWarmUpTest, OnceEndedTheCaptionFontIsThereForTheProgramsTexts) {
  { ui::FontWarmUp warmUp; }
  const QString text = QStringLiteral(u"按键设置 A");
  const QFontMetrics metrics(ui::CaptionFont(12));
  EXPECT_GT(ui::TextExtent(ui::CaptionFont(12), text).width(), 0);
  for (const QChar c : text) EXPECT_TRUE(metrics.inFont(c)) << int(c.unicode());
}

}  // namespace
