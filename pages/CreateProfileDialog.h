#pragma once

#include <QString>

#include <string_view>

#include "settings/Records.h"
#include "skin/BitmapBtn.h"
#include "skin/LimitedLineEdit.h"
#include "skin/ProfileDlg.h"

// The profile name and the application path of a mode, edited in a small skinned dialog.
// Both texts are written into the caller's record only by OK (also the Enter key); Cancel,
// Escape and the window manager's close write nothing. Skin section "CreateProfileDialog": the
// CProfileDlg keys and "KeyOpenModeExcutionPathRect" (browse button),
// "KeyEditModeNameRect" and "KeyEditModeExcutionPathRect" (the two edits), in the dialog's own
// coordinates. The create dialog starts with both edits empty.
class CCreateProfileDialog : public CProfileDlg {
 public:
  // What the user may type or paste into the edits, in UTF-16 units.
  static constexpr int kNameLimit = 30;
  static constexpr int kPathLimit = static_cast<int>(settings::TEXT_FIELD_LENGTH) - 1;
  // The box shown when browsing chose a path longer than the record holds.
  static constexpr std::u16string_view kPathTooLongText = u"程序路径过长！";

  // `name` and `path` are the record's profileName and appPath.
  CCreateProfileDialog(const CINIFile& skinFile, const QString& imageFolder,
                       const QString& section, settings::TextField* name,
                       settings::TextField* path, QWidget* parent);
  ~CCreateProfileDialog() override;

  CBitmapBtn& BrowseButton() { return browse_; }
  LimitedLineEdit& NameEdit() { return name_; }
  LimitedLineEdit& PathEdit() { return path_; }

 protected:
  bool OnInitDialog() override;
  // The browse button runs the file dialog; OK and Cancel are CProfileDlg's.
  bool OnCommand(ui::WPARAM wParam, ui::LPARAM lParam) override;
  // Copies both texts into the record, each within its field, and ends the dialog with IDOK.
  void OnOK() override;

  // The dialog, its buttons and the two edits showing `name` and `path`, all selected.
  bool InitDialog(const QString& name, const QString& path);

  settings::TextField* NameTarget() const { return nameTarget_; }
  settings::TextField* PathTarget() const { return pathTarget_; }

 private:
  void Browse();

  CBitmapBtn browse_;
  LimitedLineEdit name_;
  LimitedLineEdit path_;
  settings::TextField* nameTarget_;
  settings::TextField* pathTarget_;
};

// The same dialog opened on the record's current name and path.
class CModifyProfileDialog : public CCreateProfileDialog {
 public:
  using CCreateProfileDialog::CCreateProfileDialog;
  ~CModifyProfileDialog() override;

 protected:
  bool OnInitDialog() override;
};
