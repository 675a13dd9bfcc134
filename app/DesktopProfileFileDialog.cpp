#include "app/DesktopProfileFileDialog.h"

#include <QString>

#include "platform/ui/FileDialog.h"

namespace {
QString FromUtf8(std::string_view text) {
  return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}
}  // namespace

bool DesktopProfileFileDialog::Run(const Options& options, std::string& path) {
  ui::FileDialogOptions dialog;
  dialog.kind = options.save ? ui::FileDialogOptions::Kind::Save : ui::FileDialogOptions::Kind::Open;
  dialog.parent = parent_;
  dialog.defaultExtension = FromUtf8(options.defaultExtension);
  dialog.initialName = FromUtf8(options.initialName);
  dialog.filter = FromUtf8(options.filter);
  dialog.initialFolder = FromUtf8(options.initialFolder);
  dialog.fileMustExist = (options.flags & OFN_FILEMUSTEXIST) != 0;
  dialog.overwritePrompt = (options.flags & OFN_OVERWRITEPROMPT) != 0;
  const std::optional<QString> chosen = ui::GetFileName(dialog);
  if (!chosen || chosen->isEmpty()) return false;
  path = chosen->toUtf8().toStdString();
  return true;
}
