#include "platform/ui/QtTranslation.h"

#include <QCoreApplication>
#include <QLibraryInfo>
#include <QPointer>
#include <QTranslator>

namespace ui {

bool InstallQtTranslation(const QString& locale, const QString& folder) {
  static QPointer<QTranslator> installed;
  if (installed) return true;
  if (!QCoreApplication::instance()) return false;
  // The application owns it: it lives as long as the texts it gives.
  auto* translator = new QTranslator(QCoreApplication::instance());
  if (!translator->load(QStringLiteral("qtbase_") + locale, folder) ||
      !QCoreApplication::installTranslator(translator)) {
    delete translator;
    return false;
  }
  installed = translator;
  return true;
}

QString QtTranslationsFolder() { return QLibraryInfo::path(QLibraryInfo::TranslationsPath); }

}  // namespace ui
