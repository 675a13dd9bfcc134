#include "platform/ui/CaptionDrag.h"

#include <QApplication>
#include <QMouseEvent>
#include <QPointer>
#include <QWindow>

namespace ui {

namespace {

// Watches the application's mouse events while a drag runs: the press that started it may be
// on a child window, which keeps receiving the moves, so they are taken before delivery.
class DragFilter : public QObject {
 public:
  bool Begin(QWidget* window, const QPoint& pressGlobal) {
    if (window_) return false;
    window_ = window;
    press_ = pressGlobal;
    start_ = window->pos();
    qApp->installEventFilter(this);
    return true;
  }
  bool Active() const { return !window_.isNull(); }

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override {
    if (event->type() == QEvent::MouseMove) {
      auto* mouse = static_cast<QMouseEvent*>(event);
      if (!(mouse->buttons() & Qt::LeftButton)) {
        End();
      } else if (window_) {
        window_->move(start_ + (mouse->globalPosition().toPoint() - press_));
      }
    } else if (event->type() == QEvent::MouseButtonRelease) {
      if (static_cast<QMouseEvent*>(event)->button() == Qt::LeftButton) End();
    }
    return QObject::eventFilter(watched, event);
  }

 private:
  void End() {
    window_.clear();
    qApp->removeEventFilter(this);
  }

  QPointer<QWidget> window_;
  QPoint press_;
  QPoint start_;
};

DragFilter& Filter() {
  static DragFilter* filter = new DragFilter;  // lives as long as the process
  return *filter;
}

}  // namespace

bool BeginCaptionDrag(QWidget* window, const QPoint& pressGlobal) {
  if (!window || !qApp) return false;
  window = window->window();
  if (Filter().Active()) return false;
  if (QGuiApplication::platformName().startsWith(QLatin1String("wayland"))) {
    QWindow* handle = window->windowHandle();
    if (handle && handle->startSystemMove()) return true;
  }
  return Filter().Begin(window, pressGlobal);
}

bool IsCaptionDragActive() { return Filter().Active(); }

}  // namespace ui
