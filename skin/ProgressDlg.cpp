#include "skin/ProgressDlg.h"

CProgressDlg::CProgressDlg(const CINIFile& skinFile, const QString& imageFolder,
                           const QString& section, QWidget* parent)
    : CPageDialog(Kind::Dialog, skinFile, imageFolder, section, parent) {}

CProgressDlg::~CProgressDlg() = default;

bool CProgressDlg::LoadSkin() {
  const bool loaded = CPageDialog::LoadSkin();
  const QImage normal = TakeNormalSheet();
  const QImage down = LoadSkinImage(u"DownImage");
  const QRect r = ReadSkinRect(u"ProgressBarRect");
  bar_.Create(QRect(r.x(), r.y(), qMax(0, r.width()), qMax(0, r.height())), this, 0);
  bar_.SetImages(r.x(), r.y(), r.width(), r.height(), &normal, &down);
  bar_.SetRange(0, 100);
  bar_.SetPos(0);
  return loaded;
}
