#pragma once

#include <stdlib.h>

#include <QApplication>
#include <QColor>
#include <QDialog>
#include <QImage>
#include <QMouseEvent>
#include <QString>
#include <QThread>
#include <QTimer>
#include <QWidget>

#include <filesystem>
#include <fstream>
#include <functional>
#include <string>
#include <vector>

#include "platform/ui/WindowMessage.h"
#include "tests/platform/sys/FileTestUtil.h"

// Helpers of the widget tests.
namespace uitest {

// How long a test waits for a window to show or an event to arrive: generous, since a loaded
// machine running many X servers at once can take seconds. A wait that succeeds ends early.
inline constexpr int kWaitMs = 15000;

// A fresh temporary folder with Qt conveniences.
class TempDir : public testutil::TempFolder {
 public:
  QString Path() const { return QString::fromStdString(path()); }
  QString File(const QString& name) const { return Path() + u'/' + name; }

  // Writes `text` to `name` (parent folders created) and returns its path.
  QString Write(const QString& name, const std::string& text) const {
    return QString::fromStdString(testutil::TempFolder::Write(name.toStdString(), text));
  }
  // Saves `image` as `name` in `format` ("PNG", "BMP") whatever the name's extension says.
  QString Save(const QString& name, const QImage& image, const char* format = "PNG") const {
    const QString path = File(name);
    std::filesystem::create_directories(std::filesystem::path(path.toStdString()).parent_path());
    image.save(path, format);
    return path;
  }
};

inline QImage Solid(int w, int h, QColor colour) {
  QImage image(w, h, QImage::Format_ARGB32);
  image.fill(colour);
  return image;
}

// Each pixel tells where it is: red = x, green = y, blue = 0x80 (x and y below 256).
inline QImage CoordinateSheet(int w, int h) {
  QImage image(w, h, QImage::Format_RGB32);
  for (int y = 0; y < h; ++y) {
    for (int x = 0; x < w; ++x) image.setPixel(x, y, qRgb(x & 0xFF, y & 0xFF, 0x80));
  }
  return image;
}

// The widget as it paints itself, in 32-bit RGB.
inline QImage Render(QWidget& widget) {
  return widget.grab().toImage().convertToFormat(QImage::Format_RGB32);
}

// Delivers a mouse event to `widget` through the application (filters see it too).
inline void Mouse(QWidget* widget, QEvent::Type type, QPoint local, Qt::MouseButton button,
                  Qt::MouseButtons buttons, QPoint global = QPoint(-100000, -100000)) {
  if (global == QPoint(-100000, -100000)) global = widget->mapToGlobal(local);
  QMouseEvent event(type, QPointF(local), QPointF(global), button, buttons, Qt::NoModifier);
  QApplication::sendEvent(widget, &event);
}
inline void Press(QWidget* w, QPoint p) {
  Mouse(w, QEvent::MouseButtonPress, p, Qt::LeftButton, Qt::LeftButton);
}
inline void Release(QWidget* w, QPoint p) {
  Mouse(w, QEvent::MouseButtonRelease, p, Qt::LeftButton, Qt::NoButton);
}
inline void Move(QWidget* w, QPoint p, Qt::MouseButtons buttons = Qt::NoButton) {
  Mouse(w, QEvent::MouseMove, p, Qt::NoButton, buttons);
}
inline void Click(QWidget* w, QPoint p) {
  Press(w, p);
  Release(w, p);
}

// Runs the events queued so far (posted messages included).
inline void Drain() {
  for (int i = 0; i < 3; ++i) QApplication::processEvents();
}

// Counts the events of one type that reach `watched` while the counter lives.
class EventCounter : public QObject {
 public:
  EventCounter(QObject* watched, QEvent::Type type) : type_(type) {
    watched->installEventFilter(this);
  }
  int count = 0;

 protected:
  bool eventFilter(QObject*, QEvent* event) override {
    if (event->type() == type_) ++count;
    return false;
  }

 private:
  QEvent::Type type_;
};

// Runs `act` on the next modal window that is shown, once its modal loop runs. A dialog that
// nothing ends within 3 s is ended with -1, so a test fails instead of hanging.
class OnModal : public QObject {
 public:
  explicit OnModal(std::function<void(QWidget*)> act) : act_(std::move(act)) {
    qApp->installEventFilter(this);
  }
  ~OnModal() override { qApp->removeEventFilter(this); }
  bool Ran() const { return ran_; }

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override {
    auto* widget = qobject_cast<QWidget*>(watched);
    if (event->type() == QEvent::Show && widget && widget->isWindow() && widget->isModal()) {
      qApp->removeEventFilter(this);
      QTimer::singleShot(0, widget, [this, widget] {
        ran_ = true;
        act_(widget);
      });
      QTimer::singleShot(3000, widget, [widget] {
        if (auto* dialog = qobject_cast<QDialog*>(widget)) dialog->done(-1);
      });
    }
    return false;
  }

 private:
  std::function<void(QWidget*)> act_;
  bool ran_ = false;
};

struct Message {
  uint32_t msg;
  ui::WPARAM wParam;
  ui::LPARAM lParam;
  bool onUiThread;
};

// A plain window that records every window message it receives.
class MessageRecorder : public QWidget {
 public:
  std::vector<Message> messages;
  ui::LRESULT reply = 0;

  std::vector<Message> Of(uint32_t msg) const {
    std::vector<Message> out;
    for (const Message& m : messages) {
      if (m.msg == msg) out.push_back(m);
    }
    return out;
  }

 protected:
  bool event(QEvent* e) override {
    if (ui::WindowMessageEvent* m = ui::AsWindowMessage(e)) {
      messages.push_back(
          {m->Msg(), m->WParam(), m->LParam(), QThread::currentThread() == qApp->thread()});
      m->SetResult(reply);
      return true;
    }
    return QWidget::event(e);
  }
};

}  // namespace uitest
