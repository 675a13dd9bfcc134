#include "AssignDialogs.h"

#include <QPainter>

#include <functional>
#include <vector>

#include "PageSheet.h"
#include "Theme.h"

namespace {

using theme::Look;

// Both dialogs, in their own coordinates.
constexpr QSize kSize(420, 222);
const QRect kOk(110, 172, 92, 32);
const QRect kCancel(218, 172, 92, 32);

// The dark field an edit lies in, one rim wider than the edit.
void DrawField(QPainter& painter, const QRect& edit) {
  const QRect field = edit.adjusted(-4, -4, 4, 4);
  painter.fillRect(field, theme::kEdge);
  painter.fillRect(field.adjusted(1, 1, -1, -1), theme::kGroove);
}

// Writes a small dialog's section: its three sheets drawn by `draw` over the body, title and OK
// and Cancel, the mask, and the keys every such dialog has.
void WriteDialog(SkinWriter& skin, const QString& section, const QString& stem,
                 const QString& title, const std::function<void(QPainter&, Look)>& draw) {
  const QRect bounds(QPoint(0, 0), kSize);
  const QPolygon outline = theme::ChamferedOutline(bounds, 22, 6);
  const std::vector<QPolygon> cutouts = theme::Cutouts(QPoint(340, 14), 3, 10, 14, 16);
  const Look looks[3] = {Look::Normal, Look::Over, Look::Down};
  QImage sheets[3];
  for (int i = 0; i < 3; ++i) {
    sheets[i] = theme::Canvas(kSize);
    QPainter painter(&sheets[i]);
    theme::DrawBody(painter, outline, bounds);
    theme::DrawTitleStrip(painter, QRect(6, 6, kSize.width() - 12, 38), title, cutouts);
    draw(painter, looks[i]);
    theme::DrawButton(painter, kOk, QStringLiteral("确定"), looks[i]);
    theme::DrawButton(painter, kCancel, QStringLiteral("取消"), looks[i]);
  }
  skin.Section(section);
  skin.Rect(QStringLiteral("WindowsRect"), bounds);
  skin.Image(QStringLiteral("NormalImage"), stem + QStringLiteral("_Normal.png"), sheets[0]);
  skin.Image(QStringLiteral("OverImage"), stem + QStringLiteral("_Over.png"), sheets[1]);
  skin.Image(QStringLiteral("DownImage"), stem + QStringLiteral("_Down.png"), sheets[2]);
  skin.Image(QStringLiteral("BackGroundMaskImage"), stem + QStringLiteral("_Mask.bmp"),
             theme::Mask(kSize, outline, cutouts));
  skin.Number(QStringLiteral("Visable"), 1);
  skin.Rect(QStringLiteral("KeyOKRect"), kOk);
  skin.Rect(QStringLiteral("KeyCancleRect"), kCancel);
}

// The shortcut dialog's toggles, in the order the dialog creates them.
struct Toggle {
  const char* key;
  const char16_t* caption;
  QRect rect;
};
const Toggle kToggles[] = {
    {"KeyUnUseRect", u"无", QRect(24, 64, 64, 30)},
    {"KeyCtrlRect", u"Ctrl", QRect(100, 64, 64, 30)},
    {"KeyShiftRect", u"Shift", QRect(176, 64, 64, 30)},
    {"KeyAltRect", u"Alt", QRect(252, 64, 64, 30)},
    {"KeyWinRect", u"Win", QRect(328, 64, 64, 30)},
};
const QRect kKeyEdit(124, 118, 268, 22);

const QRect kPathEdit(124, 84, 196, 22);
const QRect kBrowse(332, 79, 64, 32);

}  // namespace

void WriteAssignAShortcutDialg(SkinWriter& skin) {
  WriteDialog(skin, QStringLiteral("AssignAShortcutDialg"), QStringLiteral("AssignShortcut"),
              QStringLiteral("组合键"), [](QPainter& painter, Look look) {
                // The toggles: off on the normal sheet, lit on the pressed one (a checked
                // toggle shows its pressed face).
                for (const Toggle& t : kToggles) {
                  theme::DrawButton(painter, t.rect, QString::fromUtf16(t.caption), look);
                }
                page_theme::DrawLabel(painter, QRect(20, kKeyEdit.top() - 3, 96, 28),
                                      QStringLiteral("按键"));
                DrawField(painter, kKeyEdit);
              });
  for (const Toggle& t : kToggles) skin.Rect(QString::fromLatin1(t.key), t.rect);
  skin.Rect(QStringLiteral("KeyEditRect"), kKeyEdit);
}

void WriteAssignAProgramToExecutonDialg(SkinWriter& skin) {
  WriteDialog(skin, QStringLiteral("AssignAProgramToExecutonDialg"),
              QStringLiteral("AssignProgram"), QStringLiteral("运行程序"),
              [](QPainter& painter, Look look) {
                page_theme::DrawLabel(painter, QRect(20, kPathEdit.top() - 3, 96, 28),
                                      QStringLiteral("程序路径"));
                DrawField(painter, kPathEdit);
                theme::DrawButton(painter, kBrowse, QStringLiteral("浏览"), look);
              });
  skin.Rect(QStringLiteral("KeyOpenProgramPathRect"), kBrowse);
  skin.Rect(QStringLiteral("KeyEditRect"), kPathEdit);
}
