#pragma once

#include <QImage>
#include <QRect>

#include "platform/ui/ImageFile.h"

#include <string_view>

class CBitmapBtn;
class CDMarker;
class CPageDialog;
class QWidget;

// The controls of a settings page. A page's sheets have the size of the main window's client
// area and every rectangle of its section is in the main window's client coordinates: a control
// is placed at its rectangle converted to the page's own coordinates, and its faces are cut from
// the sheets at the rectangle as read.
namespace pages {

// The three sheets of a page's section ("NormalImage", "OverImage", "DownImage"), held while
// the page builds its controls; a sheet that does not load is null. The normal sheet is the one
// the page's background was cut from (CPageDialog::TakeNormalSheet), not decoded again; the
// page keeps that background, whose memory the buttons' faces share where they are the same.
struct PageSheets {
  QImage normal;
  QImage over;
  QImage down;
  ui::KeptImage background;

  static PageSheets Load(CPageDialog& page);
};

// The rectangle of `key` in the page's section (x, y, w, h in the main window's client area).
QRect ReadPageRect(const CPageDialog& page, std::u16string_view key);

// `rect`, given in the client coordinates of the page's parent, in the page's own coordinates
// (through screen coordinates); a negative width or height counts as 0.
QRect ToPageRect(const QWidget& page, const QRect& rect);

// A push button at `skinRect` (parent client coordinates): empty caption, control id 0, its
// normal, over and down faces cut at `skinRect` from the sheets and the disabled face from the
// normal sheet.
void CreatePageButton(CBitmapBtn& button, CPageDialog& page, const QRect& skinRect,
                      const PageSheets& sheets);
// The same with the rectangle of `key`; returns the rectangle as read.
QRect CreatePageButton(CBitmapBtn& button, CPageDialog& page, std::u16string_view key,
                       const PageSheets& sheets);

// A step slider at the rectangle of `key` with control id 0 and the range min to max; its
// background is cut from the normal sheet and its fill from the down sheet.
QRect CreatePageMarker(CDMarker& marker, CPageDialog& page, std::u16string_view key, int min,
                       int max, const PageSheets& sheets);

}  // namespace pages
