#include "skin/MenuWindow.h"

#include <QGuiApplication>
#include <QMouseEvent>
#include <QPainter>

#include <algorithm>

#include "skin/BitmapBtn.h"

CMenuWindow::CMenuWindow(QWidget* parent, Handler* handler)
    : QWidget(parent ? parent->window() : nullptr,
              Qt::Tool | Qt::FramelessWindowHint | Qt::WindowDoesNotAcceptFocus),
      handler_(handler) {
  setAttribute(Qt::WA_ShowWithoutActivating);
  setFocusPolicy(Qt::NoFocus);
  setMouseTracking(true);
  // The background covers the whole window; nothing is erased first.
  setAttribute(Qt::WA_OpaquePaintEvent);
  connect(qApp, &QGuiApplication::applicationStateChanged, this, [this] {
    if (handler_) handler_->OnActivateApp();
  });
}

void CMenuWindow::SetBackground(const QImage* background) {
  background_ = background;
  update();
}

void CMenuWindow::ShowOnTop() {
  show();
  raise();
}

void CMenuWindow::Destroy(QPointer<CMenuWindow>& window) {
  if (!window) return;
  CMenuWindow* w = window.data();
  window = nullptr;
  w->handler_ = nullptr;
  w->background_ = nullptr;
  w->hide();
  w->deleteLater();
}

bool CMenuWindow::event(QEvent* event) {
  if (ui::WindowMessageEvent* m = ui::AsWindowMessage(event)) {
    if (handler_) m->SetResult(handler_->WindowProc(m->Msg(), m->WParam(), m->LParam()));
    return true;
  }
  return QWidget::event(event);
}

void CMenuWindow::paintEvent(QPaintEvent*) {
  QPainter painter(this);
  painter.fillRect(rect(), Qt::black);
  if (background_ && !background_->isNull()) painter.drawImage(QPoint(0, 0), *background_);
}

void CMenuWindow::mouseMoveEvent(QMouseEvent* event) {
  // The menu's own moves (over the parts its items leave uncovered) are taken in screen
  // coordinates, as its items relay theirs.
  const QPoint screen = event->globalPosition().toPoint();
  if (handler_) {
    handler_->WindowProc(ui::WM_MOUSEMOVE, ui::MouseKeyFlags(event->buttons(), event->modifiers()),
                         ui::MakeLParam(screen.x(), screen.y()));
  }
  event->accept();
}

void CMenuWindow::hideEvent(QHideEvent* event) {
  QWidget::hideEvent(event);
  if (handler_) handler_->OnHidden();
}

namespace skin {

void CopyMenuText(char16_t (&field)[260], const QString& text) {
  const qsizetype n = std::min<qsizetype>(text.size(), 259);
  std::copy_n(reinterpret_cast<const char16_t*>(text.utf16()), n, field);
  std::fill(field + n, field + 260, u'\0');
}

QRect ScreenRectOf(const QWidget* control) {
  return control ? QRect(control->mapToGlobal(QPoint(0, 0)), control->size()) : QRect();
}

int BuildMenuLevel(CMenuWindow* window, const QRect& geometry, const QImage* background,
                   const std::array<const QImage*, 4>& looks, MenuButtons& buttons, int count,
                   const std::function<QString(int)>& caption) {
  window->SetBackground(background);
  window->setGeometry(geometry);
  const int n = std::min(count, CMenuWindow::kMaxItems);
  for (int i = 0; i < n; ++i) {
    const QRect band = ItemBand(i, geometry.width(), geometry.height());
    auto* button = new CBitmapBtn();
    button->Create(QString(), band, window, 0);
    button->SetStateImages(band.x(), band.y(), band.width(), band.height(), looks[0], looks[1],
                           looks[2], looks[3]);
    button->SetCaption(caption(i), 5, CBitmapBtn::kLayoutLeft);
    buttons[size_t(i)] = button;
  }
  window->ShowOnTop();
  return n;
}

int MenuButtonIndex(const MenuButtons& buttons, int count, ui::LPARAM sender) {
  for (int i = 0; i < count; ++i) {
    if (ui::HandleOf(buttons[size_t(i)]) == sender) return i;
  }
  return -1;
}

QRect ItemBand(int index, int width, int height) {
  const int top = CMenuWindow::kItemHeight * index;
  const int bottom = std::min(top + CMenuWindow::kItemHeight, height);
  return QRect(0, top, width, std::max(0, bottom - top));
}

}  // namespace skin
