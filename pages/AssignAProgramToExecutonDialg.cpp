#include "pages/AssignAProgramToExecutonDialg.h"

#include "pages/SkinnedEdit.h"
#include "platform/ui/FileDialog.h"

CAssignAProgramToExecutonDialg::CAssignAProgramToExecutonDialg(const CINIFile& skinFile,
                                                               const QString& imageFolder,
                                                               const QString& section,
                                                               const QString& path,
                                                               QWidget* parent)
    : CProfileDlg(skinFile, imageFolder, section, parent), path_(path) {
  // Every change of the edit, typed or set, becomes the path: the edit's text as bounded, not
  // the signal's argument, which may be the typed text before the bound cut it.
  connect(&edit_, &QLineEdit::textChanged, this, [this] { path_ = edit_.text(); });
}

CAssignAProgramToExecutonDialg::~CAssignAProgramToExecutonDialg() = default;

bool CAssignAProgramToExecutonDialg::OnInitDialog() {
  CProfileDlg::OnInitDialog();

  CreateSheetButtons({{u"KeyOpenProgramPathRect", &browse_}});

  pages::PlaceSkinnedEdit(edit_, *this, ReadSkinRect(u"KeyEditRect"));
  edit_.SetLimit(kPathLimit);
  edit_.SetTextSelected(path_);
  edit_.show();
  edit_.setFocus();
  return true;
}

bool CAssignAProgramToExecutonDialg::OnCommand(ui::WPARAM wParam, ui::LPARAM lParam) {
  if (lParam == ui::HandleOf(&browse_)) {
    Browse();
    return true;
  }
  return CProfileDlg::OnCommand(wParam, lParam);
}

void CAssignAProgramToExecutonDialg::Browse() {
  ui::FileDialogOptions options;
  options.kind = ui::FileDialogOptions::Kind::Open;
  options.parent = nullptr;  // the system places it
  // Programs here have no extension as a rule: every file comes first, and no extension is
  // added to a typed name. The file need not exist (it may be on a drive mounted later).
  options.filter = QStringLiteral("所有文件(*)|*|exe file(*.exe)|*.exe|");
  options.fileMustExist = false;
  // A path the record could not hold leaves the path and the edit as they were.
  pages::BrowseIntoEdit(this, options, edit_, kPathLimit, kPathTooLongText);
}
