#pragma once

#include <QColor>
#include <QFont>
#include <QImage>
#include <QPainter>
#include <QPainterPath>
#include <QPolygon>
#include <QRect>
#include <QSize>
#include <QString>

#include <vector>

// The one look of the default skin: dark panels, one blue accent, light Chinese text, and
// outlines with cut corners that the masks give every window. Each window's section draws with
// these helpers, so later windows keep the same look.
namespace theme {

// Colours. The accent and the panel grey are those the generated submenu pictures use.
inline const QColor kAccent(0x1F, 0x8B, 0xE5);
inline const QColor kAccentLight(0x5C, 0xB3, 0xFF);
inline const QColor kAccentDark(0x12, 0x4F, 0x86);
inline const QColor kPanel(0x33, 0x33, 0x33);
inline const QColor kBodyTop(0x2A, 0x2D, 0x34);
inline const QColor kBodyBottom(0x16, 0x18, 0x1D);
inline const QColor kGroove(0x0E, 0x10, 0x14);
inline const QColor kEdge(0x45, 0x4B, 0x57);
inline const QColor kText(0xE8, 0xEA, 0xED);
inline const QColor kTextDim(0x9A, 0xA1, 0xAD);

// Mask colours: outside the shape and cut-outs inside it (both are holes), and kept pixels.
inline const QColor kMaskOutside(255, 0, 255);
inline const QColor kMaskSlot(255, 255, 255);
inline const QColor kMaskKept(0, 0, 0);

// The main window's client size: pages share it, and the progress window is placed in it.
inline constexpr QSize kMainWindowSize(860, 560);
// Where the settings pages sit in the main window's client area; the main window's background
// there is a plain panel that the pages cover.
inline constexpr QRect kPageArea(20, 116, 600, 372);

// A sans-serif face that covers Chinese, `pixels` high.
QFont Font(int pixels, QFont::Weight weight = QFont::Medium);

// The outline of `rect` with the top-left and bottom-right corners cut at 45 degrees by `cut`
// pixels and the other two by `smallCut`.
QPolygon ChamferedOutline(const QRect& rect, int cut, int smallCut);

// Three parallel slanted cutouts, each `w` by `h`, starting at `origin` and `step` apart: the
// see-through marks of a header.
std::vector<QPolygon> Cutouts(QPoint origin, int count, int w, int h, int step);

// A window's body: a gradient panel inside a 2-pixel accent rim, following `outline`.
void DrawBody(QPainter& painter, const QPolygon& outline, const QRect& bounds);

// The mask of a window of `size`: outside `outline` and inside each cutout is a hole.
QImage Mask(QSize size, const QPolygon& outline, const std::vector<QPolygon>& cutouts = {});

// The header strip of a small window: an accent bar, the title and the rims of the see-through
// cutouts (whose insides are holes of the mask).
void DrawDialogHeader(QPainter& painter, const QRect& strip, const QString& title,
                      const std::vector<QPolygon>& cutouts);

// The three looks of a button with a caption in `rect`.
enum class Look { Normal, Over, Down };
void DrawButton(QPainter& painter, const QRect& rect, const QString& caption, Look look);

// A blank sheet of `size` in the body's darkest colour, for a window to draw on.
QImage Canvas(QSize size);

// The title strip of a small window: the title, an accent mark before it, a rule below, and the
// rims of the see-through cutouts (their insides are holes of the mask).
void DrawTitleStrip(QPainter& painter, const QRect& strip, const QString& title,
                    const std::vector<QPolygon>& cutouts);

// The outline of the mouse seen from above, `w` wide and `h` high around `centre`.
QPainterPath MouseBody(QPointF centre, qreal w, qreal h);

// Text centred in `rect` (several lines separated by '\n').
void DrawCentredText(QPainter& painter, const QRect& rect, const QString& text, const QFont& font,
                     const QColor& colour);

}  // namespace theme
