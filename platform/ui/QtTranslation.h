#pragma once

#include <QString>

// Qt's own texts (the standard buttons, the file dialogs) in a language of the program's choice.
namespace ui {

// Installs Qt's translation "qtbase_<locale>" from `folder` in the application, once per
// process. False, silently, when the file is missing or does not load: Qt's English stays.
bool InstallQtTranslation(const QString& locale, const QString& folder);

// The folder of the translations that come with Qt.
QString QtTranslationsFolder();

}  // namespace ui
