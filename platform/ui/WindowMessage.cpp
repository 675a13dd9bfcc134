#include "platform/ui/WindowMessage.h"

#include <QCoreApplication>
#include <QMetaObject>
#include <QThread>

namespace ui {

WPARAM MouseKeyFlags(Qt::MouseButtons buttons, Qt::KeyboardModifiers modifiers) {
  WPARAM flags = 0;
  if (buttons & Qt::LeftButton) flags |= MK_LBUTTON;
  if (buttons & Qt::RightButton) flags |= MK_RBUTTON;
  if (buttons & Qt::MiddleButton) flags |= MK_MBUTTON;
  if (modifiers & Qt::ShiftModifier) flags |= MK_SHIFT;
  if (modifiers & Qt::ControlModifier) flags |= MK_CONTROL;
  return flags;
}

WindowMessageEvent::WindowMessageEvent(uint32_t msg, WPARAM wParam, LPARAM lParam)
    : QEvent(EventType()), msg_(msg), wParam_(wParam), lParam_(lParam) {}

QEvent::Type WindowMessageEvent::EventType() {
  static const QEvent::Type type = static_cast<QEvent::Type>(QEvent::registerEventType());
  return type;
}

void PostMessage(QObject* target, uint32_t msg, WPARAM wParam, LPARAM lParam) {
  if (!target) return;
  QCoreApplication::postEvent(target, new WindowMessageEvent(msg, wParam, lParam));
}

LRESULT SendMessage(QObject* target, uint32_t msg, WPARAM wParam, LPARAM lParam) {
  if (!target) return 0;
  WindowMessageEvent event(msg, wParam, lParam);
  if (target->thread() == QThread::currentThread()) {
    QCoreApplication::sendEvent(target, &event);
  } else {
    // The receiver's thread runs the handler while this thread waits for it.
    QMetaObject::invokeMethod(
        target, [target, &event] { QCoreApplication::sendEvent(target, &event); },
        Qt::BlockingQueuedConnection);
  }
  return event.Result();
}

uint32_t RegisterWindowMessage(const QString& name) {
  return sys::RegisterWindowMessage(name.toStdU16String());
}

void WidgetMessageWindow::PostMessage(uint32_t msg, WPARAM wParam, LPARAM lParam) {
  ui::PostMessage(target_, msg, wParam, lParam);
}

LRESULT WidgetMessageWindow::SendMessage(uint32_t msg, WPARAM wParam, LPARAM lParam) {
  return ui::SendMessage(target_, msg, wParam, lParam);
}

}  // namespace ui
