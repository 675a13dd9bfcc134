#include "MacroManagerDialog.h"

#include <QPainter>
#include <QPainterPath>

#include "Captions.h"
#include "Theme.h"

namespace {

using theme::Look;

constexpr QSize kSize(600, 380);

const QRect kTitle(6, 6, 588, 40);
const QRect kNameList(20, 76, 170, 240);
const QRect kEventList(206, 76, 200, 240);
const QRect kNew(20, 328, 80, 30);
const QRect kDelete(110, 328, 80, 30);
const QRect kRecord(206, 328, 200, 30);
const QRect kDelayToggle(424, 78, 156, 26);
const QRect kLoopToggle(424, 112, 156, 26);
const QRect kLoopEdit(450, 142, 70, 22);
const QRect kRepeatRadios[3] = {QRect(424, 198, 156, 26), QRect(424, 230, 156, 26),
                                QRect(424, 262, 156, 26)};
const QRect kOk(424, 328, 74, 30);
const QRect kCancel(506, 328, 74, 30);

// A check box or a radio: an indicator and a caption; the down look shows it checked.
void DrawChoice(QPainter& painter, const QRect& rect, const QString& caption, Look look,
                bool radio) {
  painter.save();
  painter.setRenderHint(QPainter::Antialiasing, true);
  const QRect box(rect.left() + 4, rect.center().y() - 7, 14, 14);
  const QColor rim = look == Look::Normal ? theme::kEdge : theme::kAccentLight;
  painter.setPen(QPen(rim, 1.5));
  painter.setBrush(theme::kGroove);
  if (radio)
    painter.drawEllipse(box);
  else
    painter.drawRect(box);
  if (look == Look::Down) {
    painter.setPen(Qt::NoPen);
    painter.setBrush(theme::kAccent);
    if (radio) {
      painter.drawEllipse(box.adjusted(4, 4, -4, -4));
    } else {
      painter.drawRect(box.adjusted(3, 3, -3, -3));
    }
  }
  if (look == Look::Over) {
    painter.fillRect(QRect(rect.left() + 24, rect.bottom() - 1, rect.width() - 28, 1),
                     theme::kAccent);
  }
  painter.setFont(theme::Font(13));
  painter.setPen(look == Look::Normal ? theme::kText : Qt::white);
  painter.drawText(rect.adjusted(24, 0, 0, 0), Qt::AlignLeft | Qt::AlignVCenter, caption);
  painter.restore();
}

// A column heading above a list or the settings.
void DrawLabel(QPainter& painter, const QRect& rect, const QString& text) {
  painter.save();
  painter.fillRect(QRect(rect.left(), rect.bottom(), rect.width(), 1), theme::kEdge);
  painter.setFont(theme::Font(13, QFont::DemiBold));
  painter.setPen(theme::kTextDim);
  painter.drawText(rect.adjusted(2, 0, 0, -2), Qt::AlignLeft | Qt::AlignVCenter, text);
  painter.restore();
}

// The sunken frame around a list or the edit.
void DrawWell(QPainter& painter, const QRect& rect) {
  painter.fillRect(rect.adjusted(-2, -2, 2, 2), theme::kEdge);
  painter.fillRect(rect.adjusted(-1, -1, 1, 1), theme::kGroove);
}

void DrawSheet(QImage& sheet, Look look, const QPolygon& outline,
               const std::vector<QPolygon>& cutouts) {
  const QRect bounds(QPoint(0, 0), kSize);
  QPainter painter(&sheet);
  theme::DrawBody(painter, outline, bounds);
  theme::DrawTitleStrip(painter, kTitle, QString::fromUtf16(captions::kMacroManager), cutouts);
  DrawLabel(painter, QRect(kNameList.left(), 52, kNameList.width(), 20), QStringLiteral("宏列表"));
  DrawLabel(painter, QRect(kEventList.left(), 52, kEventList.width(), 20),
            QStringLiteral("按键序列"));
  DrawLabel(painter, QRect(kDelayToggle.left(), 52, kDelayToggle.width(), 20),
            QStringLiteral("宏设置"));
  DrawLabel(painter, QRect(kRepeatRadios[0].left(), 174, kRepeatRadios[0].width(), 20),
            QStringLiteral("重复方式"));
  DrawWell(painter, kNameList);
  DrawWell(painter, kEventList);
  DrawWell(painter, kLoopEdit);
  painter.setFont(theme::Font(13));
  painter.setPen(theme::kTextDim);
  painter.drawText(QRect(kLoopEdit.right() + 8, kLoopEdit.top(), 30, kLoopEdit.height()),
                   Qt::AlignLeft | Qt::AlignVCenter, QStringLiteral("次"));

  theme::DrawButton(painter, kNew, QStringLiteral("新建"), look);
  theme::DrawButton(painter, kDelete, QStringLiteral("删除"), look);
  theme::DrawButton(painter, kOk, QStringLiteral("确定"), look);
  theme::DrawButton(painter, kCancel, QStringLiteral("取消"), look);
  DrawChoice(painter, kDelayToggle, QStringLiteral("录制延时"), look, false);
  DrawChoice(painter, kLoopToggle, QStringLiteral("循环次数"), look, false);
  const QString repeats[3] = {QStringLiteral("次数完或按键停止"), QStringLiteral("按任意键停止"),
                              QStringLiteral("松开按键停止")};
  for (int i = 0; i < 3; ++i) DrawChoice(painter, kRepeatRadios[i], repeats[i], look, true);
  // Under the two recording buttons, which draw their own faces.
  theme::DrawButton(painter, kRecord, QString(), Look::Normal);
}

// The face of a recording button: a dot to start, a square to stop.
QImage RecordFace(bool start, Look look) {
  QImage face(kRecord.size(), QImage::Format_ARGB32_Premultiplied);
  face.fill(theme::kBodyBottom);
  QPainter painter(&face);
  const QRect rect(QPoint(0, 0), kRecord.size());
  theme::DrawButton(painter, rect,
                    start ? QStringLiteral("   开始录制") : QStringLiteral("   停止录制"), look);
  painter.setRenderHint(QPainter::Antialiasing, true);
  painter.setPen(Qt::NoPen);
  const QRect mark(58, rect.center().y() - 5, 11, 11);
  if (start) {
    painter.setBrush(QColor(0xE5, 0x3B, 0x3B));
    painter.drawEllipse(mark);
  } else {
    painter.setBrush(look == Look::Normal ? theme::kAccentLight : Qt::white);
    painter.drawRect(mark.adjusted(1, 1, -1, -1));
  }
  return face;
}

}  // namespace

