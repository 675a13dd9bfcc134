#include "AssignDialogs.h"

#include <QPainter>

#include <vector>

#include "Captions.h"
#include "PageSheet.h"
#include "Theme.h"

namespace {

using page_theme::DrawField;
using page_theme::WriteDialog;
using theme::Look;

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
              QString::fromUtf16(captions::kShortcutDialog), [](QPainter& painter, Look look) {
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
              QStringLiteral("AssignProgram"), QString::fromUtf16(captions::kProgramDialog),
              [](QPainter& painter, Look look) {
                page_theme::DrawLabel(painter, QRect(20, kPathEdit.top() - 3, 96, 28),
                                      QStringLiteral("程序路径"));
                DrawField(painter, kPathEdit);
                theme::DrawButton(painter, kBrowse, QStringLiteral("浏览"), look);
              });
  skin.Rect(QStringLiteral("KeyOpenProgramPathRect"), kBrowse);
  skin.Rect(QStringLiteral("KeyEditRect"), kPathEdit);
}
