#include "skin/PngHSlider.h"

#include <QMouseEvent>
#include <QPainter>

#include "platform/ui/ImageFile.h"
#include "platform/ui/Region.h"

int TrackValue(int x, int trackLeft, int trackRight, int min, int max) {
  if (trackRight - trackLeft <= 0) return min;  // no track to measure against
  const float step = static_cast<float>(max - min) / static_cast<float>(trackRight - trackLeft);
  const float scaled = step * static_cast<float>(x - trackLeft);
  const float v = scaled + static_cast<float>(min);
  int n = static_cast<int>(v);
  if (v - static_cast<float>(n) > 0.5f) ++n;
  if (n < min) n = min;
  if (n > max) n = max;
  return n;
}

// ---- thumb

CPngHSlider::CPngHSlider() { setFocusPolicy(Qt::NoFocus); }

CPngHSlider::~CPngHSlider() = default;

bool CPngHSlider::Create(const QString& pngFile, int minX, int top, int maxX, int bottom,
                         QWidget* owner, int id, bool shaped) {
  minX_ = minX;
  top_ = top;
  maxX_ = maxX;
  bottom_ = bottom;
  owner_ = owner;
  controlId_ = id;
  image_ = ui::LoadImageFile(pngFile);
  width_ = image_.width();
  height_ = image_.height();
  setParent(owner);
  setGeometry(0, 0, width_, height_);
  raise();
  if (shaped) {
    region_ = ui::CreateRegionFromColorKey(image_);
    if (!region_.isEmpty()) setMask(region_);
  }
  show();
  return true;
}

void CPngHSlider::SetRange(int min, int max) {
  min_ = min;
  max_ = max;
}

void CPngHSlider::SetTrackRect(int left, int top, int right, int bottom) {
  trackLeft_ = left;
  trackTop_ = top;
  trackRight_ = right;
  trackBottom_ = bottom;
}

int CPngHSlider::ThumbX() const {
  const int64_t span = qMax(int64_t(0), int64_t(maxX_) - minX_ - width_);
  const int64_t range = int64_t(max_) - min_;
  int64_t x = minX_;
  if (range > 0) x += span * (int64_t(position_) - min_) / range;
  return static_cast<int>(x);  // SetPos keeps the position within the range
}

int CPngHSlider::AlignedY() const {
  if (align_ == 0) return top_;
  if (align_ == 1) return bottom_ - height_;
  return y();
}

void CPngHSlider::SetPos(int value) {
  position_ = value >= min_ && value <= max_ ? value : min_;
  if (align_ == 0 || align_ == 1) move(ThumbX(), AlignedY());
  update();
}

void CPngHSlider::paintEvent(QPaintEvent*) {
  if (image_.isNull()) return;
  QPainter painter(this);
  painter.drawImage(QRect(0, 0, width_, height_), image_);
}

void CPngHSlider::mousePressEvent(QMouseEvent* event) {
  event->accept();
  if (event->button() != Qt::LeftButton || !dragEnabled_) return;
  dragging_ = 1;
  press_ = event->position().toPoint();
}

void CPngHSlider::mouseMoveEvent(QMouseEvent* event) {
  event->accept();
  if (disabled_ || !dragging_) return;
  if (!(event->buttons() & Qt::LeftButton)) {
    dragging_ = 0;  // the release went elsewhere
    return;
  }
  const int left = x();
  const int right = x() + width();
  int delta = event->position().toPoint().x() - press_.x();
  // The left bound wins when the bar is narrower than the thumb, as in ThumbX.
  if (right + delta > maxX_) delta = maxX_ - right;
  if (left + delta < minX_) delta = minX_ - left;
  move(left + delta, AlignedY());
}

void CPngHSlider::mouseReleaseEvent(QMouseEvent* event) {
  event->accept();
  if (event->button() != Qt::LeftButton) return;
  dragging_ = 0;
  if (disabled_) return;
  QWidget* page = owner_ ? owner_->parentWidget() : nullptr;
  const QPoint onPage = page ? mapTo(page, event->position().toPoint())
                             : mapToParent(event->position().toPoint());
  const int value = TrackValue(onPage.x(), trackLeft_, trackRight_, min_, max_);
  SetPos(value);
  ui::PostMessage(owner_, WM_PNGSLIDER_POS, static_cast<ui::WPARAM>(value), controlId_);
}

void CPngHSlider::hideEvent(QHideEvent* event) {
  QWidget::hideEvent(event);
  dragging_ = 0;
}

bool CPngHSlider::event(QEvent* event) {
  if (event->type() == QEvent::WindowDeactivate || event->type() == QEvent::UngrabMouse) {
    dragging_ = 0;  // the mouse went to another window
  }
  return QWidget::event(event);
}

// ---- bar

CPngHSliderBar::CPngHSliderBar() { setFocusPolicy(Qt::NoFocus); }

CPngHSliderBar::~CPngHSliderBar() = default;

bool CPngHSliderBar::Create(const QString& pngFile, const QRect& rect, QWidget* parent, int id) {
  controlId_ = id;
  parent_ = parent;
  min_ = 0;
  max_ = 10;
  setParent(parent);
  setGeometry(rect);
  show();
  const bool created = thumb_.Create(pngFile, 0, 0, rect.width(), rect.height(), this, id, true);
  thumb_.SetPos(0);
  thumb_.SetDragEnabled(1);
  return created;
}

void CPngHSliderBar::SetRange(int min, int max) {
  min_ = min;
  max_ = max;
  thumb_.SetRange(min, max);
}

void CPngHSliderBar::SetTrackRect(int left, int top, int right, int bottom) {
  trackLeft_ = left;
  trackTop_ = top;
  trackRight_ = right;
  trackBottom_ = bottom;
  thumb_.SetTrackRect(left, top, right, bottom);
}

void CPngHSliderBar::SetBackground(int x, int y, int w, int h, const QImage* sheet) {
  background_ = ui::CutImage(sheet, QRect(x, y, w, h));
  update();
}

bool CPngHSliderBar::Enable(int flag) {
  disabled_ = flag ? 0 : 1;
  thumb_.SetDisabled(disabled_);
  return true;
}

void CPngHSliderBar::paintEvent(QPaintEvent*) {
  if (background_.isNull()) return;
  QPainter painter(this);
  painter.drawImage(QPoint(0, 0), background_, QRect(0, 0, width(), height()));
}

void CPngHSliderBar::mousePressEvent(QMouseEvent* event) { event->accept(); }

void CPngHSliderBar::mouseReleaseEvent(QMouseEvent* event) {
  event->accept();
  if (event->button() != Qt::LeftButton || disabled_) return;
  const int x = mapToParent(event->position().toPoint()).x();
  const int value = TrackValue(x, trackLeft_, trackRight_, min_, max_);
  thumb_.SetPos(value);
  ui::PostMessage(parent_, WM_PNGSLIDER_POS, static_cast<ui::WPARAM>(value), ui::HandleOf(this));
}

bool CPngHSliderBar::event(QEvent* event) {
  if (ui::WindowMessageEvent* message = ui::AsWindowMessage(event)) {
    if (message->Msg() == WM_PNGSLIDER_POS) {
      // The thumb's report goes on with the bar's handle in place of the thumb's id.
      ui::PostMessage(parent_, WM_PNGSLIDER_POS, message->WParam(), ui::HandleOf(this));
    }
    message->SetResult(0);
    return true;
  }
  return QWidget::event(event);
}
