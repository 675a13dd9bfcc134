#include "platform/ui/MessageBox.h"

#include <QMessageBox>

namespace ui {

namespace {
MessageBoxHandler& Handler() {
  static MessageBoxHandler handler;
  return handler;
}
}  // namespace

void MessageBox(QWidget* parent, const QString& text) {
  if (Handler()) {
    Handler()(parent, text);
    return;
  }
  QMessageBox box(QMessageBox::NoIcon, QString(), text, QMessageBox::Ok, parent);
  // Modal to the parent's window only (to nothing without a parent): the tray icon and its
  // menu, which belong to no window, keep taking clicks while a box is open.
  box.setWindowModality(Qt::WindowModal);
  box.exec();
}

void SetMessageBoxHandler(MessageBoxHandler handler) { Handler() = std::move(handler); }

}  // namespace ui
