#include "MousePicturePage.h"

#include <QLinearGradient>

#include "PageSheet.h"
#include "Theme.h"

namespace {

using theme::Look;

// The right part of the page area; the button rows of the KeyDefine tab take the left.
const QRect kPlace(392, 116, 228, 372);

constexpr int kMarkerSize = 22;

// Where each of the ten buttons is on the picture, and where its marker sits.
struct Marker {
  QPoint button;
  QPoint marker;  // top-left
};

}  // namespace

void WriteMousePicturePage(SkinWriter& skin) {
  PageSheet sheet(kPlace);
  const QPointF c(kPlace.center().x(), kPlace.center().y() + 6);
  const qreal w = 118;
  const qreal h = 214;
  // Buttons: left, right, middle, forward, DPI, mode, backward, the top button, wheel up,
  // wheel down.
  const Marker markers[10] = {
      {QPoint(int(c.x() - 30), int(c.y() - 70)), QPoint(kPlace.left() + 10, kPlace.top() + 40)},
      {QPoint(int(c.x() + 30), int(c.y() - 70)),
       QPoint(kPlace.right() - 10 - kMarkerSize, kPlace.top() + 40)},
      {QPoint(int(c.x()), int(c.y() - 88)), QPoint(int(c.x()) - kMarkerSize / 2, kPlace.top() + 12)},
      {QPoint(int(c.x() - w * 0.48), int(c.y() - 6)), QPoint(kPlace.left() + 10, int(c.y() - 30))},
      {QPoint(int(c.x()), int(c.y() - 34)),
       QPoint(kPlace.right() - 10 - kMarkerSize, int(c.y() - 22))},
      {QPoint(int(c.x()), int(c.y() - 14)),
       QPoint(kPlace.right() - 10 - kMarkerSize, int(c.y() + 12))},
      {QPoint(int(c.x() - w * 0.46), int(c.y() + 24)), QPoint(kPlace.left() + 10, int(c.y() + 10))},
      {QPoint(int(c.x() + w * 0.44), int(c.y() + 30)),
       QPoint(kPlace.right() - 10 - kMarkerSize, int(c.y() + 46))},
      {QPoint(int(c.x() + 4), int(c.y() - 78)),
       QPoint(kPlace.right() - 10 - kMarkerSize, kPlace.top() + 76)},
      {QPoint(int(c.x() + 4), int(c.y() - 58)),
       QPoint(kPlace.right() - 10 - kMarkerSize, kPlace.top() + 108)},
  };

  sheet.DrawAll([&](QPainter& painter, Look look) {
    painter.setRenderHint(QPainter::Antialiasing, true);
    // The body.
    const QPainterPath body = theme::MouseBody(c, w, h);
    QLinearGradient shade(c - QPointF(0, h / 2), c + QPointF(0, h / 2));
    shade.setColorAt(0, QColor(0x2C, 0x32, 0x3D));
    shade.setColorAt(1, QColor(0x18, 0x1B, 0x21));
    painter.fillPath(body, shade);
    painter.setPen(QPen(theme::kAccent, 2));
    painter.drawPath(body);
    painter.setPen(QPen(theme::kEdge, 2));
    painter.drawLine(QPointF(c.x(), c.y() - h / 2 + 2), QPointF(c.x(), c.y() - h * 0.12));
    painter.drawLine(QPointF(c.x() - w * 0.47, c.y() - h * 0.12),
                     QPointF(c.x() + w * 0.47, c.y() - h * 0.12));
    // The wheel, the two buttons behind it and the side buttons.
    painter.setPen(QPen(theme::kAccentLight, 2));
    painter.setBrush(QColor(0x12, 0x4F, 0x86));
    painter.drawRoundedRect(QRectF(c.x() - 6, c.y() - 92, 12, 40), 6, 6);
    painter.setPen(QPen(theme::kEdge, 1));
    painter.setBrush(QColor(0x33, 0x38, 0x44));
    painter.drawRoundedRect(QRectF(c.x() - 8, c.y() - 42, 16, 14), 3, 3);
    painter.drawRoundedRect(QRectF(c.x() - 8, c.y() - 22, 16, 14), 3, 3);
    painter.drawRoundedRect(QRectF(c.x() - w * 0.52, c.y() - 16, 8, 22), 3, 3);
    painter.drawRoundedRect(QRectF(c.x() - w * 0.50, c.y() + 14, 8, 22), 3, 3);
    painter.drawRoundedRect(QRectF(c.x() + w * 0.40, c.y() + 20, 8, 20), 3, 3);
    // The light strip.
    painter.setPen(QPen(theme::kAccentLight, 3, Qt::SolidLine, Qt::RoundCap));
    painter.drawLine(QPointF(c.x() - w * 0.26, c.y() + h * 0.40),
                     QPointF(c.x() + w * 0.26, c.y() + h * 0.40));

    for (const Marker& m : markers) {
      const QRect r(m.marker, QSize(kMarkerSize, kMarkerSize));
      // The leader from the marker to its button.
      painter.setPen(QPen(QColor(0x5C, 0xB3, 0xFF, 120), 1, Qt::DashLine));
      painter.drawLine(QPointF(r.center()), QPointF(m.button));
      painter.setPen(Qt::NoPen);
      painter.setBrush(theme::kAccentLight);
      painter.drawEllipse(QPointF(m.button), 2.5, 2.5);
      // The marker: a ring, lit when its button is the one pointed at.
      const bool lit = look != Look::Normal;
      painter.setPen(QPen(lit ? QColor(Qt::white) : theme::kAccent, 2));
      painter.setBrush(lit ? theme::kAccent : QColor(0x16, 0x19, 0x1F));
      painter.drawEllipse(QRectF(r).adjusted(1, 1, -1, -1));
    }
  });

  skin.Section(QStringLiteral("MousePictruePage"));
  sheet.Write(skin, QStringLiteral("MousePicture"));
  for (int i = 0; i < 10; ++i) {
    skin.Rect(QStringLiteral("KeyImageRect_%1").arg(i),
              QRect(markers[i].marker, QSize(kMarkerSize, kMarkerSize)));
  }
}
