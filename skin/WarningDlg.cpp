#include "skin/WarningDlg.h"

CWarningDlg::CWarningDlg(const CINIFile& skinFile, const QString& imageFolder,
                         const QString& section, QWidget* parent)
    : CProfileDlg(skinFile, imageFolder, section, parent) {}

CWarningDlg::~CWarningDlg() = default;
