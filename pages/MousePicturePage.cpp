#include "pages/MousePicturePage.h"

#include <QPoint>
#include <QString>

#include <string>

#include "pages/PageSkin.h"

namespace {
constexpr int kMarkerNumbers[CMousePicturePage::kMarkerCount] = {1, 2, 7, 3, 5, 5, 4, 8, 6, 8};
}  // namespace

CMousePicturePage::CMousePicturePage(const CINIFile& skinFile, const QString& imageFolder,
                                     const QString& section, QWidget* parent)
    : CPageDialog(Kind::Page, skinFile, imageFolder, section, parent) {}

CMousePicturePage::~CMousePicturePage() = default;

int CMousePicturePage::MarkerNumber(int index) {
  return index >= 0 && index < kMarkerCount ? kMarkerNumbers[index] : 0;
}

bool CMousePicturePage::LoadSkin() {
  const bool result = CPageDialog::LoadSkin();
  // The sheets are held only while the markers are cut.
  pages::PageSheets sheets = pages::PageSheets::Load(*this);
  for (int i = 0; i < kMarkerCount; ++i) {
    const std::u16string key = u"KeyImageRect_" + QString::number(i).toStdU16String();
    const QRect r = pages::ReadPageRect(*this, key);
    CBitmapBtn& marker = keyImages_[i];
    marker.Create(QString(), pages::ToPageRect(*this, r), this, 0);
    // Hover and press use the highlighted face too, but both looks are switched off: only the
    // checked state shows it.
    marker.SetStateImages(r.x(), r.y(), r.width(), r.height(), &sheets.normal, &sheets.down,
                          &sheets.down, &sheets.normal);
    marker.EnableDownLook(0);
    marker.EnableOverLook(0);
    marker.SetCaption(QString::number(kMarkerNumbers[i]), 0, 1);
  }
  return result;
}

int CMousePicturePage::SelectKey(unsigned index) {
  for (unsigned i = 0; i < kMarkerCount; ++i) keyImages_[i].SetCheckState(i == index ? 1 : 0);
  return 0;
}

bool CMousePicturePage::OnCommand(ui::WPARAM, ui::LPARAM) {
  // A click on a marker counts as a press on the page: the main window is dragged.
  OnLButtonDown(0, QPoint(0, 0));
  return true;
}
