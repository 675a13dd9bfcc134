#include "Theme.h"

#include <QLinearGradient>
#include <QPainterPath>
#include <QStringList>

namespace theme {

QFont Font(int pixels, QFont::Weight weight) {
  QFont font;
  font.setFamilies(QStringList{QStringLiteral("Noto Sans CJK SC"), QStringLiteral("Noto Sans SC"),
                               QStringLiteral("Source Han Sans SC"),
                               QStringLiteral("WenQuanYi Micro Hei"), QStringLiteral("sans-serif")});
  font.setStyleHint(QFont::SansSerif);
  font.setPixelSize(pixels);
  font.setWeight(weight);
  return font;
}

QPolygon ChamferedOutline(const QRect& rect, int cut, int smallCut) {
  const int l = rect.left();
  const int t = rect.top();
  const int r = rect.right() + 1;
  const int b = rect.bottom() + 1;
  QPolygon outline;
  outline << QPoint(l + cut, t) << QPoint(r - smallCut, t) << QPoint(r, t + smallCut)
          << QPoint(r, b - cut) << QPoint(r - cut, b) << QPoint(l + smallCut, b)
          << QPoint(l, b - smallCut) << QPoint(l, t + cut);
  return outline;
}

std::vector<QPolygon> Cutouts(QPoint origin, int count, int w, int h, int step) {
  std::vector<QPolygon> cutouts;
  for (int i = 0; i < count; ++i) {
    const QPoint o = origin + QPoint(i * step, 0);
    QPolygon p;
    p << o + QPoint(h, 0) << o + QPoint(h + w, 0) << o + QPoint(w, h) << o + QPoint(0, h);
    cutouts.push_back(p);
  }
  return cutouts;
}

namespace {
void FillPolygon(QPainter& painter, const QPolygon& polygon, const QBrush& brush) {
  QPainterPath path;
  path.addPolygon(polygon);
  path.closeSubpath();
  painter.fillPath(path, brush);
}

// `outline` moved inward by `by` pixels (the outlines are convex with 45-degree corners).
QPolygon Inset(const QPolygon& outline, int by) {
  const QPoint c = outline.boundingRect().center();
  QPolygon inner;
  for (const QPoint& p : outline) {
    const int dx = p.x() < c.x() ? by : -by;
    const int dy = p.y() < c.y() ? by : -by;
    inner << p + QPoint(dx, dy);
  }
  return inner;
}
}  // namespace

void DrawBody(QPainter& painter, const QPolygon& outline, const QRect& bounds) {
  painter.save();
  painter.setRenderHint(QPainter::Antialiasing, false);
  FillPolygon(painter, outline, kAccent);
  FillPolygon(painter, Inset(outline, 1), kAccentDark);
  QLinearGradient body(bounds.topLeft(), bounds.bottomLeft());
  body.setColorAt(0, kBodyTop);
  body.setColorAt(1, kBodyBottom);
  FillPolygon(painter, Inset(outline, 2), body);
  painter.restore();
}

QImage Mask(QSize size, const QPolygon& outline, const std::vector<QPolygon>& cutouts) {
  QImage mask(size, QImage::Format_RGB32);
  mask.fill(kMaskOutside);
  QPainter painter(&mask);
  painter.setRenderHint(QPainter::Antialiasing, false);
  FillPolygon(painter, outline, kMaskKept);
  for (const QPolygon& cutout : cutouts) FillPolygon(painter, cutout, kMaskSlot);
  return mask;
}

void DrawDialogHeader(QPainter& painter, const QRect& strip, const QString& title,
                      const std::vector<QPolygon>& cutouts) {
  painter.save();
  painter.setRenderHint(QPainter::Antialiasing, false);
  painter.fillRect(QRect(strip.left(), strip.bottom(), strip.width(), 1), kEdge);
  painter.fillRect(QRect(strip.left(), strip.top() + 8, 4, strip.height() - 16), kAccent);
  for (const QPolygon& cutout : cutouts) {
    painter.setPen(kAccentLight);
    painter.setBrush(Qt::NoBrush);
    painter.drawPolygon(cutout);
  }
  painter.setRenderHint(QPainter::TextAntialiasing, true);
  painter.setFont(Font(15, QFont::Bold));
  painter.setPen(kText);
  painter.drawText(strip.adjusted(14, 0, 0, 0), Qt::AlignLeft | Qt::AlignVCenter, title);
  painter.restore();
}

void DrawButton(QPainter& painter, const QRect& rect, const QString& caption, Look look) {
  painter.save();
  painter.setRenderHint(QPainter::Antialiasing, false);
  const QPolygon outline = ChamferedOutline(rect, 8, 3);
  const QColor rim = look == Look::Normal ? kEdge : kAccentLight;
  QColor top = look == Look::Down ? kAccent : look == Look::Over ? QColor(0x3A, 0x40, 0x4C)
                                                                 : QColor(0x30, 0x34, 0x3D);
  QColor bottom = look == Look::Down ? kAccentDark : QColor(0x1E, 0x21, 0x27);
  FillPolygon(painter, outline, rim);
  QLinearGradient face(rect.topLeft(), rect.bottomLeft());
  face.setColorAt(0, top);
  face.setColorAt(1, bottom);
  FillPolygon(painter, Inset(outline, 1), face);
  if (look == Look::Over) {
    // A lit strip along the bottom edge marks the hovered button.
    painter.fillRect(QRect(rect.left() + 10, rect.bottom() - 2, rect.width() - 20, 2), kAccent);
  }
  painter.setRenderHint(QPainter::Antialiasing, true);
  painter.setRenderHint(QPainter::TextAntialiasing, true);
  const QRect textRect = look == Look::Down ? rect.translated(1, 1) : rect;
  DrawCentredText(painter, textRect, caption, Font(15, QFont::DemiBold),
                  look == Look::Normal ? kText : Qt::white);
  painter.restore();
}

QPainterPath MouseBody(QPointF c, qreal w, qreal h) {
  QPainterPath body;
  body.moveTo(c.x(), c.y() - h / 2);
  body.cubicTo(c.x() + w * 0.62, c.y() - h / 2, c.x() + w / 2, c.y() + h * 0.05, c.x() + w * 0.46,
               c.y() + h * 0.22);
  body.cubicTo(c.x() + w * 0.40, c.y() + h / 2, c.x() - w * 0.40, c.y() + h / 2, c.x() - w * 0.46,
               c.y() + h * 0.22);
  body.cubicTo(c.x() - w / 2, c.y() + h * 0.05, c.x() - w * 0.62, c.y() - h / 2, c.x(),
               c.y() - h / 2);
  return body;
}

void DrawCentredText(QPainter& painter, const QRect& rect, const QString& text, const QFont& font,
                     const QColor& colour) {
  painter.save();
  painter.setRenderHint(QPainter::TextAntialiasing, true);
  painter.setFont(font);
  painter.setPen(colour);
  painter.drawText(rect, Qt::AlignCenter, text);
  painter.restore();
}

QImage Canvas(QSize size) {
  QImage image(size, QImage::Format_ARGB32_Premultiplied);
  image.fill(kBodyBottom);
  return image;
}

void DrawTitleStrip(QPainter& painter, const QRect& strip, const QString& title,
                    const std::vector<QPolygon>& cutouts) {
  painter.save();
  painter.setRenderHint(QPainter::Antialiasing, false);
  painter.fillRect(QRect(strip.left(), strip.bottom(), strip.width(), 1), kEdge);
  painter.fillRect(QRect(strip.left(), strip.top() + 8, 4, strip.height() - 16), kAccent);
  for (const QPolygon& cutout : cutouts) {
    painter.setPen(kAccentLight);
    painter.setBrush(Qt::NoBrush);
    painter.drawPolygon(cutout);
  }
  painter.setRenderHint(QPainter::TextAntialiasing, true);
  painter.setFont(Font(15, QFont::Bold));
  painter.setPen(kText);
  painter.drawText(strip.adjusted(14, 0, 0, 0), Qt::AlignLeft | Qt::AlignVCenter, title);
  painter.restore();
}

}  // namespace theme
