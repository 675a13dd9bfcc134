// The row texts of the button page: centred as every caption while they fit left of the
// drop-down arrow, else in the text area and cut with "…".
#include <gtest/gtest.h>

#include <QImage>
#include <QString>

#include "pages/KeyRowCaption.h"
#include "platform/ui/CaptionFont.h"
#include "skin/BitmapBtn.h"
#include "tests/platform/ui/QtTestSupport.h"
#include "tests/platform/ui/TextInk.h"

namespace {

const QSize kRow(222, 26);  // the default skin's rows
const QColor kFace(0x20, 0x24, 0x2C);
// About half the width of "…" in the rows' font.
constexpr int kEllipsisTail = pages::kRowFontHeight / 2;

// A row of one plain colour showing `text` as `caption` puts it.
QImage Row(const QString& text, void (*caption)(CBitmapBtn&, const QString&)) {
  const QImage face = uitest::Solid(kRow.width(), kRow.height(), kFace);
  CBitmapBtn row;
  row.resize(kRow);
  row.SetStateImages(0, 0, kRow.width(), kRow.height(), &face, &face, &face, &face);
  caption(row, text);
  return uitest::Render(row);
}
QImage RowCaption(const QString& text) { return Row(text, pages::SetRowCaption); }
QImage PlainCaption(const QString& text) {
  return Row(text, [](CBitmapBtn& row, const QString& t) { row.SetCaption(t, 0, 1); });
}

// A text of ASCII letters just narrower than the text area, too wide to sit centred on the
// row without running under the arrow.
QString FitsOnlyTheTextArea() {
  const QFont font = ui::CaptionFont(pages::kRowFontHeight);
  const int area = kRow.width() - pages::kRowArrowWidth;
  QString text;
  while (ui::TextExtent(font, text + u'M').width() <= area) text += u'M';
  EXPECT_GT(ui::TextExtent(font, text).width(), area - pages::kRowArrowWidth);
  return text;
}

TEST(KeyRowCaptionTest, ATextThatFitsIsCentredAsEveryCaptionAndALongOneEndsLeftOfTheArrow) {
  const QRect arrow(kRow.width() - pages::kRowArrowWidth, 0, pages::kRowArrowWidth,
                    kRow.height());
  const QImage bare = PlainCaption(QString());
  const QString macro40 = QStringLiteral("超长的宏名称").repeated(7).left(40);
  struct Case {
    const char* name;
    QString text;
    bool ellipsis;
  } cases[] = {
      {"a function", QStringLiteral("左键"), false},
      {"just narrower than the text area", FitsOnlyTheTextArea(), false},
      {"a macro of 40 characters", macro40, true},
      {"a program of 40 letters", QString(40, u'W'), true},
  };
  for (const Case& c : cases) {
    const QImage shown = RowCaption(c.text);
    const uitest::TextInk ink(shown, bare);
    EXPECT_TRUE(shown.copy(arrow) == bare.copy(arrow)) << c.name << ": the arrow's pixels";
    EXPECT_EQ(ink.EndsInEllipsis(kEllipsisTail), c.ellipsis) << c.name;
    ASSERT_FALSE(ink.Runs().empty()) << c.name;
    EXPECT_GT(ink.Runs().front().first, 0) << c.name << ": cut at the left";
  }
  EXPECT_EQ(RowCaption(QStringLiteral("左键")), PlainCaption(QStringLiteral("左键")))
      << "centred as the image button draws it";
}

}  // namespace
