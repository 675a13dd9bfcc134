#include "KeyDefineSettingPage.h"

#include <QPainter>

#include "PageSheet.h"
#include "Theme.h"

namespace {

using theme::Look;

// The left part of the page area; the mouse picture takes the right.
const QRect kPlace(theme::kPageArea.left(), theme::kPageArea.top(), 372,
                   theme::kPageArea.height());

constexpr int kRows = 10;
constexpr int kFirstRowY = 152;
constexpr int kRowPitch = 32;

QRect RowRect(int i) { return QRect(150, kFirstRowY + i * kRowPitch, 222, 26); }

// The buttons in the order of the mouse picture's markers.
const char16_t* const kButtonNames[kRows] = {u"左键",   u"右键",   u"中键",   u"前进键",
                                             u"DPI 键", u"模式键", u"后退键", u"顶部键",
                                             u"滚轮上", u"滚轮下"};

// A row: a field with a small arrow at its right end that tells a menu opens from it.
void DrawRow(QPainter& painter, const QRect& rect, Look look) {
  theme::DrawButton(painter, rect, QString(), look);
  painter.save();
  painter.setRenderHint(QPainter::Antialiasing, true);
  painter.setPen(Qt::NoPen);
  painter.setBrush(look == Look::Normal ? theme::kTextDim : QColor(Qt::white));
  const int x = rect.right() - 16;
  const int y = rect.center().y() - 2;
  painter.drawPolygon(QPolygon({QPoint(x, y), QPoint(x + 8, y), QPoint(x + 4, y + 5)}));
  painter.restore();
}

}  // namespace

void WriteKeyDefineSettingPage(SkinWriter& skin) {
  PageSheet sheet(kPlace);
  sheet.DrawAll([](QPainter& painter, Look look) {
    page_theme::DrawGroupTitle(painter, QRect(40, 124, 332, 22), QStringLiteral("按键功能"));
    for (int i = 0; i < kRows; ++i) {
      const QRect row = RowRect(i);
      page_theme::DrawLabel(painter, QRect(40, row.top() - 1, 104, row.height() + 2),
                            QString::fromUtf16(kButtonNames[i]));
      DrawRow(painter, row, look);
    }
  });
  skin.Section(QStringLiteral("KeyDefineSettingPage"));
  sheet.Write(skin, QStringLiteral("KeyDefineSetting"));
  for (int i = 0; i < kRows; ++i) skin.Rect(QStringLiteral("KeyWindowRect_%1").arg(i), RowRect(i));
}
