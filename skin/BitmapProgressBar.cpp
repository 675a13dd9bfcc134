#include "skin/BitmapProgressBar.h"

#include <QPainter>

#include <cstdint>

#include "platform/ui/ImageFile.h"

CBitmapProgressBar::CBitmapProgressBar() { setFocusPolicy(Qt::NoFocus); }

CBitmapProgressBar::~CBitmapProgressBar() = default;

bool CBitmapProgressBar::Create(const QRect& rect, QWidget* parent, int id) {
  controlId_ = id;
  setParent(parent);
  setGeometry(rect);
  show();
  return true;
}

void CBitmapProgressBar::SetRange(int min, int max) {
  min_ = min;
  max_ = max;
}

void CBitmapProgressBar::SetPos(int position) {
  if (position > max_) position = max_;
  if (position < min_) position = min_;
  position_ = position;
  repaint();
}

void CBitmapProgressBar::SetImages(int x, int y, int w, int h, const QImage* backgroundSheet,
                                   const QImage* fillSheet) {
  const QRect block(x, y, w, h);
  background_ = ui::CutImage(backgroundSheet, block);
  fill_ = ui::CutImage(fillSheet, block);
}

int CBitmapProgressBar::FillWidth(int barWidth) const {
  const int64_t range = int64_t(max_) - min_;
  if (range <= 0) return 0;
  const int64_t f = (int64_t(position_) - min_) * barWidth / range;
  return static_cast<int>(qBound(int64_t(0), f, int64_t(qMax(0, barWidth))));
}

void CBitmapProgressBar::paintEvent(QPaintEvent*) {
  // Drawn off screen first, then copied in one go, so the bar never flickers.
  const QSize size = this->size();
  if (size.isEmpty()) return;
  QImage buffer(size, QImage::Format_ARGB32_Premultiplied);
  buffer.fill(Qt::transparent);
  {
    QPainter painter(&buffer);
    if (!background_.isNull()) painter.drawImage(QRect(QPoint(0, 0), size), background_);
    const int f = FillWidth(size.width());
    if (!fill_.isNull() && f > 0) {
      painter.drawImage(QPoint(0, 0), fill_, QRect(0, 0, f, size.height()));
    }
  }
  QPainter(this).drawImage(0, 0, buffer);
}
