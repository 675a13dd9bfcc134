#include "platform/ui/IconTable.h"

#include <QPixmap>

#include "platform/ui/ImageFile.h"

namespace ui {

QString IconTable::Path(int id) const {
  return folder_ + QStringLiteral("/Icons/") + QString::number(id & 0xFFFF) +
         QStringLiteral(".png");
}

QImage IconTable::Icon(int id) const {
  const int key = id & 0xFFFF;
  auto it = loaded_.find(key);
  if (it == loaded_.end()) {
    // Kept as a pixmap keeps it, so that the pixmaps made from it (the window's and the tray's
    // icons) share its pixels rather than copy them.
    it = loaded_.emplace(key, QPixmap::fromImage(LoadImageFile(Path(key))).toImage()).first;
  }
  return it->second;
}

}  // namespace ui
