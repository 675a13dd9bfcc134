#pragma once

#include <QImage>
#include <QString>

#include <map>

// The program's icon resources: icon `id` is the image Icons/<id>.png in the program folder.
namespace ui {

class IconTable {
 public:
  explicit IconTable(QString programFolder) : folder_(std::move(programFolder)) {}

  // The image of icon `id` (only its low 16 bits name the icon); a null image when the file is
  // missing or cannot be decoded. Each file is read once; the pixmaps made from the image share
  // its pixels. Needs the QGuiApplication.
  QImage Icon(int id) const;

  // The file that holds icon `id`.
  QString Path(int id) const;

 private:
  QString folder_;
  mutable std::map<int, QImage> loaded_;
};

}  // namespace ui
