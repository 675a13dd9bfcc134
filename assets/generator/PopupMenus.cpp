#include "PopupMenus.h"

#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>

#include <set>

#include "Theme.h"

namespace {

using theme::Look;

constexpr int kBand = 17;

struct Sheet {
  const char* stem;     // the file name before "_n.png", "_o.png", "_d.png"
  const char* suffix;   // the extension as the program spells it
  int width;
  int bands;
  std::set<int> arrows;  // bands of items that open a submenu
};

// A small right-pointing arrow at the right end of a band.
void DrawArrow(QPainter& painter, const QRect& band, const QColor& colour) {
  const int x = band.right() - 9;
  const int cy = band.top() + kBand / 2;
  QPolygon arrow;
  arrow << QPoint(x, cy - 4) << QPoint(x + 4, cy) << QPoint(x, cy + 4);
  painter.setPen(Qt::NoPen);
  painter.setBrush(colour);
  painter.drawPolygon(arrow);
}

// One sheet of a menu: every band in the given look over the dark body with the accent frame
// of the main window; a separator under each band.
QImage DrawSheet(const Sheet& sheet, Look look) {
  const QSize size(sheet.width, kBand * sheet.bands + 1);
  QImage image(size, QImage::Format_RGB32);
  QPainter painter(&image);
  painter.setRenderHint(QPainter::Antialiasing, false);
  QLinearGradient body(0, 0, 0, size.height());
  body.setColorAt(0, theme::kBodyTop);
  body.setColorAt(1, theme::kBodyBottom);
  painter.fillRect(image.rect(), body);
  for (int i = 0; i < sheet.bands; ++i) {
    const QRect band(1, kBand * i + 1, size.width() - 2, kBand - 1);
    if (look == Look::Over) {
      QLinearGradient face(band.topLeft(), band.bottomLeft());
      face.setColorAt(0, QColor(0x3A, 0x40, 0x4C));
      face.setColorAt(1, QColor(0x24, 0x28, 0x30));
      painter.fillRect(band, face);
      painter.fillRect(QRect(band.left(), band.top(), 3, band.height()), theme::kAccent);
    } else if (look == Look::Down) {
      QLinearGradient face(band.topLeft(), band.bottomLeft());
      face.setColorAt(0, theme::kAccent);
      face.setColorAt(1, theme::kAccentDark);
      painter.fillRect(band, face);
    }
    if (i > 0) painter.fillRect(QRect(4, kBand * i, size.width() - 8, 1), theme::kEdge);
    if (sheet.arrows.count(i)) {
      DrawArrow(painter, band, look == Look::Normal ? theme::kTextDim : QColor(Qt::white));
    }
  }
  painter.setPen(theme::kAccent);
  painter.setBrush(Qt::NoBrush);
  painter.drawRect(image.rect().adjusted(0, 0, -1, -1));
  return image;
}

void WriteSheets(SkinWriter& skin, const QString& folder, const Sheet& sheet) {
  const Look looks[] = {Look::Normal, Look::Over, Look::Down};
  const char* letters[] = {"n", "o", "d"};
  for (int i = 0; i < 3; ++i) {
    skin.File(folder + QString::fromLatin1(sheet.stem) + u'_' + QString::fromLatin1(letters[i]) +
                  QString::fromLatin1(sheet.suffix),
              DrawSheet(sheet, looks[i]));
  }
}

}  // namespace

void WritePopupMenuSheets(SkinWriter& skin) {
  // The function menu: 22 items, the first five open submenus (128 by 375).
  WriteSheets(skin, QStringLiteral("Defualt/"), {"button_menu", ".png", 128, 22, {0, 1, 2, 3, 4}});
  // Only the width of the submenu sheets counts; the submenus draw their own pictures.
  WriteSheets(skin, QStringLiteral("Defualt/"), {"sub_menu", ".png", 128, 10, {}});
  // The macro menu's three levels cascade within 231 by 264 pixels: each level's left edge lies
  // 2 pixels inside the right edge of the one before (95 + 68 + 68).
  const QString macro = QStringLiteral("Defualt/MacroMenu/");
  WriteSheets(skin, macro, {"Macro_menu", ".png", 95, 6, {3}});
  WriteSheets(skin, macro, {"Sub_Macro_menu", ".PNG", 70, 5, {0, 1, 2, 3, 4}});
  WriteSheets(skin, macro, {"Sub2_Macro_menu", ".PNG", 70, 3, {}});
}

namespace {

enum class Glyph { KeyUp, KeyDown, Delay, MouseUp, MouseDown };

// A vertical arrow in the right half of an icon.
void DrawUpDown(QPainter& painter, bool up, const QColor& colour) {
  QPolygon head;
  if (up)
    head << QPoint(12, 1) << QPoint(16, 6) << QPoint(8, 6);
  else
    head << QPoint(12, 15) << QPoint(16, 10) << QPoint(8, 10);
  painter.setPen(Qt::NoPen);
  painter.setBrush(colour);
  painter.drawPolygon(head);
  painter.fillRect(up ? QRect(11, 6, 2, 8) : QRect(11, 2, 2, 8), colour);
}

QImage DrawIcon(Glyph glyph) {
  QImage icon(16, 16, QImage::Format_RGB32);
  icon.fill(Qt::black);  // opaque black is the list's transparent colour
  QPainter painter(&icon);
  painter.setRenderHint(QPainter::Antialiasing, false);
  const QColor ink(0x3A, 0x40, 0x4C);
  const QColor face(0xE8, 0xEA, 0xED);
  switch (glyph) {
    case Glyph::KeyUp:
    case Glyph::KeyDown:
      // A key cap.
      painter.fillRect(QRect(0, 4, 10, 10), ink);
      painter.fillRect(QRect(1, 5, 8, 7), face);
      DrawUpDown(painter, glyph == Glyph::KeyUp, theme::kAccent);
      break;
    case Glyph::MouseUp:
    case Glyph::MouseDown:
      // A mouse seen from above, its left button lit.
      painter.fillRect(QRect(1, 2, 8, 13), ink);
      painter.fillRect(QRect(2, 3, 3, 5), theme::kAccent);
      painter.fillRect(QRect(6, 3, 2, 5), face);
      painter.fillRect(QRect(2, 9, 6, 5), face);
      DrawUpDown(painter, glyph == Glyph::MouseUp, theme::kAccent);
      break;
    case Glyph::Delay:
      // A clock face.
      painter.setPen(Qt::NoPen);
      painter.setBrush(theme::kAccent);
      painter.drawEllipse(QRect(1, 1, 14, 14));
      painter.setBrush(face);
      painter.drawEllipse(QRect(3, 3, 10, 10));
      painter.fillRect(QRect(7, 4, 2, 5), ink);
      painter.fillRect(QRect(8, 7, 4, 2), ink);
      break;
  }
  return icon;
}

}  // namespace

void WriteEventIcons(SkinWriter& skin) {
  const struct {
    const char* file;
    Glyph glyph;
  } icons[] = {{"MacroKeyUp.png", Glyph::KeyUp},
               {"MacroKeyDown.png", Glyph::KeyDown},
               {"MacroKeyDelay.png", Glyph::Delay},
               {"MacroMouseUp.png", Glyph::MouseUp},
               {"MacroMouseDown.png", Glyph::MouseDown}};
  for (const auto& icon : icons) {
    skin.File(QStringLiteral("Skin/") + QString::fromLatin1(icon.file), DrawIcon(icon.glyph));
  }
}
