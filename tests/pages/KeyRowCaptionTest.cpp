// The row texts of the button page: centred as every caption while they fit left of the
// drop-down arrow, else in the text area and cut with "…".
#include <gtest/gtest.h>

#include <QFontMetrics>
#include <QImage>
#include <QString>

#include <vector>

#include "pages/KeyRowCaption.h"
#include "platform/ui/CaptionFont.h"
#include "skin/BitmapBtn.h"
#include "tests/platform/ui/QtTestSupport.h"

namespace {

const QSize kRow(222, 26);  // the default skin's rows
const QColor kFace(0x20, 0x24, 0x2C);

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

// The runs of columns with text in them, as [first, last] pairs.
std::vector<std::pair<int, int>> InkRuns(const QImage& row) {
  std::vector<std::pair<int, int>> runs;
  for (int x = 0; x < row.width(); ++x) {
    bool ink = false;
    for (int y = 0; y < row.height() && !ink; ++y) ink = row.pixel(x, y) != kFace.rgb();
    if (!ink) continue;
    if (!runs.empty() && runs.back().second == x - 1) {
      runs.back().second = x;
    } else {
      runs.emplace_back(x, x);
    }
  }
  return runs;
}
// The rows of pixels with text in them within columns [first, last].
std::pair<int, int> InkRows(const QImage& row, int first, int last) {
  int top = row.height(), bottom = -1;
  for (int y = 0; y < row.height(); ++y)
    for (int x = first; x <= last; ++x)
      if (row.pixel(x, y) != kFace.rgb()) {
        top = std::min(top, y);
        bottom = std::max(bottom, y);
      }
  return {top, bottom};
}
// Whether the text ends in "…": the right half of an ellipsis' width at its end holds only dots
// on one line, while the text before it is taller.
bool EndsInEllipsis(const QImage& row) {
  const std::vector<std::pair<int, int>> runs = InkRuns(row);
  if (runs.empty()) return false;
  const int half = QFontMetrics(ui::CaptionFont(pages::kRowFontHeight)).horizontalAdvance(u'…') / 2;
  const int last = runs.back().second;
  const auto [dotsTop, dotsBottom] = InkRows(row, last - half + 1, last);
  const auto [top, bottom] = InkRows(row, runs.front().first, last);
  return dotsBottom - dotsTop <= 3 && bottom - top > 6;
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
    EXPECT_TRUE(shown.copy(arrow) == bare.copy(arrow)) << c.name << ": the arrow's pixels";
    EXPECT_EQ(EndsInEllipsis(shown), c.ellipsis) << c.name;
    ASSERT_FALSE(InkRuns(shown).empty()) << c.name;
    EXPECT_GE(InkRuns(shown).front().first, 0) << c.name;
  }
  EXPECT_EQ(RowCaption(QStringLiteral("左键")), PlainCaption(QStringLiteral("左键")))
      << "centred as the image button draws it";
}

}  // namespace
