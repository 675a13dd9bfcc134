// The floor of the start-up benchmark: the least a Qt 6 Widgets program does to show one window
// of the main window's size, filled with one colour.
#include <QApplication>
#include <QPalette>
#include <QWidget>

int main(int argc, char** argv) {
  QApplication app(argc, argv);
  QWidget window;
  QPalette palette = window.palette();
  palette.setColor(QPalette::Window, QColor(0x20, 0x60, 0xA0));
  window.setPalette(palette);
  window.setAutoFillBackground(true);
  window.resize(860, 560);
  window.show();
  return app.exec();
}
