#pragma once

#include <QString>

#include <string_view>

#include "settings/Records.h"
#include "skin/BitmapBtn.h"
#include "skin/LimitedLineEdit.h"
#include "skin/ProfileDlg.h"

// Chooses the program a button runs: a path edit the user types into and a browse button that
// opens the open-file dialog. The path is handed back by GetPath after OK; the dialog does not
// test whether the file exists or can run. Enter ends it as OK; Esc and the window manager's
// close as Cancel.
//
// Skin section: the CProfileDlg keys and "KeyOpenProgramPathRect" (browse button) and
// "KeyEditRect" (path edit), in the dialog's own coordinates.
class CAssignAProgramToExecutonDialg : public CProfileDlg {
 public:
  // What the record's path field holds besides its terminator, in UTF-16 units.
  static constexpr int kPathLimit = static_cast<int>(settings::TEXT_FIELD_LENGTH) - 1;
  // Shown when the open-file dialog chose a path longer than the record holds.
  static constexpr std::u16string_view kPathTooLongText = u"程序路径过长！";

  CAssignAProgramToExecutonDialg(const CINIFile& skinFile, const QString& imageFolder,
                                 const QString& section, const QString& path, QWidget* parent);
  ~CAssignAProgramToExecutonDialg() override;

  // The path as last typed or chosen.
  QString GetPath() const { return path_; }

  CBitmapBtn& BrowseButton() { return browse_; }
  LimitedLineEdit& PathEdit() { return edit_; }

 protected:
  bool OnInitDialog() override;
  // The browse button runs the open-file dialog; OK and Cancel are CProfileDlg's.
  bool OnCommand(ui::WPARAM wParam, ui::LPARAM lParam) override;

 private:
  void Browse();

  CBitmapBtn browse_;
  LimitedLineEdit edit_;
  QString path_;
};
