#include "skin/XPMenu.h"

#include <QGuiApplication>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QScreen>

#include "platform/ui/WindowMessage.h"

namespace {

// The colours of an item.
const QColor kStrip(0xDB, 0xD8, 0xD1);
const QColor kBody(0xF9, 0xF8, 0xF7);
const QColor kSelectedInset(0xB1, 0xB9, 0xCF);
const QColor kFrameColour(0x80, 0x80, 0x80);
const QColor kSeparatorDark(0xA0, 0xA0, 0xA0);
const QColor kSeparatorLight(0xFF, 0xFF, 0xFF);

constexpr int kStripWidth = 25;
constexpr int kIconSize = 16;
constexpr int kTextLeft = 33;
// Small enough that the default texts (up to six Chinese characters) fit beside the icon.
constexpr int kTextPixels = 11;

}  // namespace

CXPMenu::CXPMenu(const ui::IconTable& icons, QWidget* parent)
    : QWidget(parent, Qt::Popup | Qt::FramelessWindowHint | Qt::NoDropShadowWindowHint),
      icons_(icons) {
  setAttribute(Qt::WA_DeleteOnClose, false);
  setMouseTracking(true);
  setFocusPolicy(Qt::StrongFocus);
  QFont f = font();
  f.setPixelSize(kTextPixels);
  setFont(f);
  resize(kItemWidth + 2 * kFrame, 2 * kFrame);
}

void CXPMenu::AppendItem(uint16_t command, const tagXPMENUITEM* item) {
  items_.push_back({false, command, item});
  resize(kItemWidth + 2 * kFrame, ItemRect(ItemCount() - 1).bottom() + 1 + kFrame);
}

void CXPMenu::AppendSeparator() {
  items_.push_back({true, 0, nullptr});
  resize(kItemWidth + 2 * kFrame, ItemRect(ItemCount() - 1).bottom() + 1 + kFrame);
}

QSize CXPMenu::MeasureItem(const tagXPMENUITEM*) const { return {kItemWidth, kItemHeight}; }

QRect CXPMenu::ItemRect(int index) const {
  int top = kFrame;
  for (int i = 0; i < index; ++i) top += items_[i].separator ? kSeparatorHeight : kItemHeight;
  const int height = items_[index].separator ? kSeparatorHeight : kItemHeight;
  return {kFrame, top, kItemWidth, height};
}

void CXPMenu::DrawItem(QPainter& painter, const QRect& r, const tagXPMENUITEM* item,
                       bool selected) const {
  if (!item) return;
  painter.save();
  painter.setBackgroundMode(Qt::TransparentMode);
  QPoint iconAt;
  int icon;
  if (!selected) {
    painter.fillRect(QRect(r.left(), r.top(), kStripWidth, r.height()), kStrip);
    painter.fillRect(QRect(r.left() + kStripWidth, r.top(), r.width() - kStripWidth, r.height()),
                     kBody);
    iconAt = QPoint(r.left() + 3, r.top() + 3);
    icon = item->normalIcon;
  } else {
    // A 1-pixel black frame around the item, the inset filled.
    painter.setPen(QPen(Qt::black, 1));
    painter.setBrush(Qt::NoBrush);
    painter.drawRect(r.adjusted(0, 0, -1, -1));
    painter.fillRect(r.adjusted(1, 1, -1, -1), kSelectedInset);
    iconAt = QPoint(r.left() + 2, r.top() + 2);
    icon = item->selectedIcon;
  }
  const QImage image = icons_.Icon(icon);
  if (!image.isNull()) {
    painter.drawImage(QRect(iconAt, QSize(kIconSize, kIconSize)), image);
  }
  // One line, vertically centred, cut at the item's right edge.
  const QRect textRect(r.left() + kTextLeft, r.top(), r.width() - kTextLeft, r.height());
  painter.setClipRect(textRect);
  painter.setPen(Qt::black);
  painter.drawText(textRect, Qt::AlignLeft | Qt::AlignVCenter | Qt::TextSingleLine, item->text);
  painter.restore();
}

