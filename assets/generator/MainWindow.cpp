#include "MainWindow.h"

#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>

#include "Theme.h"

namespace {

using theme::Look;

enum class Kind { Tab, Mode, Command };

struct Button {
  const char* key;
  QRect rect;
  const char16_t* caption;
  Kind kind;
};

// The page tabs run along the top of the page area, the modes and the profile commands down the
// right-hand column, and the dialog commands along the bottom.
const Button kButtons[] = {
    {"KeyKeyDefineSettingRect", QRect(24, 68, 132, 40), u"按键设置", Kind::Tab},
    {"KeyLightSettingRect", QRect(164, 68, 132, 40), u"灯光设置", Kind::Tab},
    {"KeySensitivitySettingRect", QRect(304, 68, 132, 40), u"灵敏度", Kind::Tab},
    {"KeyAdvanceSettingRect", QRect(444, 68, 132, 40), u"高级设置", Kind::Tab},
    {"KeyConfigFile1Rect", QRect(652, 108, 172, 44), u"模式 1", Kind::Mode},
    {"KeyConfigFile2Rect", QRect(652, 162, 172, 44), u"模式 2", Kind::Mode},
    {"KeyConfigFile3Rect", QRect(652, 216, 172, 44), u"模式 3", Kind::Mode},
    {"KeyConfigFile4Rect", QRect(652, 270, 172, 44), u"模式 4", Kind::Mode},
    {"KeyCreateConfigFileRect", QRect(652, 374, 82, 40), u"新建", Kind::Command},
    {"KeyModifyConfigFileRect", QRect(742, 374, 82, 40), u"修改", Kind::Command},
    {"KeyLoadConfigFileRect", QRect(652, 422, 82, 40), u"导入", Kind::Command},
    {"KeySaveConfigFileRect", QRect(742, 422, 82, 40), u"导出", Kind::Command},
    {"KeyDefaultRect", QRect(24, 508, 120, 36), u"恢复默认", Kind::Command},
    {"KeyOKRect", QRect(460, 508, 120, 36), u"确定", Kind::Command},
    {"KeyCancelRect", QRect(588, 508, 120, 36), u"取消", Kind::Command},
    {"KeyApplyRect", QRect(716, 508, 120, 36), u"应用", Kind::Command},
};

const QRect kSideColumn(636, 68, 204, 420);

void FillPolygon(QPainter& painter, const QPolygon& polygon, const QBrush& brush) {
  QPainterPath path;
  path.addPolygon(polygon);
  path.closeSubpath();
  painter.fillPath(path, brush);
}

// A tab: dim text on the body; lit text over an accent rule when hovered; a raised face with a
// full accent rule when its page is shown (the checked look is the down sheet).
void DrawTab(QPainter& painter, const QRect& rect, const QString& caption, Look look) {
  painter.save();
  painter.setRenderHint(QPainter::Antialiasing, false);
  if (look != Look::Normal) {
    const QPolygon outline = theme::ChamferedOutline(rect, 10, 0);
    QLinearGradient face(rect.topLeft(), rect.bottomLeft());
    face.setColorAt(0, look == Look::Down ? QColor(0x2F, 0x3C, 0x4E) : QColor(0x2C, 0x31, 0x3A));
    face.setColorAt(1, look == Look::Down ? QColor(0x1B, 0x26, 0x34) : QColor(0x20, 0x23, 0x2A));
    FillPolygon(painter, outline, face);
  }
  const int rule = look == Look::Down ? 3 : look == Look::Over ? 2 : 1;
  const QColor ruleColour = look == Look::Normal ? theme::kEdge : theme::kAccent;
  painter.fillRect(QRect(rect.left(), rect.bottom() - rule + 1, rect.width(), rule), ruleColour);
  theme::DrawCentredText(painter, rect.adjusted(0, 0, 0, -2), caption,
                         theme::Font(16, look == Look::Down ? QFont::Bold : QFont::DemiBold),
                         look == Look::Normal ? theme::kTextDim : Qt::white);
  painter.restore();
}

// A mode button: a numbered badge and the caption; the current mode (down sheet) is filled with
// the accent.
void DrawModeButton(QPainter& painter, const QRect& rect, int number, const QString& caption,
                    Look look) {
  painter.save();
  painter.setRenderHint(QPainter::Antialiasing, false);
  const QPolygon outline = theme::ChamferedOutline(rect, 10, 3);
  FillPolygon(painter, outline, look == Look::Normal ? theme::kEdge : theme::kAccentLight);
  QLinearGradient face(rect.topLeft(), rect.bottomLeft());
  if (look == Look::Down) {
    face.setColorAt(0, theme::kAccent);
    face.setColorAt(1, theme::kAccentDark);
  } else {
    face.setColorAt(0, look == Look::Over ? QColor(0x36, 0x3C, 0x48) : QColor(0x2B, 0x2F, 0x37));
    face.setColorAt(1, QColor(0x1B, 0x1E, 0x24));
  }
  const QPolygon inner = theme::ChamferedOutline(rect.adjusted(1, 1, -1, -1), 9, 2);
  FillPolygon(painter, inner, face);

  const QRect badge(rect.left() + 12, rect.top() + (rect.height() - 24) / 2, 24, 24);
  const QPolygon badgeOutline = theme::ChamferedOutline(badge, 6, 0);
  FillPolygon(painter, badgeOutline, look == Look::Down ? QColor(255, 255, 255, 60)
                                                        : QColor(theme::kAccent));
  theme::DrawCentredText(painter, badge, QString::number(number), theme::Font(14, QFont::Bold),
                         Qt::white);
  theme::DrawCentredText(painter, rect.adjusted(44, 0, -8, 0), caption,
                         theme::Font(16, QFont::DemiBold),
                         look == Look::Normal ? theme::kText : Qt::white);
  if (look == Look::Down) {
    // A small marker at the right edge points at the page area's mode.
    QPolygon marker;
    marker << QPoint(rect.right() - 16, rect.center().y() - 5)
           << QPoint(rect.right() - 10, rect.center().y())
           << QPoint(rect.right() - 16, rect.center().y() + 5);
    painter.setRenderHint(QPainter::Antialiasing, true);
    painter.setPen(Qt::NoPen);
    painter.setBrush(Qt::white);
    painter.drawPolygon(marker);
  }
  painter.restore();
}

// A label of the side column: a short accent bar and dim text.
void DrawColumnLabel(QPainter& painter, const QRect& rect, const QString& text) {
  painter.fillRect(QRect(rect.left(), rect.top() + 6, 3, rect.height() - 12), theme::kAccent);
  painter.save();
  painter.setRenderHint(QPainter::TextAntialiasing, true);
  painter.setFont(theme::Font(14, QFont::DemiBold));
  painter.setPen(theme::kTextDim);
  painter.drawText(rect.adjusted(10, 0, 0, 0), Qt::AlignLeft | Qt::AlignVCenter, text);
  painter.restore();
}

// A quiet outline of the mouse in the middle of the page area, seen until the pages cover it.
void DrawMouseOutline(QPainter& painter, const QRect& area) {
  painter.save();
  painter.setRenderHint(QPainter::Antialiasing, true);
  const QPointF c = QRectF(area).center() - QPointF(0, 14);
  const qreal w = 120;
  const qreal h = 190;
  const QPainterPath body = theme::MouseBody(c, w, h);
  QLinearGradient shade(c - QPointF(0, h / 2), c + QPointF(0, h / 2));
  shade.setColorAt(0, QColor(0x24, 0x2A, 0x34));
  shade.setColorAt(1, QColor(0x17, 0x1A, 0x20));
  painter.fillPath(body, shade);
  painter.setPen(QPen(QColor(theme::kAccent.red(), theme::kAccent.green(), theme::kAccent.blue(),
                             110),
                      2));
  painter.drawPath(body);
  // The split between the two keys and the wheel.
  painter.setPen(QPen(QColor(0x45, 0x4B, 0x57), 2));
  painter.drawLine(QPointF(c.x(), c.y() - h / 2 + 2), QPointF(c.x(), c.y() - h * 0.12));
  painter.drawLine(QPointF(c.x() - w * 0.47, c.y() - h * 0.12),
                   QPointF(c.x() + w * 0.47, c.y() - h * 0.12));
  const QRectF wheel(c.x() - 7, c.y() - h * 0.36, 14, 34);
  painter.setPen(QPen(theme::kAccent, 2));
  painter.setBrush(QColor(0x12, 0x4F, 0x86, 160));
  painter.drawRoundedRect(wheel, 7, 7);
  // The light strip of the mouse's lower edge.
  painter.setPen(QPen(theme::kAccentLight, 3, Qt::SolidLine, Qt::RoundCap));
  painter.drawLine(QPointF(c.x() - w * 0.26, c.y() + h * 0.40),
                   QPointF(c.x() + w * 0.26, c.y() + h * 0.40));
  painter.restore();

  theme::DrawCentredText(painter, QRect(area.left(), int(c.y() + h / 2 + 14), area.width(), 22),
                         QStringLiteral("KAVRIN DIREZERUD"), theme::Font(13, QFont::DemiBold),
                         QColor(0x5A, 0x62, 0x70));
}

// The page area: a sunken panel with a rim and corner ticks.
void DrawPageArea(QPainter& painter, const QRect& area) {
  painter.save();
  painter.setRenderHint(QPainter::Antialiasing, false);
  painter.fillRect(area.adjusted(-1, -1, 1, 1), theme::kEdge);
  QLinearGradient panel(area.topLeft(), area.bottomLeft());
  panel.setColorAt(0, QColor(0x13, 0x15, 0x1A));
  panel.setColorAt(1, QColor(0x0F, 0x11, 0x15));
  painter.fillRect(area, panel);
  // Corner ticks in the accent.
  const int t = 14;
  const QColor tick = theme::kAccent;
  painter.fillRect(QRect(area.left(), area.top(), t, 2), tick);
  painter.fillRect(QRect(area.left(), area.top(), 2, t), tick);
  painter.fillRect(QRect(area.right() - t + 1, area.bottom() - 1, t, 2), tick);
  painter.fillRect(QRect(area.right() - 1, area.bottom() - t + 1, 2, t), tick);
  // A faint grid, one line every 24 pixels.
  const QColor grid(255, 255, 255, 8);
  for (int x = area.left() + 24; x < area.right(); x += 24)
    painter.fillRect(QRect(x, area.top() + 1, 1, area.height() - 2), grid);
  for (int y = area.top() + 24; y < area.bottom(); y += 24)
    painter.fillRect(QRect(area.left() + 1, y, area.width() - 2, 1), grid);
  painter.restore();
  DrawMouseOutline(painter, area);
}

// The header: brand, subtitle and the see-through cutouts.
void DrawHeader(QPainter& painter, const QRect& strip, const std::vector<QPolygon>& cutouts) {
  painter.save();
  painter.setRenderHint(QPainter::Antialiasing, false);
  painter.fillRect(QRect(strip.left(), strip.bottom(), strip.width(), 1), theme::kEdge);
  painter.fillRect(QRect(strip.left(), strip.top() + 10, 4, strip.height() - 20), theme::kAccent);
  for (const QPolygon& cutout : cutouts) {
    painter.setPen(theme::kAccentLight);
    painter.setBrush(Qt::NoBrush);
    painter.drawPolygon(cutout);
  }
  painter.setRenderHint(QPainter::TextAntialiasing, true);
  const QFont brand = theme::Font(20, QFont::Black);
  painter.setFont(brand);
  painter.setPen(theme::kText);
  const QRect brandRect = strip.adjusted(18, 0, 0, 0);
  painter.drawText(brandRect, Qt::AlignLeft | Qt::AlignVCenter, QStringLiteral("KAVRIN"));
  const int brandWidth = QFontMetrics(brand).horizontalAdvance(QStringLiteral("KAVRIN "));
  painter.setPen(theme::kAccentLight);
  painter.drawText(brandRect.adjusted(brandWidth, 0, 0, 0), Qt::AlignLeft | Qt::AlignVCenter,
                   QStringLiteral("DIREZERUD"));
  const int fullWidth = QFontMetrics(brand).horizontalAdvance(QStringLiteral("KAVRIN DIREZERUD"));
  painter.fillRect(QRect(brandRect.left() + fullWidth + 16, strip.top() + 14, 1,
                         strip.height() - 28),
                   theme::kEdge);
  painter.setFont(theme::Font(15));
  painter.setPen(theme::kTextDim);
  painter.drawText(brandRect.adjusted(fullWidth + 32, 0, 0, 0), Qt::AlignLeft | Qt::AlignVCenter,
                   QStringLiteral("游戏鼠标设置"));
  painter.restore();
}

// The right-hand column: a panel with the labels of the modes and the profile commands.
void DrawSideColumn(QPainter& painter) {
  painter.save();
  painter.setRenderHint(QPainter::Antialiasing, false);
  const QPolygon outline = theme::ChamferedOutline(kSideColumn, 12, 0);
  FillPolygon(painter, outline, theme::kEdge);
  QLinearGradient panel(kSideColumn.topLeft(), kSideColumn.bottomLeft());
  panel.setColorAt(0, QColor(0x20, 0x23, 0x2A));
  panel.setColorAt(1, QColor(0x18, 0x1A, 0x20));
  FillPolygon(painter, theme::ChamferedOutline(kSideColumn.adjusted(1, 1, -1, -1), 11, 0), panel);
  painter.restore();
  DrawColumnLabel(painter, QRect(652, 74, 172, 28), QStringLiteral("工作模式"));
  painter.fillRect(QRect(652, 332, 172, 1), theme::kEdge);
  DrawColumnLabel(painter, QRect(652, 340, 172, 28), QStringLiteral("配置文件"));
}

void DrawSheet(QImage& sheet, Look look, const QPolygon& outline,
               const std::vector<QPolygon>& cutouts) {
  const QRect bounds(QPoint(0, 0), theme::kMainWindowSize);
  QPainter painter(&sheet);
  theme::DrawBody(painter, outline, bounds);
  DrawHeader(painter, QRect(8, 8, bounds.width() - 16, 50), cutouts);
  DrawPageArea(painter, theme::kPageArea);
  DrawSideColumn(painter);
  painter.fillRect(QRect(20, 497, bounds.width() - 40, 1), theme::kEdge);
  int mode = 1;
  for (const Button& b : kButtons) {
    const QString caption = QString::fromUtf16(b.caption);
    switch (b.kind) {
      case Kind::Tab:
        DrawTab(painter, b.rect, caption, look);
        break;
      case Kind::Mode:
        DrawModeButton(painter, b.rect, mode++, caption, look);
        break;
      case Kind::Command:
        theme::DrawButton(painter, b.rect, caption, look);
        break;
    }
  }
}

}  // namespace

