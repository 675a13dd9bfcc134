#include "platform/ui/ScreenMetrics.h"

#include <QGuiApplication>
#include <QScreen>

namespace ui {

namespace {
std::optional<QSize>& FullScreenOverride() {
  static std::optional<QSize> size;
  return size;
}

QSize FullScreenSize() {
  if (FullScreenOverride()) return *FullScreenOverride();
  const QScreen* screen = QGuiApplication::primaryScreen();
  return screen ? screen->availableGeometry().size() : QSize();
}
}  // namespace

int GetSystemMetrics(int index) {
  switch (index) {
    case SM_CXFULLSCREEN: return FullScreenSize().width();
    case SM_CYFULLSCREEN: return FullScreenSize().height();
    default: return 0;
  }
}

void SetFullScreenSize(std::optional<QSize> size) { FullScreenOverride() = size; }

}  // namespace ui
