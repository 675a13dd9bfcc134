#pragma once

#include <QDir>
#include <QDirIterator>
#include <QString>
#include <QStringList>

namespace apptest {

// Every image file of the default skin in the build's program folder (sheets, masks, menus,
// icons).
inline QStringList DefaultSkinImages() {
  QStringList files;
  QDirIterator it(QStringLiteral(KDZ_PROGRAM_DIR), {"*.png", "*.bmp"}, QDir::Files,
                  QDirIterator::Subdirectories);
  while (it.hasNext()) files << it.next();
  return files;
}

}  // namespace apptest
