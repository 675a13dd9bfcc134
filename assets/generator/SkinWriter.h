#pragma once

#include <QImage>
#include <QRect>
#include <QString>
#include <QStringList>

// Writes the skin into the program folder: the images under "Skin/" and Setup.ini, whose image
// values name them relative to the folder with backslashes ("Skin\name.png"), as skin files
// written for the original system do.
class SkinWriter {
 public:
  explicit SkinWriter(const QString& programFolder);

  // Starts a section of Setup.ini.
  void Section(const QString& name);
  void Value(const QString& key, const QString& value);
  // "x,y,w,h".
  void Rect(const QString& key, const QRect& rect);
  void Number(const QString& key, int value);
  // Saves `image` as Skin/<file> (PNG or BMP by the extension) and stores its name under `key`.
  void Image(const QString& key, const QString& file, const QImage& image);

  // Saves `image` at <folder>/<relative> ('/'-separated, folders made), a file the program
  // names itself; Setup.ini does not name it.
  void File(const QString& relative, const QImage& image);

  // Writes Setup.ini; false when it or any image could not be written.
  bool Finish();

 private:
  QString folder_;
  QStringList lines_;
  bool ok_ = true;
};
