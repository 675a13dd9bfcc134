#include "skin/DMarker.h"

#include <QMouseEvent>
#include <QPainter>

#include "platform/ui/ImageFile.h"

CDMarker::CDMarker() { setFocusPolicy(Qt::NoFocus); }

CDMarker::~CDMarker() = default;

bool CDMarker::Create(int left, int top, int right, int bottom, QWidget* parent, int id) {
  left_ = left;
  top_ = top;
  right_ = right;
  bottom_ = bottom;
  parent_ = parent;
  controlId_ = id;
  min_ = 0;
  max_ = 10;
  value_ = 0;
  dragging_ = 0;
  setParent(parent);
  setGeometry(left, top, qMax(0, right - left), qMax(0, bottom - top));
  show();
  return true;
}

void CDMarker::SetRange(int min, int max) {
  min_ = min;
  max_ = max;
}

void CDMarker::SetPos(int value) {
  value_ = value >= min_ && value <= max_ ? value : min_;
  repaint();
}

void CDMarker::SetImages(int x, int y, int w, int h, const QImage* backgroundSheet,
                         const QImage* fillSheet) {
  const QRect block(x, y, w, h);
  background_ = ui::CutImage(backgroundSheet, block);
  fill_ = ui::CutImage(fillSheet, block);
  update();
}

int CDMarker::ValueAtParentX(int x) const {
  const int64_t width = int64_t(right_) - left_;
  if (width <= 0) return min_;  // no track to measure against
  const int64_t X = qMax(int64_t(x), int64_t(left_));
  int64_t v = min_ + (int64_t(max_) - min_ + 1) * (X - left_) / width;
  if (v < min_) v = min_;
  if (v > max_) v = max_;
  return static_cast<int>(v);
}

int CDMarker::FillWidth() const {
  const int64_t width = int64_t(right_) - left_;
  const int64_t cells = int64_t(max_) - min_ + 1;
  if (width <= 0 || cells <= 0) return 0;
  const int64_t f = (int64_t(value_) - min_ + 1) * width / cells;
  return static_cast<int>(qBound(int64_t(0), f, width));
}

void CDMarker::paintEvent(QPaintEvent*) {
  QPainter painter(this);
  const int w = width();
  const int h = height();
  if (!background_.isNull()) painter.drawImage(QPoint(0, 0), background_, QRect(0, 0, w, h));
  const int f = FillWidth();
  if (!fill_.isNull() && f > 0) painter.drawImage(QPoint(0, 0), fill_, QRect(0, 0, f, h));
}

void CDMarker::mousePressEvent(QMouseEvent* event) {
  event->accept();
  if (event->button() != Qt::LeftButton) return;
  dragging_ = 1;
}

void CDMarker::mouseMoveEvent(QMouseEvent* event) {
  event->accept();
  if (!dragging_) return;
  if (!(event->buttons() & Qt::LeftButton)) {
    // The release went elsewhere: the drag is over, and hovering changes nothing.
    EndDrag();
    return;
  }
  value_ = ValueAtParentX(mapToParent(event->position().toPoint()).x());
  update();
}

void CDMarker::mouseReleaseEvent(QMouseEvent* event) {
  event->accept();
  if (event->button() != Qt::LeftButton) return;
  dragging_ = 0;
  value_ = ValueAtParentX(mapToParent(event->position().toPoint()).x());
  ui::PostMessage(parent_, WM_MARKER_POS, static_cast<ui::WPARAM>(value_), controlId_);
  update();
}

void CDMarker::focusOutEvent(QFocusEvent* event) {
  QWidget::focusOutEvent(event);
  EndDrag();
}

void CDMarker::hideEvent(QHideEvent* event) {
  QWidget::hideEvent(event);
  EndDrag();
}

void CDMarker::changeEvent(QEvent* event) {
  QWidget::changeEvent(event);
  if (event->type() == QEvent::EnabledChange && !isEnabled()) EndDrag();
}

bool CDMarker::event(QEvent* event) {
  // Another window taking the mouse ends the drag as well.
  if (event->type() == QEvent::WindowDeactivate || event->type() == QEvent::UngrabMouse) {
    EndDrag();
  }
  return QWidget::event(event);
}

void CDMarker::EndDrag() {
  if (!dragging_) return;
  dragging_ = 0;
  update();
}
