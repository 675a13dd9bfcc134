#include "platform/ui/MessageBox.h"

#include <QGridLayout>
#include <QMessageBox>
#include <QSpacerItem>

namespace ui {

namespace {
const QString kBlankTitle = QStringLiteral(" ");

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
  // The box has no caption. Qt's X11 windows take the application's name for an empty title,
  // so the title is a space: the frame shows no name.
  QMessageBox box(QMessageBox::NoIcon, kBlankTitle, text, QMessageBox::Ok, parent);
  // However short the text, the frame's title bar keeps room for the window manager's buttons.
  if (auto* grid = qobject_cast<QGridLayout*>(box.layout())) {
    auto* room =
        new QSpacerItem(kMessageBoxMinimumWidth, 0, QSizePolicy::Fixed, QSizePolicy::Fixed);
    grid->addItem(room, grid->rowCount(), 0, 1, grid->columnCount());
  }
  // Modal to the parent's window only (to nothing without a parent): the tray icon and its
  // menu, which belong to no window, keep taking clicks while a box is open.
  box.setWindowModality(Qt::WindowModal);
  box.exec();
}

void SetMessageBoxHandler(MessageBoxHandler handler) { Handler() = std::move(handler); }

}  // namespace ui
