#include "platform/ui/WindowPlacement.h"

#include <QGuiApplication>
#include <QScreen>

namespace ui {

void ShowWindow(QWidget* window, int showCommand) {
  if (!window) return;
  if (showCommand == SW_HIDE) {
    window->hide();
  } else if (showCommand == SW_SHOWNORMAL) {
    window->showNormal();
  } else {
    window->show();
  }
}

void CenterWindow(QWidget* window) {
  if (!window) return;
  QWidget* owner = window->parentWidget() ? window->parentWidget()->window() : nullptr;
  QScreen* screen = owner && owner->isVisible() ? owner->screen() : window->screen();
  if (!screen) screen = QGuiApplication::primaryScreen();
  const QRect area = screen ? screen->availableGeometry() : QRect();
  const QRect around = owner && owner->isVisible() ? owner->frameGeometry() : area;
  QRect frame = window->frameGeometry();
  frame.moveCenter(around.center());
  if (!area.isEmpty()) {
    if (frame.right() > area.right()) frame.moveRight(area.right());
    if (frame.bottom() > area.bottom()) frame.moveBottom(area.bottom());
    if (frame.left() < area.left()) frame.moveLeft(area.left());
    if (frame.top() < area.top()) frame.moveTop(area.top());
  }
  window->move(frame.topLeft());
}

}  // namespace ui
