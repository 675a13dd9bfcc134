#include "SkinWriter.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>
#include <QTextStream>

#include <cstdio>

SkinWriter::SkinWriter(const QString& programFolder) : folder_(programFolder) {
  if (!QDir().mkpath(folder_ + QStringLiteral("/Skin"))) ok_ = false;
}

void SkinWriter::Section(const QString& name) {
  if (!lines_.isEmpty()) lines_ << QString();
  lines_ << QStringLiteral("[%1]").arg(name);
}

void SkinWriter::Value(const QString& key, const QString& value) {
  lines_ << QStringLiteral("%1=%2").arg(key, value);
}

void SkinWriter::Rect(const QString& key, const QRect& rect) {
  Value(key, QStringLiteral("%1,%2,%3,%4")
                 .arg(rect.x())
                 .arg(rect.y())
                 .arg(rect.width())
                 .arg(rect.height()));
}

void SkinWriter::Number(const QString& key, int value) { Value(key, QString::number(value)); }

void SkinWriter::Image(const QString& key, const QString& file, const QImage& image) {
  File(QStringLiteral("Skin/") + file, image);
  Value(key, QStringLiteral("Skin\\") + file);
}

void SkinWriter::File(const QString& relative, const QImage& image) {
  const QString path = folder_ + u'/' + relative;
  const char* format = relative.endsWith(QStringLiteral(".bmp"), Qt::CaseInsensitive) ? "BMP" : "PNG";
  // Masks are plain 24-bit bitmaps; sheets keep no alpha either.
  if (!QDir().mkpath(QFileInfo(path).path()) ||
      !image.convertToFormat(QImage::Format_RGB888).save(path, format)) {
    std::fprintf(stderr, "cannot write %s\n", qPrintable(path));
    ok_ = false;
  }
}

bool SkinWriter::Finish() {
  QSaveFile out(folder_ + QStringLiteral("/Setup.ini"));
  if (!out.open(QIODevice::WriteOnly | QIODevice::Truncate)) return false;
  const QByteArray text = (lines_.join(QStringLiteral("\r\n")) + QStringLiteral("\r\n")).toUtf8();
  if (out.write(text) != text.size()) return false;
  return out.commit() && ok_;
}
