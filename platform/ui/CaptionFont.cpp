#include "platform/ui/CaptionFont.h"

#include <QFontMetrics>
#include <QStringList>

#include <cstdlib>

namespace ui {

QFont CaptionFont(int height, int weight) {
  QFont font;
  font.setFamilies(QStringList{QStringLiteral("Noto Sans CJK SC"), QStringLiteral("Noto Sans SC"),
                               QStringLiteral("Source Han Sans SC"),
                               QStringLiteral("WenQuanYi Micro Hei"),
                               QStringLiteral("Droid Sans Fallback"), QStringLiteral("sans-serif")});
  font.setStyleHint(QFont::SansSerif);
  if (height != 0) font.setPixelSize(std::abs(height));
  font.setWeight(static_cast<QFont::Weight>(qBound(1, weight, 1000)));
  font.setItalic(false);
  font.setUnderline(false);
  return font;
}

QSize TextExtent(const QFont& font, const QString& text) {
  const QFontMetrics metrics(font);
  return QSize(metrics.horizontalAdvance(text), metrics.height());
}

void DrawTextAt(QPainter& painter, int x, int y, const QString& text, int escapement) {
  const QFontMetrics metrics(painter.font());
  painter.save();
  painter.translate(x, y);
  if (escapement % 3600 != 0) painter.rotate(-escapement / 10.0);
  painter.drawText(0, metrics.ascent(), text);
  painter.restore();
}

}  // namespace ui
