#include "platform/ui/IconTable.h"

#include "platform/ui/ImageFile.h"

namespace ui {

QString IconTable::Path(int id) const {
  return folder_ + QStringLiteral("/Icons/") + QString::number(id & 0xFFFF) +
         QStringLiteral(".png");
}

QImage IconTable::Icon(int id) const {
  const int key = id & 0xFFFF;
  auto it = loaded_.find(key);
  if (it == loaded_.end()) it = loaded_.emplace(key, LoadImageFile(Path(key))).first;
  return it->second;
}

}  // namespace ui
