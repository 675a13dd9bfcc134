#include "pages/PageSkin.h"

#include <QWidget>

#include "skin/BitmapBtn.h"
#include "skin/DMarker.h"
#include "skin/PageDialog.h"
#include "skin/SkinValues.h"

namespace pages {

PageSheets PageSheets::Load(CPageDialog& page) {
  const auto load = [&](std::u16string_view key) {
    return skin::LoadSkinImage(page.ImageFolder(), page.SkinFile(), page.Section(), key);
  };
  return {page.TakeNormalSheet(), load(u"OverImage"), load(u"DownImage"),
          {page.BackgroundBrush().textureImage(), ReadPageRect(page, u"WindowsRect").topLeft()}};
}

QRect ReadPageRect(const CPageDialog& page, std::u16string_view key) {
  return skin::ReadRect(page.SkinFile(), page.Section(), key);
}

QRect ToPageRect(const QWidget& page, const QRect& rect) {
  const QWidget* parent = page.parentWidget();
  const QPoint screen = parent ? parent->mapToGlobal(rect.topLeft()) : rect.topLeft();
  const QPoint local = page.mapFromGlobal(screen);
  return QRect(local, QSize(qMax(0, rect.width()), qMax(0, rect.height())));
}

void CreatePageButton(CBitmapBtn& button, CPageDialog& page, const QRect& skinRect,
                      const PageSheets& sheets) {
  button.Create(QString(), ToPageRect(page, skinRect), &page, 0);
  button.SetStateImages(skinRect.x(), skinRect.y(), skinRect.width(), skinRect.height(),
                        &sheets.normal, &sheets.over, &sheets.down, &sheets.normal,
                        &sheets.background);
}

QRect CreatePageButton(CBitmapBtn& button, CPageDialog& page, std::u16string_view key,
                       const PageSheets& sheets) {
  const QRect r = ReadPageRect(page, key);
  CreatePageButton(button, page, r, sheets);
  return r;
}

QRect CreatePageMarker(CDMarker& marker, CPageDialog& page, std::u16string_view key, int min,
                       int max, const PageSheets& sheets) {
  const QRect r = ReadPageRect(page, key);
  const QRect placed = ToPageRect(page, r);
  marker.Create(placed.left(), placed.top(), placed.left() + placed.width(),
                placed.top() + placed.height(), &page, 0);
  marker.SetRange(min, max);
  marker.SetImages(r.x(), r.y(), r.width(), r.height(), &sheets.normal, &sheets.down);
  return r;
}

}  // namespace pages
