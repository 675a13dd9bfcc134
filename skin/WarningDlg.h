#pragma once

#include "skin/ProfileDlg.h"

// A modal OK/Cancel confirmation whose whole message is drawn in its skin images; it draws no
// text of its own. DoModal gives ui::IDOK or ui::IDCANCEL. Its sections are
// "RestoreWarningDialog", "SingleKeyWarningDialog", "MacroListDeleteWarningDialog" and
// "MacroListRenameWarningDialog"; it skins, ends and drags itself as CProfileDlg does.
class CWarningDlg : public CProfileDlg {
 public:
  CWarningDlg(const CINIFile& skinFile, const QString& imageFolder, const QString& section,
              QWidget* parent);
  ~CWarningDlg() override;
};
