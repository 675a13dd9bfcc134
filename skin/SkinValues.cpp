#include "skin/SkinValues.h"

#include <algorithm>
#include <cstdint>

#include "platform/ui/ImageFile.h"
#include "resources/SkinPath.h"

namespace skin {

QRect ReadRect(const CINIFile& skinFile, const QString& section, std::u16string_view key) {
  int32_t v[4] = {0, 0, 0, 0};
  skinFile.GetInts(section.toStdU16String(), key, v, 4);
  for (int32_t& n : v) n = std::clamp<int32_t>(n, -kMaxSkinCoordinate, kMaxSkinCoordinate);
  return QRect(v[0], v[1], v[2], v[3]);
}

int ReadInt(const CINIFile& skinFile, const QString& section, std::u16string_view key) {
  int32_t v = 0;
  skinFile.GetInts(section.toStdU16String(), key, &v, 1);
  return v;
}

QString SkinImagePath(const QString& imageFolder, const CINIFile& skinFile, const QString& section,
                      std::u16string_view key) {
  const std::u16string value = skinFile.GetString(section.toStdU16String(), key);
  if (value.empty()) return QString();
  return QString::fromStdString(resources::SkinPath(imageFolder.toStdString(), value));
}

QImage LoadSkinImage(const QString& imageFolder, const CINIFile& skinFile, const QString& section,
                     std::u16string_view key) {
  return ui::LoadImageFile(SkinImagePath(imageFolder, skinFile, section, key));
}

}  // namespace skin
