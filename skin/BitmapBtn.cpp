#include "skin/BitmapBtn.h"

#include <QApplication>
#include <QCursor>
#include <QGuiApplication>
#include <QMouseEvent>
#include <QPainter>

#include <algorithm>
#include <iterator>

#include "platform/ui/CaptionFont.h"
#include "platform/ui/ImageFile.h"
#include "platform/ui/WindowMessage.h"

CBitmapBtn::CBitmapBtn() {
  // Never a tab stop and never focused: the skinned windows are driven by the mouse.
  setFocusPolicy(Qt::NoFocus);
  setMouseTracking(true);
  connect(this, &QAbstractButton::clicked, this, [this] {
    ui::SendMessage(parentWidget(), ui::WM_COMMAND, ui::MakeWParam(controlId_, ui::BN_CLICKED),
                    ui::HandleOf(this));
  });
}

CBitmapBtn::~CBitmapBtn() = default;

bool CBitmapBtn::Create(const QString& caption, const QRect& rect, QWidget* parent, int id) {
  controlId_ = id;
  setText(caption);
  setParent(parent);
  setGeometry(rect);
  show();
  return true;
}

void CBitmapBtn::SetStateImages(int x, int y, int w, int h, const QImage* normalSheet,
                                const QImage* overSheet, const QImage* downSheet,
                                const QImage* disabledSheet, const ui::KeptImage* kept) {
  const QRect block(x, y, w, h);
  // A sheet given for more than one look (the disabled look is the normal one's, as a rule) is
  // cut once and the looks share the cut.
  const QImage* sheets[] = {normalSheet, overSheet, downSheet, disabledSheet};
  QImage* looks[] = {&normal_, &over_, &down_, &disabled_};
  for (size_t i = 0; i < std::size(looks); ++i) {
    const size_t first = static_cast<size_t>(std::find(sheets, sheets + i, sheets[i]) - sheets);
    if (first < i) {
      *looks[i] = *looks[first];
    } else {
      *looks[i] = kept ? ui::CutImage(sheets[i], block, *kept) : ui::CutImage(sheets[i], block);
    }
  }
  update();
}

void CBitmapBtn::LoadStateImages(const QString& normalFile, const QString& overFile,
                                 const QString& downFile, const QString& disabledFile) {
  normal_ = ui::LoadImageFile(normalFile);
  over_ = ui::LoadImageFile(overFile);
  down_ = ui::LoadImageFile(downFile);
  disabled_ = ui::LoadImageFile(disabledFile);
  update();
}

void CBitmapBtn::SetCheckState(int state) {
  if (!isEnabled() || state == checked_) return;
  checked_ = state;
  update();
}

void CBitmapBtn::SetCaption(const QString& text, int xOffset, int layout) {
  caption_ = text;
  captionXOffset_ = xOffset;
  layout_ = layout;
  update();
}

void CBitmapBtn::SetFontHeight(int height) { fontHeight_ = height; }

void CBitmapBtn::EnableDownLook(int enable) { downLook_ = enable; }

void CBitmapBtn::EnableOverLook(int enable) { overLook_ = enable; }

void CBitmapBtn::paintEvent(QPaintEvent*) {
  QPainter painter(this);
  const QRect area = rect();
  if (!isEnabled()) {
    if (!disabled_.isNull()) painter.drawImage(area, disabled_);
    return;
  }
  bool pressed = isDown();
  if (!downLook_ || !overLook_) {
    pressed = false;
    hover_ = 0;
  }
  const QImage* image = &normal_;
  bool active = true;
  if (checked_) {
    image = &down_;
  } else if (pressed && !toggleMode) {
    image = &down_;  // a toggle never shows the pressed look for a held mouse button
  } else if (hover_) {
    image = &over_;
  } else {
    active = false;
  }
  if (!image->isNull()) painter.drawImage(area, *image);

  if (caption_.isEmpty()) return;
  const bool vertical = layout_ == kLayoutVertical;
  const QFont font = ui::CaptionFont(fontHeight_);
  painter.setFont(font);
  painter.setPen(active ? activeCaptionColour_ : captionColour_);
  const QSize extent = ui::TextExtent(font, caption_);
  const int w = area.width();
  const int h = area.height();
  int x = 0;
  int y = 0;
  if (layout_ == kLayoutLeft) {
    x = 0;
    y = h / 2 - extent.height() / 2;
  } else if (vertical) {
    x = w / 2 + extent.height() / 2;
    y = h / 2 - extent.width() / 2;
  } else {
    x = w / 2 - extent.width() / 2;
    y = h / 2 - extent.height() / 2;
  }
  ui::DrawTextAt(painter, x + captionXOffset_, y, caption_, vertical ? 2700 : 0);
}

void CBitmapBtn::mouseMoveEvent(QMouseEvent* event) {
  QAbstractButton::mouseMoveEvent(event);  // a held press follows the cursor in and out
  event->accept();
  const ui::WPARAM flags = ui::MouseKeyFlags(event->buttons(), event->modifiers());
  // A drag that started elsewhere and came in with the left button held is not ours.
  if ((flags & ui::MK_LBUTTON) && !hover_) return;
  const bool over = rect().contains(event->position().toPoint());
  if (!hover_) {
    if (over && QApplication::activeWindow() && parentWidget()) {
      hover_ = 1;
      update();
    }
  } else if (!over) {
    hover_ = 0;
    update();
  }
  const QPoint screen = event->globalPosition().toPoint();
  ui::PostMessage(parentWidget(), ui::WM_MOUSEMOVE, flags, ui::MakeLParam(screen.x(), screen.y()));
}

void CBitmapBtn::mousePressEvent(QMouseEvent* event) {
  QAbstractButton::mousePressEvent(event);
  event->accept();
}

void CBitmapBtn::mouseReleaseEvent(QMouseEvent* event) {
  if (!toggleMode || event->button() != Qt::LeftButton) {
    QAbstractButton::mouseReleaseEvent(event);  // a push click reaches the parent as BN_CLICKED
    event->accept();
    return;
  }
  // The press is let go without a click; the toggle flips and tells its parent itself.
  setDown(false);
  QAbstractButton::mouseReleaseEvent(event);
  event->accept();
  checked_ = checked_ ? 0 : 1;
  update();
  ui::PostMessage(parentWidget(), ui::WM_COMMAND, ui::MakeWParam(controlId_, 0), ui::HandleOf(this));
}

void CBitmapBtn::leaveEvent(QEvent* event) {
  QAbstractButton::leaveEvent(event);
  const int wasHover = hover_;
  if (hover_) {
    hover_ = 0;
    update();
  }
  if (!isEnabled()) return;
  // The moves stop coming once the pointer is off the button, so the parent is told where it
  // went, in screen coordinates, as one last move: a menu closes the submenu of the item the
  // pointer left unless the pointer went into that submenu.
  const ui::WPARAM flags =
      ui::MouseKeyFlags(QGuiApplication::mouseButtons(), QGuiApplication::keyboardModifiers());
  if ((flags & ui::MK_LBUTTON) && !wasHover) return;
  const QPoint screen = QCursor::pos();
  ui::PostMessage(parentWidget(), ui::WM_MOUSEMOVE, flags, ui::MakeLParam(screen.x(), screen.y()));
}

void CBitmapBtn::focusOutEvent(QFocusEvent* event) {
  QAbstractButton::focusOutEvent(event);
  hover_ = 0;
  update();
}
