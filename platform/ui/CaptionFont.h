#pragma once

#include <QFont>
#include <QPainter>
#include <QSize>
#include <QString>

// Caption text of the skinned controls. Their captions ask for the dialog face "MS Shell Dlg"
// (Swiss family, weight 500) at a height in pixels; here that face is a sans-serif font that
// covers Chinese, so the program's own texts stay readable.
namespace ui {

// The caption font at `height` pixels (a negative height counts as its magnitude, 0 keeps the
// default size) with the given weight on the 100 to 900 scale.
QFont CaptionFont(int height, int weight = 500);

// Width and height of the text's cell in `font`, as measured before it is drawn.
QSize TextExtent(const QFont& font, const QString& text);

// Draws `text` in the painter's font and pen with the top-left corner of its cell at (x, y),
// turned about that corner by `escapement` tenths of a degree counterclockwise: 0 reads left to
// right, 2700 runs downward.
void DrawTextAt(QPainter& painter, int x, int y, const QString& text, int escapement);

}  // namespace ui
