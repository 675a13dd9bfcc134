#include "SmallDialogs.h"

#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>

#include "Theme.h"

namespace {

using theme::Look;

constexpr QSize kWarningSize(380, 200);
const QRect kOkRect(78, 142, 100, 32);
const QRect kCancelRect(202, 142, 100, 32);

struct Warning {
  const char* section;
  const char* file;
  const char16_t* title;
  const char16_t* message;
};

const Warning kWarnings[] = {
    {"RestoreWarningDialog", "RestoreWarning", u"恢复出厂设置",
     u"确定要恢复出厂设置吗？\n四个模式的全部设置都将还原为默认值。"},
    {"SingleKeyWarningDialog", "SingleKeyWarning", u"按键设置",
     u"必须保留一个按键为鼠标左键功能！\n本次设置未被采用。"},
    {"MacroListDeleteWarningDialog", "MacroDeleteWarning", u"删除宏",
     u"该宏正被按键使用，无法删除！\n请先取消按键上的宏设置。"},
    {"MacroListRenameWarningDialog", "MacroRenameWarning", u"宏名称",
     u"已存在同名的宏！\n名称已恢复，请换一个名称。"},
};

// A warning sign: an accent triangle with an exclamation mark.
void DrawWarningSign(QPainter& painter, const QRect& box) {
  painter.save();
  painter.setRenderHint(QPainter::Antialiasing, true);
  QPainterPath triangle;
  triangle.moveTo(box.center().x(), box.top());
  triangle.lineTo(box.right(), box.bottom());
  triangle.lineTo(box.left(), box.bottom());
  triangle.closeSubpath();
  painter.fillPath(triangle, theme::kAccent);
  painter.setPen(QPen(theme::kBodyBottom, 3, Qt::SolidLine, Qt::RoundCap));
  const int cx = box.center().x();
  painter.drawLine(cx, box.top() + box.height() * 2 / 5, cx, box.bottom() - box.height() / 4);
  painter.drawPoint(cx, box.bottom() - box.height() / 8);
  painter.restore();
}

}  // namespace

void WriteWarningDialogs(SkinWriter& skin) {
  const QRect bounds(QPoint(0, 0), kWarningSize);
  const QPolygon outline = theme::ChamferedOutline(bounds, 22, 6);
  const std::vector<QPolygon> cutouts = theme::Cutouts(QPoint(300, 14), 3, 10, 14, 16);
  const QImage mask = theme::Mask(kWarningSize, outline, cutouts);

  for (const Warning& w : kWarnings) {
    QImage sheets[3] = {theme::Canvas(kWarningSize), theme::Canvas(kWarningSize),
                        theme::Canvas(kWarningSize)};
    const Look looks[3] = {Look::Normal, Look::Over, Look::Down};
    for (int i = 0; i < 3; ++i) {
      QPainter painter(&sheets[i]);
      theme::DrawBody(painter, outline, bounds);
      theme::DrawTitleStrip(painter, QRect(6, 6, kWarningSize.width() - 12, 38),
                            QString::fromUtf16(w.title), cutouts);
      DrawWarningSign(painter, QRect(28, 66, 40, 36));
      theme::DrawCentredText(painter, QRect(76, 52, kWarningSize.width() - 92, 72),
                             QString::fromUtf16(w.message), theme::Font(15), theme::kText);
      theme::DrawButton(painter, kOkRect, QStringLiteral("确定"), looks[i]);
      theme::DrawButton(painter, kCancelRect, QStringLiteral("取消"), looks[i]);
    }
    const QString file = QString::fromLatin1(w.file);
    skin.Section(QString::fromLatin1(w.section));
    skin.Rect(QStringLiteral("WindowsRect"), bounds);
    skin.Image(QStringLiteral("NormalImage"), file + QStringLiteral("_Normal.png"), sheets[0]);
    skin.Image(QStringLiteral("OverImage"), file + QStringLiteral("_Over.png"), sheets[1]);
    skin.Image(QStringLiteral("DownImage"), file + QStringLiteral("_Down.png"), sheets[2]);
    skin.Image(QStringLiteral("BackGroundMaskImage"), file + QStringLiteral("_Mask.bmp"), mask);
    skin.Number(QStringLiteral("Visable"), 1);
    skin.Rect(QStringLiteral("KeyOKRect"), kOkRect);
    skin.Rect(QStringLiteral("KeyCancleRect"), kCancelRect);
  }
}

void WriteProgressDialog(SkinWriter& skin) {
  const QSize size(420, 112);
  const QRect bounds(QPoint(0, 0), size);
  const QRect bar(30, 70, 360, 14);
  const QPolygon outline = theme::ChamferedOutline(bounds, 18, 5);
  const std::vector<QPolygon> cutouts = theme::Cutouts(QPoint(344, 12), 3, 9, 12, 15);

  QImage normal = theme::Canvas(size);
  QImage down = theme::Canvas(size);
  for (QImage* sheet : {&normal, &down}) {
    QPainter painter(sheet);
    theme::DrawBody(painter, outline, bounds);
    theme::DrawTitleStrip(painter, QRect(5, 5, size.width() - 10, 34),
                          QStringLiteral("正在保存设置"), cutouts);
    theme::DrawCentredText(painter, QRect(20, 42, size.width() - 40, 24),
                           QStringLiteral("正在写入鼠标，请勿拔出设备…"), theme::Font(13),
                           theme::kTextDim);
    // The groove of the bar, a pixel larger than the bar on each side.
    painter.fillRect(bar.adjusted(-1, -1, 1, 1), theme::kEdge);
    painter.fillRect(bar, theme::kGroove);
  }
  {
    // The fill: an accent gradient with slanted stripes.
    QPainter painter(&down);
    QLinearGradient fill(bar.topLeft(), bar.bottomLeft());
    fill.setColorAt(0, theme::kAccentLight);
    fill.setColorAt(1, theme::kAccentDark);
    painter.fillRect(bar, fill);
    painter.setClipRect(bar);
    painter.setRenderHint(QPainter::Antialiasing, true);
    painter.setPen(QPen(QColor(255, 255, 255, 40), 4));
    for (int x = bar.left() - bar.height(); x < bar.right(); x += 12) {
      painter.drawLine(x, bar.bottom() + 1, x + bar.height(), bar.top() - 1);
    }
  }

  skin.Section(QStringLiteral("ApplyProgressDialog"));
  skin.Rect(QStringLiteral("WindowsRect"), bounds);
  const QSize main = theme::kMainWindowSize;
  skin.Rect(QStringLiteral("InMainWindowsRect"),
            QRect((main.width() - size.width()) / 2, (main.height() - size.height()) / 2,
                  size.width(), size.height()));
  skin.Image(QStringLiteral("NormalImage"), QStringLiteral("ApplyProgress_Normal.png"), normal);
  skin.Image(QStringLiteral("DownImage"), QStringLiteral("ApplyProgress_Down.png"), down);
  skin.Image(QStringLiteral("BackGroundMaskImage"), QStringLiteral("ApplyProgress_Mask.bmp"),
             theme::Mask(size, outline, cutouts));
  skin.Number(QStringLiteral("Visable"), 1);
  skin.Rect(QStringLiteral("ProgressBarRect"), bar);
}

void WriteProductId(SkinWriter& skin) {
  // The device id the simulated mouse reports.
  skin.Section(QStringLiteral("ProductID"));
  skin.Value(QStringLiteral("ProductID"), QStringLiteral("4417A001"));
}
