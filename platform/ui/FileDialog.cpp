#include "platform/ui/FileDialog.h"

#include <QFileDialog>
#include <QFileInfo>

namespace ui {

namespace {
FileDialogHandler& Handler() {
  static FileDialogHandler handler;
  return handler;
}
}  // namespace

QStringList NameFiltersFromBars(const QString& filter) {
  const QStringList parts = filter.split(u'|');
  QStringList filters;
  for (qsizetype i = 0; i + 1 < parts.size(); i += 2) {
    const QString& description = parts[i];
    QString patterns = parts[i + 1].trimmed();
    if (description.isEmpty() && patterns.isEmpty()) break;
    patterns.replace(u';', u' ');
    filters << QStringLiteral("%1 (%2)").arg(description, patterns);
  }
  return filters;
}

std::optional<QString> GetFileName(const FileDialogOptions& options) {
  if (Handler()) return Handler()(options);

  QFileDialog dialog(options.parent);
  const bool save = options.kind == FileDialogOptions::Kind::Save;
  dialog.setAcceptMode(save ? QFileDialog::AcceptSave : QFileDialog::AcceptOpen);
  dialog.setFileMode(!save && options.fileMustExist ? QFileDialog::ExistingFile
                                                    : QFileDialog::AnyFile);
  if (save && !options.overwritePrompt) dialog.setOption(QFileDialog::DontConfirmOverwrite);
  const QStringList filters = NameFiltersFromBars(options.filter);
  if (!filters.isEmpty()) dialog.setNameFilters(filters);
  if (!options.initialFolder.isEmpty()) dialog.setDirectory(options.initialFolder);
  QString suffix = options.defaultExtension;
  if (suffix.startsWith(u'.')) suffix.remove(0, 1);
  // An open dialog would append the suffix to every name without a dot, so a chosen file
  // without extension would become a name that does not exist: there it is only tried when the
  // name as chosen is not found.
  if (!suffix.isEmpty() && save) dialog.setDefaultSuffix(suffix);
  if (!options.initialName.isEmpty() && !options.initialName.contains(u'*') &&
      !options.initialName.contains(u'?')) {
    dialog.selectFile(options.initialName);
  }
  if (dialog.exec() != QDialog::Accepted) return std::nullopt;
  const QStringList chosen = dialog.selectedFiles();
  if (chosen.isEmpty()) return std::nullopt;
  const QString path = chosen.front();
  if (!save && !suffix.isEmpty() && !QFileInfo::exists(path) &&
      !QFileInfo(path).fileName().contains(u'.') && QFileInfo::exists(path + u'.' + suffix)) {
    return path + u'.' + suffix;
  }
  return path;
}

void SetFileDialogHandler(FileDialogHandler handler) { Handler() = std::move(handler); }

}  // namespace ui