void WriteMacroManagerDialog(SkinWriter& skin) {
  const QRect bounds(QPoint(0, 0), kSize);
  const QPolygon outline = theme::ChamferedOutline(bounds, 24, 6);
  const std::vector<QPolygon> cutouts = theme::Cutouts(QPoint(510, 16), 3, 10, 14, 16);
  const Look looks[3] = {Look::Normal, Look::Over, Look::Down};
  const char* const lookNames[3] = {"Normal", "Over", "Down"};

  skin.Section(QStringLiteral("MacroManagerDialog"));
  skin.Rect(QStringLiteral("WindowsRect"), bounds);
  for (int i = 0; i < 3; ++i) {
    QImage sheet = theme::Canvas(kSize);
    DrawSheet(sheet, looks[i], outline, cutouts);
    const QString look = QString::fromLatin1(lookNames[i]);
    skin.Image(look + QStringLiteral("Image"), QStringLiteral("MacroManager_%1.png").arg(look),
               sheet);
  }
  skin.Image(QStringLiteral("BackGroundMaskImage"), QStringLiteral("MacroManager_Mask.bmp"),
             theme::Mask(kSize, outline, cutouts));
  skin.Number(QStringLiteral("Visable"), 1);
  skin.Rect(QStringLiteral("KeyOKRect"), kOk);
  skin.Rect(QStringLiteral("KeyCancleRect"), kCancel);
  skin.Rect(QStringLiteral("KeyNewRect"), kNew);
  skin.Rect(QStringLiteral("KeyDeleteRect"), kDelete);
  for (bool start : {true, false}) {
    const QString key = start ? QStringLiteral("KeyStartRecord") : QStringLiteral("KeyStopRecord");
    for (int i = 0; i < 3; ++i) {
      const QString look = QString::fromLatin1(lookNames[i]);
      skin.Image(key + look + QStringLiteral("Image"),
                 QStringLiteral("MacroManager_%1%2.png")
                     .arg(start ? QStringLiteral("Start") : QStringLiteral("Stop"), look),
                 RecordFace(start, looks[i]));
    }
    skin.Rect(key + QStringLiteral("Rect"), kRecord);
  }
  skin.Rect(QStringLiteral("KeyDelayOnOffRect"), kDelayToggle);
  skin.Rect(QStringLiteral("KeyLoopTimesOnOffRect"), kLoopToggle);
  skin.Rect(QStringLiteral("KeyRepeateUntildTimeOverOrAnykeyDownRect"), kRepeatRadios[0]);
  skin.Rect(QStringLiteral("KeyRepeatUntilAnykeyDownRect"), kRepeatRadios[1]);
  skin.Rect(QStringLiteral("KeyRepeatUntilKeyUpRect"), kRepeatRadios[2]);
  skin.Rect(QStringLiteral("MacroNameListRect"), kNameList);
  skin.Rect(QStringLiteral("KeySequenceListRect"), kEventList);
  // The icons the event list already draws (written with the popup menus' sheets).
  skin.Value(QStringLiteral("MacroKeyUpImage"), QStringLiteral("Skin\\MacroKeyUp.png"));
  skin.Value(QStringLiteral("MacroKeyDownImage"), QStringLiteral("Skin\\MacroKeyDown.png"));
  skin.Value(QStringLiteral("MacroKeyDelayImage"), QStringLiteral("Skin\\MacroKeyDelay.png"));
  skin.Value(QStringLiteral("MacroMouseUpImage"), QStringLiteral("Skin\\MacroMouseUp.png"));
  skin.Value(QStringLiteral("MacroMouseDownImage"), QStringLiteral("Skin\\MacroMouseDown.png"));
  skin.Rect(QStringLiteral("EditMacroLoopRect"), kLoopEdit);
}
