#include "pages/CreateProfileDialog.h"

#include <string>

#include "pages/SkinnedEdit.h"
#include "platform/ui/FileDialog.h"
#include "platform/ui/Text.h"

namespace {

// The record's copy of `text`, within the field.
void StoreText(settings::TextField* field, const QString& text) {
  if (!field) return;
  const std::u16string units = text.toStdU16String();
  settings::SetFieldText(*field, units);
}

QString FieldQString(const settings::TextField* field) {
  return field ? ui::ToQString(settings::FieldText(*field)) : QString();
}

}  // namespace

CCreateProfileDialog::CCreateProfileDialog(const CINIFile& skinFile, const QString& imageFolder,
                                           const QString& section, settings::TextField* name,
                                           settings::TextField* path, QWidget* parent)
    : CProfileDlg(skinFile, imageFolder, section, parent), nameTarget_(name), pathTarget_(path) {}

CCreateProfileDialog::~CCreateProfileDialog() = default;

bool CCreateProfileDialog::OnInitDialog() { return InitDialog(QString(), QString()); }

bool CCreateProfileDialog::InitDialog(const QString& name, const QString& path) {
  CProfileDlg::OnInitDialog();

  CreateSheetButtons({{u"KeyOpenModeExcutionPathRect", &browse_}});

  struct Edit {
    std::u16string_view key;
    LimitedLineEdit* edit;
    int limit;
    const QString* text;
  };
  for (const Edit& e : {Edit{u"KeyEditModeNameRect", &name_, kNameLimit, &name},
                        Edit{u"KeyEditModeExcutionPathRect", &path_, kPathLimit, &path}}) {
    pages::PlaceSkinnedEdit(*e.edit, *this, ReadSkinRect(e.key));
    e.edit->SetLimit(e.limit);
    e.edit->SetTextSelected(*e.text);
    e.edit->show();
  }
  name_.setFocus();
  return true;
}

bool CCreateProfileDialog::OnCommand(ui::WPARAM wParam, ui::LPARAM lParam) {
  if (lParam == ui::HandleOf(&browse_)) {
    Browse();
    return true;
  }
  return CProfileDlg::OnCommand(wParam, lParam);
}

void CCreateProfileDialog::Browse() {
  ui::FileDialogOptions options;
  options.kind = ui::FileDialogOptions::Kind::Open;
  options.parent = nullptr;  // the system places it
  options.defaultExtension = QStringLiteral(".exe");
  options.initialName = QStringLiteral("*.exe");
  // Programs on this system have no extension as a rule: every file comes first, as in the
  // program dialog.
  options.filter = QStringLiteral("所有文件(*)|*|exe file(*.exe)|*.exe|");
  options.fileMustExist = true;
  pages::BrowseIntoEdit(this, options, path_, kPathLimit, kPathTooLongText);
}

void CCreateProfileDialog::OnOK() {
  StoreText(nameTarget_, name_.text());
  StoreText(pathTarget_, path_.text());
  CProfileDlg::OnOK();
}

CModifyProfileDialog::~CModifyProfileDialog() = default;

bool CModifyProfileDialog::OnInitDialog() {
  return InitDialog(FieldQString(NameTarget()), FieldQString(PathTarget()));
}
