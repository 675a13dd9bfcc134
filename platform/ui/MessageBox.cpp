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
  box.exec();
}

void SetMessageBoxHandler(MessageBoxHandler handler) { Handler() = std::move(handler); }

}  // namespace ui
