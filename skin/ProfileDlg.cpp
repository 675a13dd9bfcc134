#include "skin/ProfileDlg.h"

#include "platform/ui/ImageFile.h"
#include "platform/ui/Region.h"
#include "platform/ui/WindowPlacement.h"

CProfileDlg::CProfileDlg(const CINIFile& skinFile, const QString& imageFolder,
                         const QString& section, QWidget* parent)
    : CPageDialog(Kind::Dialog, skinFile, imageFolder, section, parent) {}

CProfileDlg::~CProfileDlg() = default;

bool CProfileDlg::LoadSkin() {
  const QImage sheet = LoadSkinImage(u"NormalImage");
  if (sheet.isNull()) return false;
  SetBackgroundBrush(QBrush(ui::CopyBlockOpaque(sheet, sheet.rect())));

  const QImage mask = LoadSkinImage(u"BackGroundMaskImage");
  if (!mask.isNull()) setMask(ui::CreateRegionFromImage(mask));

  const QRect place = ReadSkinRect(u"WindowsRect");
  setGeometry(place.x(), place.y(), qMax(0, place.width()), qMax(0, place.height()));
  SetPageVisible(ReadSkinInt(u"Visable") > 0);
  return true;
}

bool CProfileDlg::OnInitDialog() {
  CPageDialog::OnInitDialog();

  CreateSheetButtons({{u"KeyOKRect", &ok_}, {u"KeyCancleRect", &cancel_}});
  ui::CenterWindow(this);
  return true;
}

void CProfileDlg::CreateSheetButtons(std::initializer_list<SheetButton> buttons) {
  const QImage normal = LoadSkinImage(u"NormalImage");
  const QImage over = LoadSkinImage(u"OverImage");
  const QImage down = LoadSkinImage(u"DownImage");
  const QImage& disabled = normal;
  for (const SheetButton& b : buttons) {
    const QRect r = ReadSkinRect(b.key);
    b.button->Create(QString(), QRect(r.x(), r.y(), qMax(0, r.width()), qMax(0, r.height())),
                     this, 0);
    b.button->SetStateImages(r.x(), r.y(), r.width(), r.height(), &normal, &over, &down,
                             &disabled);
  }
}

bool CProfileDlg::OnCommand(ui::WPARAM wParam, ui::LPARAM lParam) {
  if (lParam == ui::HandleOf(&cancel_)) {
    OnCancel();
    return true;
  }
  if (lParam == ui::HandleOf(&ok_)) {
    OnOK();
    return true;
  }
  return CPageDialog::OnCommand(wParam, lParam);
}

void CProfileDlg::OnLButtonDown(ui::WPARAM flags, const QPoint& point) {
  ui::PostMessage(this, ui::WM_NCLBUTTONDOWN, ui::HTCAPTION, ui::MakeLParam(point.x(), point.y()));
  CPageDialog::OnLButtonDown(flags, point);
}
