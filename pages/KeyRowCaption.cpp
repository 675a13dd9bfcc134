#include "pages/KeyRowCaption.h"

#include <QFontMetrics>

#include "platform/ui/CaptionFont.h"

namespace pages {

void SetRowCaption(CBitmapBtn& row, const QString& text) {
  const QFont font = ui::CaptionFont(kRowFontHeight);
  row.SetFontHeight(kRowFontHeight);
  const int width = row.width();
  const int area = width - kRowArrowWidth;
  // Where the image button puts a centred caption of width `cx`.
  const auto centred = [width](int cx) { return width / 2 - cx / 2; };
  const int cx = ui::TextExtent(font, text).width();
  if (area <= 0 || (centred(cx) >= 0 && centred(cx) + cx <= area)) {
    row.SetCaption(text, 0, 1);
    return;
  }
  const QString shown =
      cx <= area ? text : QFontMetrics(font).elidedText(text, Qt::ElideRight, area);
  const int shownWidth = ui::TextExtent(font, shown).width();
  row.SetCaption(shown, (area - shownWidth) / 2 - centred(shownWidth), 1);
}

}  // namespace pages
