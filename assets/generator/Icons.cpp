#include "Icons.h"

#include <QDir>
#include <QLinearGradient>
#include <QPainterPath>

#include "Theme.h"

namespace {

QImage Blank(int size) {
  QImage image(size, size, QImage::Format_ARGB32_Premultiplied);
  image.fill(Qt::transparent);
  return image;
}

// The skin's chamfered outline at icon scale.
QPainterPath Tile(double size) {
  const double c = size * 0.22;
  const double s = size * 0.08;
  QPainterPath path;
  path.moveTo(c, 0);
  path.lineTo(size - s, 0);
  path.lineTo(size, s);
  path.lineTo(size, size - c);
  path.lineTo(size - c, size);
  path.lineTo(s, size);
  path.lineTo(0, size - s);
  path.lineTo(0, c);
  path.closeSubpath();
  return path;
}

}  // namespace

QImage DrawApplicationIcon(int size) {
  QImage image = Blank(size);
  QPainter p(&image);
  p.setRenderHint(QPainter::Antialiasing);
  const double u = size / 256.0;
  QLinearGradient body(0, 0, 0, size);
  body.setColorAt(0, theme::kBodyTop);
  body.setColorAt(1, theme::kBodyBottom);
  p.fillPath(Tile(size), body);
  p.setPen(QPen(theme::kAccent, qMax(1.0, 8 * u)));
  p.drawPath(Tile(size - 8 * u).translated(4 * u, 4 * u));

  // A mouse seen from above: body, the split between its two buttons, the wheel.
  const QRectF mouse(78 * u, 40 * u, 100 * u, 168 * u);
  QPainterPath shell;
  shell.addRoundedRect(mouse, 50 * u, 56 * u);
  p.fillPath(shell, theme::kPanel);
  p.setPen(QPen(theme::kAccentLight, qMax(1.0, 6 * u)));
  p.drawPath(shell);
  p.setPen(QPen(theme::kEdge, qMax(1.0, 4 * u)));
  p.drawLine(QPointF(128 * u, 44 * u), QPointF(128 * u, 104 * u));
  p.drawLine(QPointF(80 * u, 104 * u), QPointF(176 * u, 104 * u));
  p.setPen(Qt::NoPen);
  p.setBrush(theme::kAccent);
  p.drawRoundedRect(QRectF(120 * u, 58 * u, 16 * u, 32 * u), 8 * u, 8 * u);
  return image;
}

QImage DrawAutoRunIcon(bool on) {
  QImage image = Blank(16);
  QPainter p(&image);
  p.setRenderHint(QPainter::Antialiasing);
  p.fillPath(Tile(16), on ? theme::kAccent : theme::kPanel);
  p.setPen(QPen(on ? theme::kText : theme::kTextDim, 1.6, Qt::SolidLine, Qt::RoundCap));
  // A power sign: an open ring and its stroke.
  p.drawArc(QRectF(4, 4.5, 8, 8), 120 * 16, 300 * 16);
  p.drawLine(QPointF(8, 2.8), QPointF(8, 8));
  return image;
}

bool WriteIcons(const QString& programFolder) {
  const QString folder = programFolder + QStringLiteral("/Icons");
  if (!QDir().mkpath(folder)) return false;
  bool ok = DrawApplicationIcon(256).save(folder + QStringLiteral("/128.png"), "PNG");
  ok = DrawApplicationIcon(48).save(folder + QStringLiteral("/128-48.png"), "PNG") && ok;
  ok = DrawAutoRunIcon(true).save(folder + QStringLiteral("/135.png"), "PNG") && ok;
  ok = DrawAutoRunIcon(false).save(folder + QStringLiteral("/136.png"), "PNG") && ok;
  return ok;
}
