#include "platform/ui/FileDialog.h"

#include <QFileDialog>
#include <QFileInfo>

namespace ui {

namespace {
FileDialogHandler& Handler() {
  static FileDialogHandler handler;
  return handler;
}

// Qt's own default suffix is appended to every name without a dot, so an open dialog would turn
// a chosen file without extension (the rule for programs here) into a name that does not exist.
// This dialog appends the suffix only when the name as chosen is not found and the name with
// the suffix is.
class FileDialog : public QFileDialog {
 public:
  FileDialog(QWidget* parent, const QString& openSuffix)
      : QFileDialog(parent), openSuffix_(openSuffix) {}

  void accept() override {
    const QStringList chosen = selectedFiles();
    if (!openSuffix_.isEmpty() && chosen.size() == 1) {
      const QString& name = chosen.front();
      const QString withSuffix = name + u'.' + openSuffix_;
      if (!QFileInfo::exists(name) && !QFileInfo(name).fileName().contains(u'.') &&
          QFileInfo::exists(withSuffix)) {
        selectFile(withSuffix);
      }
    }
    QFileDialog::accept();
  }

 private:
  QString openSuffix_;
};
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

  const bool save = options.kind == FileDialogOptions::Kind::Save;
  QString suffix = options.defaultExtension;
  if (suffix.startsWith(u'.')) suffix.remove(0, 1);
  FileDialog dialog(options.parent, save ? QString() : suffix);
  dialog.setAcceptMode(save ? QFileDialog::AcceptSave : QFileDialog::AcceptOpen);
  dialog.setFileMode(!save && options.fileMustExist ? QFileDialog::ExistingFile
                                                    : QFileDialog::AnyFile);
  if (save && !options.overwritePrompt) dialog.setOption(QFileDialog::DontConfirmOverwrite);
  const QStringList filters = NameFiltersFromBars(options.filter);
  // The descriptions name their patterns themselves ("exe file(*.exe)"): the list shows them
  // as they stand, without Qt's copy of the pattern.
  dialog.setOption(QFileDialog::HideNameFilterDetails);
  if (!filters.isEmpty()) dialog.setNameFilters(filters);
  if (!options.initialFolder.isEmpty()) dialog.setDirectory(options.initialFolder);
  if (!suffix.isEmpty() && save) dialog.setDefaultSuffix(suffix);
  if (!options.initialName.isEmpty() && !options.initialName.contains(u'*') &&
      !options.initialName.contains(u'?')) {
    dialog.selectFile(options.initialName);
  }
  if (dialog.exec() != QDialog::Accepted) return std::nullopt;
  const QStringList chosen = dialog.selectedFiles();
  if (chosen.isEmpty()) return std::nullopt;
  return chosen.front();
}

void SetFileDialogHandler(FileDialogHandler handler) { Handler() = std::move(handler); }

}  // namespace ui