void CXPMenu::paintEvent(QPaintEvent*) {
  QPainter painter(this);
  painter.setPen(kFrameColour);
  painter.setBrush(kBody);
  painter.drawRect(rect().adjusted(0, 0, -1, -1));
  for (int i = 0; i < ItemCount(); ++i) {
    const QRect r = ItemRect(i);
    if (items_[i].separator) {
      const int y = r.top() + r.height() / 2 - 1;
      painter.setPen(kSeparatorDark);
      painter.drawLine(r.left() + 1, y, r.right() - 1, y);
      painter.setPen(kSeparatorLight);
      painter.drawLine(r.left() + 1, y + 1, r.right() - 1, y + 1);
      continue;
    }
    DrawItem(painter, r, items_[i].data, i == selected_);
  }
}

QPoint CXPMenu::PlaceOnScreen(const QPoint& at, const QSize& size, const QRect& screen) {
  QPoint p = at;
  if (p.x() + size.width() > screen.right() + 1) p.setX(at.x() - size.width());
  if (p.y() + size.height() > screen.bottom() + 1) p.setY(at.y() - size.height());
  p.setX(qMax(screen.left(), qMin(p.x(), screen.right() + 1 - size.width())));
  p.setY(qMax(screen.top(), qMin(p.y(), screen.bottom() + 1 - size.height())));
  return p;
}

void CXPMenu::TrackPopupMenu(const QPoint& at, QObject* owner) {
  owner_ = owner;
  selected_ = -1;
  armed_ = false;
  const QScreen* screen = QGuiApplication::screenAt(at);
  if (!screen) screen = QGuiApplication::primaryScreen();
  if (screen) move(PlaceOnScreen(at, size(), screen->geometry()));
  else move(at);
  show();
  raise();
  activateWindow();
  setFocus();
}

int CXPMenu::ItemAt(const QPoint& point) const {
  for (int i = 0; i < ItemCount(); ++i) {
    if (ItemRect(i).contains(point)) return i;
  }
  return -1;
}

void CXPMenu::Select(int index) {
  if (index >= 0 && items_[index].separator) index = -1;
  if (index == selected_) return;
  selected_ = index;
  update();
}

void CXPMenu::Step(int step) {
  const int n = ItemCount();
  int i = selected_;
  for (int tries = 0; tries < n; ++tries) {
    i = i < 0 ? (step > 0 ? 0 : n - 1) : (i + step + n) % n;
    if (!items_[i].separator) {
      Select(i);
      return;
    }
  }
}

void CXPMenu::Choose(int index) {
  if (index < 0 || items_[index].separator) return;
  const uint16_t command = items_[index].command;
  QObject* owner = owner_;
  close();
  ui::PostMessage(owner, ui::WM_COMMAND, ui::MakeWParam(command, 0), 0);
}

void CXPMenu::mouseMoveEvent(QMouseEvent* event) {
  const int index = rect().contains(event->position().toPoint())
                        ? ItemAt(event->position().toPoint())
                        : -1;
  if (index >= 0) armed_ = true;
  Select(index);
}

void CXPMenu::mousePressEvent(QMouseEvent* event) {
  // A press outside the menu closes it without a choice.
  if (!rect().contains(event->position().toPoint())) {
    close();
    return;
  }
  armed_ = true;
  Select(ItemAt(event->position().toPoint()));
}

void CXPMenu::mouseReleaseEvent(QMouseEvent* event) {
  if (event->button() != Qt::LeftButton && event->button() != Qt::RightButton) return;
  const QPoint p = event->position().toPoint();
  if (!armed_ || !rect().contains(p)) return;
  Choose(ItemAt(p));
}

void CXPMenu::keyPressEvent(QKeyEvent* event) {
  switch (event->key()) {
    case Qt::Key_Escape:
      close();
      return;
    case Qt::Key_Up:
      Step(-1);
      return;
    case Qt::Key_Down:
      Step(1);
      return;
    case Qt::Key_Return:
    case Qt::Key_Enter:
      Choose(selected_);
      return;
    default:
      QWidget::keyPressEvent(event);
  }
}

void CXPMenu::leaveEvent(QEvent*) { Select(-1); }
