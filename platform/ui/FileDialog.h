#pragma once

#include <QString>
#include <QStringList>
#include <QWidget>

#include <functional>
#include <optional>

namespace ui {

// What the program asks of an open- or save-file dialog.
struct FileDialogOptions {
  enum class Kind { Open, Save };
  Kind kind = Kind::Open;
  QWidget* parent = nullptr;
  // Appended to a typed name without extension; the leading '.' is optional (".gmp").
  QString defaultExtension;
  // The name shown at first; a pattern such as "*.gmp" preselects nothing.
  QString initialName;
  // Pairs of description and pattern separated and ended by '|':
  // "Gaming Mouse Profile(*.gmp)|*.gmp|". Several patterns of one entry are separated by ';'.
  QString filter;
  // Empty: the dialog's own choice.
  QString initialFolder;
  // Open: only an existing file can be chosen.
  bool fileMustExist = false;
  // Save: choosing an existing file asks before it is replaced.
  bool overwritePrompt = false;
};

// The full path the user chose, or nothing when the dialog was cancelled. The dialog's list of
// filters shows each description as it stands, without the pattern repeated after it.
std::optional<QString> GetFileName(const FileDialogOptions& options);

// The name filters of a Qt file dialog for a '|'-separated filter string.
QStringList NameFiltersFromBars(const QString& filter);

// What GetFileName does instead of showing a dialog; tests answer with it.
using FileDialogHandler = std::function<std::optional<QString>(const FileDialogOptions&)>;

// Replaces the dialog process-wide; an empty handler restores the real dialog. UI thread only.
void SetFileDialogHandler(FileDialogHandler handler);

class ScopedFileDialogHandler {
 public:
  explicit ScopedFileDialogHandler(FileDialogHandler handler) {
    SetFileDialogHandler(std::move(handler));
  }
  ~ScopedFileDialogHandler() { SetFileDialogHandler({}); }
  ScopedFileDialogHandler(const ScopedFileDialogHandler&) = delete;
  ScopedFileDialogHandler& operator=(const ScopedFileDialogHandler&) = delete;
};

}  // namespace ui
