#include "PageSheet.h"

#include <QLinearGradient>

PageSheet::PageSheet(const QRect& place) : place_(place) {
  for (QImage& sheet : sheets_) {
    sheet = QImage(theme::kMainWindowSize, QImage::Format_ARGB32_Premultiplied);
    sheet.fill(theme::kBodyBottom);
    QPainter painter(&sheet);
    QLinearGradient panel(place.topLeft(), place.bottomLeft());
    panel.setColorAt(0, QColor(0x1A, 0x1D, 0x23));
    panel.setColorAt(1, QColor(0x12, 0x14, 0x19));
    painter.fillRect(place, panel);
    // Corner ticks in the accent, as the page area of the main window has.
    const int t = 12;
    painter.fillRect(QRect(place.left(), place.top(), t, 2), theme::kAccent);
    painter.fillRect(QRect(place.left(), place.top(), 2, t), theme::kAccent);
    painter.fillRect(QRect(place.right() - t + 1, place.bottom() - 1, t, 2), theme::kAccent);
    painter.fillRect(QRect(place.right() - 1, place.bottom() - t + 1, 2, t), theme::kAccent);
  }
}

void PageSheet::Write(SkinWriter& skin, const QString& stem) const {
  skin.Rect(QStringLiteral("WindowsRect"), place_);
  skin.Image(QStringLiteral("NormalImage"), stem + QStringLiteral("_Normal.png"), sheets_[0]);
  skin.Image(QStringLiteral("OverImage"), stem + QStringLiteral("_Over.png"), sheets_[1]);
  skin.Image(QStringLiteral("DownImage"), stem + QStringLiteral("_Down.png"), sheets_[2]);
  const QRect own(QPoint(0, 0), place_.size());
  skin.Image(QStringLiteral("BackGroundMaskImage"), stem + QStringLiteral("_Mask.bmp"),
             theme::Mask(place_.size(), theme::ChamferedOutline(own, 6, 0)));
  skin.Number(QStringLiteral("Visable"), 1);
}

namespace page_theme {

void DrawLabel(QPainter& painter, const QRect& rect, const QString& text) {
  painter.save();
  painter.fillRect(QRect(rect.left(), rect.top() + 7, 3, rect.height() - 14), theme::kAccent);
  painter.setRenderHint(QPainter::TextAntialiasing, true);
  painter.setFont(theme::Font(14, QFont::DemiBold));
  painter.setPen(theme::kText);
  painter.drawText(rect.adjusted(10, 0, 0, 0), Qt::AlignLeft | Qt::AlignVCenter, text);
  painter.restore();
}

void DrawGroupTitle(QPainter& painter, const QRect& rect, const QString& text) {
  painter.save();
  painter.setRenderHint(QPainter::TextAntialiasing, true);
  const QFont font = theme::Font(13, QFont::DemiBold);
  painter.setFont(font);
  painter.setPen(theme::kTextDim);
  painter.drawText(rect, Qt::AlignLeft | Qt::AlignVCenter, text);
  const int textWidth = QFontMetrics(font).horizontalAdvance(text);
  painter.fillRect(QRect(rect.left() + textWidth + 10, rect.center().y(),
                         rect.width() - textWidth - 10, 1),
                   theme::kEdge);
  painter.restore();
}

void DrawField(QPainter& painter, const QRect& edit) {
  const QRect field = edit.adjusted(-4, -4, 4, 4);
  painter.fillRect(field, theme::kEdge);
  painter.fillRect(field.adjusted(1, 1, -1, -1), theme::kGroove);
}

void WriteDialog(SkinWriter& skin, const QString& section, const QString& stem,
                 const QString& title, const std::function<void(QPainter&, theme::Look)>& draw) {
  const QRect bounds(QPoint(0, 0), kDialogSize);
  const QPolygon outline = theme::ChamferedOutline(bounds, 22, 6);
  const std::vector<QPolygon> cutouts = theme::Cutouts(QPoint(340, 14), 3, 10, 14, 16);
  const theme::Look looks[3] = {theme::Look::Normal, theme::Look::Over, theme::Look::Down};
  QImage sheets[3];
  for (int i = 0; i < 3; ++i) {
    sheets[i] = theme::Canvas(kDialogSize);
    QPainter painter(&sheets[i]);
    theme::DrawBody(painter, outline, bounds);
    theme::DrawTitleStrip(painter, QRect(6, 6, kDialogSize.width() - 12, 38), title, cutouts);
    draw(painter, looks[i]);
    theme::DrawButton(painter, kDialogOk, QStringLiteral("确定"), looks[i]);
    theme::DrawButton(painter, kDialogCancel, QStringLiteral("取消"), looks[i]);
  }
  skin.Section(section);
  skin.Rect(QStringLiteral("WindowsRect"), bounds);
  skin.Image(QStringLiteral("NormalImage"), stem + QStringLiteral("_Normal.png"), sheets[0]);
  skin.Image(QStringLiteral("OverImage"), stem + QStringLiteral("_Over.png"), sheets[1]);
  skin.Image(QStringLiteral("DownImage"), stem + QStringLiteral("_Down.png"), sheets[2]);
  skin.Image(QStringLiteral("BackGroundMaskImage"), stem + QStringLiteral("_Mask.bmp"),
             theme::Mask(kDialogSize, outline, cutouts));
  skin.Number(QStringLiteral("Visable"), 1);
  skin.Rect(QStringLiteral("KeyOKRect"), kDialogOk);
  skin.Rect(QStringLiteral("KeyCancleRect"), kDialogCancel);
}

void DrawStepSlider(QPainter& painter, const QRect& rect, int cells, theme::Look look) {
  painter.save();
  painter.setRenderHint(QPainter::Antialiasing, false);
  painter.fillRect(rect, theme::kGroove);
  for (int i = 0; i < cells; ++i) {
    // Cell i covers the slider's i-th share of the width, as the slider counts them.
    const int left = rect.left() + i * rect.width() / cells;
    const int right = rect.left() + (i + 1) * rect.width() / cells;
    const QRect cell(left + 1, rect.top() + 3, right - left - 2, rect.height() - 6);
    if (look == theme::Look::Down) {
      QLinearGradient lit(cell.topLeft(), cell.bottomLeft());
      lit.setColorAt(0, theme::kAccentLight);
      lit.setColorAt(1, theme::kAccent);
      painter.fillRect(cell, lit);
    } else {
      painter.fillRect(cell, QColor(0x26, 0x2A, 0x33));
      painter.fillRect(QRect(cell.left(), cell.bottom(), cell.width(), 1), theme::kEdge);
    }
  }
  painter.restore();
}

}  // namespace page_theme