void WriteMainWindow(SkinWriter& skin) {
  const QSize size = theme::kMainWindowSize;
  const QRect bounds(QPoint(0, 0), size);
  const QPolygon outline = theme::ChamferedOutline(bounds, 28, 8);
  const std::vector<QPolygon> cutouts = theme::Cutouts(QPoint(758, 24), 3, 12, 18, 20);

  QImage sheets[3];
  const Look looks[3] = {Look::Normal, Look::Over, Look::Down};
  for (int i = 0; i < 3; ++i) {
    sheets[i] = QImage(size, QImage::Format_ARGB32_Premultiplied);
    sheets[i].fill(theme::kBodyBottom);
    DrawSheet(sheets[i], looks[i], outline, cutouts);
  }

  skin.Section(QStringLiteral("MainWindow"));
  // The background is the normal sheet: the buttons' normal faces sit where they are drawn.
  skin.Image(QStringLiteral("BackGroundImage"), QStringLiteral("MainWindow_BackGround.png"),
             sheets[0]);
  skin.Image(QStringLiteral("BackGroundMaskImage"), QStringLiteral("MainWindow_Mask.bmp"),
             theme::Mask(size, outline, cutouts));
  skin.Image(QStringLiteral("NormalImage"), QStringLiteral("MainWindow_Normal.png"), sheets[0]);
  skin.Image(QStringLiteral("OverImage"), QStringLiteral("MainWindow_Over.png"), sheets[1]);
  skin.Image(QStringLiteral("DownImage"), QStringLiteral("MainWindow_Down.png"), sheets[2]);
  for (const Button& b : kButtons) skin.Rect(QString::fromLatin1(b.key), b.rect);
}
