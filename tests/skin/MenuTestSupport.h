#pragma once

#include <QApplication>
#include <QCoreApplication>
#include <QRect>
#include <QWidget>

#include <vector>

#include "platform/ui/WindowMessage.h"
#include "skin/BitmapBtn.h"

// Helpers of the popup menu tests.
namespace menutest {

// The item buttons of a menu window, in item order.
inline std::vector<CBitmapBtn*> Buttons(const QWidget* window) {
  std::vector<CBitmapBtn*> out;
  if (!window) return out;
  for (QObject* child : window->children()) {
    if (auto* b = dynamic_cast<CBitmapBtn*>(child)) out.push_back(b);
  }
  return out;
}

// The centre of item `i` of a menu at `origin`, on the screen.
inline QPoint ItemCentre(QPoint origin, int i, int width) {
  return origin + QPoint(width / 2, 17 * i + 8);
}

// A mouse move relayed to `window` in screen coordinates, as the item buttons relay theirs.
inline void RelayMove(QWidget* window, QPoint screen) {
  ui::SendMessage(window, ui::WM_MOUSEMOVE, 0, ui::MakeLParam(screen.x(), screen.y()));
}

// Runs posted messages and the deletions that were put off until control returned to the loop.
inline void DrainAll() {
  for (int i = 0; i < 4; ++i) {
    QCoreApplication::sendPostedEvents();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    QApplication::processEvents();
  }
}

// The top-level widgets that are not `except`.
inline int TopLevelsBesides(const std::vector<const QWidget*>& except) {
  int n = 0;
  for (QWidget* w : QApplication::topLevelWidgets()) {
    bool listed = false;
    for (const QWidget* e : except) listed = listed || e == w;
    if (!listed) ++n;
  }
  return n;
}

}  // namespace menutest
