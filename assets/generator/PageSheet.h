#pragma once

#include <QImage>
#include <QPainter>
#include <QRect>
#include <QString>

#include <functional>

#include "SkinWriter.h"
#include "Theme.h"

// The sheets of a settings page: three pictures of the main window's size whose page rectangle
// holds the page in its normal, hover and pressed looks, as every page section expects.
class PageSheet {
 public:
  // Sheets with the page's panel drawn at `place` (main window client coordinates).
  explicit PageSheet(const QRect& place);

  const QRect& Place() const { return place_; }
  QImage& Sheet(theme::Look look) { return sheets_[static_cast<int>(look)]; }

  // Draws on each of the three sheets in turn.
  template <typename Draw>
  void DrawAll(Draw draw) {
    const theme::Look looks[3] = {theme::Look::Normal, theme::Look::Over, theme::Look::Down};
    for (theme::Look look : looks) {
      QPainter painter(&Sheet(look));
      draw(painter, look);
    }
  }

  // Writes "WindowsRect", the three sheets (`stem`_Normal.png ...), the mask (page-sized, with
  // chamfered corners) and "Visable" 1 into the current section.
  void Write(SkinWriter& skin, const QString& stem) const;

 private:
  QRect place_;
  QImage sheets_[3];
};

namespace page_theme {

// A row label: a short accent bar and dim text, left-aligned in `rect`.
void DrawLabel(QPainter& painter, const QRect& rect, const QString& text);

// A step slider of `cells` cells in `rect`: grooves on the normal and over sheets, lit cells on
// the down sheet (the slider's fill is cut from it).
void DrawStepSlider(QPainter& painter, const QRect& rect, int cells, theme::Look look);

// The faint title line of a group of rows.
void DrawGroupTitle(QPainter& painter, const QRect& rect, const QString& text);

// The dark field an edit lies in, one rim wider than the edit.
void DrawField(QPainter& painter, const QRect& edit);

// The size and the OK and Cancel buttons of the small dialogs that the pages open (the
// shortcut, program and profile dialogs), in the dialogs' own coordinates.
inline constexpr QSize kDialogSize(420, 222);
inline const QRect kDialogOk(110, 172, 92, 32);
inline const QRect kDialogCancel(218, 172, 92, 32);

// Writes such a dialog's section: its three sheets (`stem`_Normal.png ...) drawn by `draw` over
// the body and `title`, with OK and Cancel on top, the mask, and the keys every such dialog has;
// the caller adds the keys of its own controls.
void WriteDialog(SkinWriter& skin, const QString& section, const QString& stem,
                 const QString& title, const std::function<void(QPainter&, theme::Look)>& draw);

}  // namespace page_theme
