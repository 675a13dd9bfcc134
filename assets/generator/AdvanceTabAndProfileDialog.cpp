#include "AdvanceTabAndProfileDialog.h"

#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>

#include "Theme.h"

namespace {

using theme::Look;

const Look kLooks[3] = {Look::Normal, Look::Over, Look::Down};

// The two pages split the page area; each sheet is the main window's size.
const QRect kSystemPage(theme::kPageArea.left(), theme::kPageArea.top(), 344,
                        theme::kPageArea.height());
const QRect kAdvancePage(kSystemPage.right() + 1, theme::kPageArea.top(),
                         theme::kPageArea.right() - kSystemPage.right(), theme::kPageArea.height());

// Slider rows of the pointer page: label, key and the row's top.
struct SliderRow {
  const char16_t* label;
  const char* key;
  int top;
};
const SliderRow kSliderRows[] = {
    {u"指针速度", "Sliderbar_MouseMoveSpeed", 170},
    {u"双击速度", "Sliderbar_DoubleClickSpeed", 222},
    {u"垂直滚动行数", "Sliderbar_WheelVerticalSpeed", 274},
    {u"水平滚动速度", "Sliderbar_MouseWheelHorizontalSpeed", 326},
};
constexpr int kSliderLeft = 184;
constexpr int kSliderWidth = 160;  // eight cells of 20 pixels
constexpr int kSliderHeight = 16;
constexpr int kSliderCells = 8;

struct Check {
  const char16_t* caption;
  const char* key;
  QRect rect;
};
const Check kChecks[] = {
    {u"提高指针精确度", "KeyRect_MousePrecision", QRect(40, 384, 300, 28)},
    {u"滚轮一次滚动一个页面", "KeyRect_MouseWhellOnePage", QRect(40, 424, 300, 28)},
};

struct Button {
  const char16_t* caption;
  const char* key;
  QRect rect;
};
const Button kRates[] = {
    {u"125 Hz", "KeyRect_125HZ", QRect(382, 166, 108, 34)},
    {u"250 Hz", "KeyRect_250HZ", QRect(498, 166, 108, 34)},
    {u"500 Hz", "KeyRect_500HZ", QRect(382, 208, 108, 34)},
    {u"1000 Hz", "KeyRect_1000HZ", QRect(498, 208, 108, 34)},
};
const Button kFireSpeeds[] = {
    {u"1", "KeyRect_FireSpeed1", QRect(382, 296, 40, 34)},
    {u"2", "KeyRect_FireSpeed2", QRect(428, 296, 40, 34)},
    {u"3", "KeyRect_FireSpeed3", QRect(474, 296, 40, 34)},
    {u"4", "KeyRect_FireSpeed4", QRect(520, 296, 40, 34)},
    {u"5", "KeyRect_FireSpeed5", QRect(566, 296, 40, 34)},
};
const Button kRestore = {u"恢复出厂设置", "KeyRect_Restore", QRect(382, 420, 224, 40)};

QImage Sheet(QSize size) {
  QImage image(size, QImage::Format_ARGB32_Premultiplied);
  image.fill(theme::kBodyBottom);
  return image;
}

// A page's panel: the page area's dark gradient with a rim.
void DrawPanel(QPainter& painter, const QRect& page) {
  painter.save();
  QLinearGradient panel(page.topLeft(), page.bottomLeft());
  panel.setColorAt(0, QColor(0x17, 0x1A, 0x20));
  panel.setColorAt(1, QColor(0x10, 0x12, 0x16));
  painter.fillRect(page, panel);
  painter.fillRect(QRect(page.left(), page.top(), page.width(), 1), theme::kEdge);
  painter.fillRect(QRect(page.left(), page.bottom(), page.width(), 1), theme::kEdge);
  painter.restore();
}

// A section title: an accent bar and the text.
void DrawTitle(QPainter& painter, const QRect& rect, const QString& text) {
  painter.save();
  painter.fillRect(QRect(rect.left(), rect.top() + 5, 3, rect.height() - 10), theme::kAccent);
  painter.setRenderHint(QPainter::TextAntialiasing, true);
  painter.setFont(theme::Font(16, QFont::Bold));
  painter.setPen(theme::kText);
  painter.drawText(rect.adjusted(12, 0, 0, 0), Qt::AlignLeft | Qt::AlignVCenter, text);
  painter.fillRect(QRect(rect.left(), rect.bottom(), rect.width(), 1), theme::kEdge);
  painter.restore();
}

void DrawLabel(QPainter& painter, const QRect& rect, const QString& text, const QColor& colour,
               int pixels = 14, Qt::Alignment align = Qt::AlignLeft | Qt::AlignVCenter) {
  painter.save();
  painter.setRenderHint(QPainter::TextAntialiasing, true);
  painter.setFont(theme::Font(pixels));
  painter.setPen(colour);
  painter.drawText(rect, align, text);
  painter.restore();
}

// A step slider: empty cells on the normal sheet, lit cells on the down sheet (the slider shows
// the down sheet up to its value).
void DrawSlider(QPainter& painter, const QRect& rect, bool filled) {
  painter.save();
  painter.fillRect(rect, theme::kEdge);
  const int cell = rect.width() / kSliderCells;
  for (int i = 0; i < kSliderCells; ++i) {
    const QRect c(rect.left() + i * cell + 1, rect.top() + 1, cell - 2, rect.height() - 2);
    if (filled) {
      QLinearGradient fill(c.topLeft(), c.bottomLeft());
      fill.setColorAt(0, theme::kAccentLight);
      fill.setColorAt(1, theme::kAccent);
      painter.fillRect(c, fill);
    } else {
      painter.fillRect(c, theme::kGroove);
    }
  }
  painter.restore();
}

// A check button: a box and the caption; the down look (checked or pressed) fills the box with
// the accent and a tick.
void DrawCheck(QPainter& painter, const QRect& rect, const QString& caption, Look look) {
  painter.save();
  const QRect box(rect.left() + 2, rect.top() + (rect.height() - 18) / 2, 18, 18);
  painter.fillRect(box, look == Look::Normal ? theme::kEdge : theme::kAccentLight);
  painter.fillRect(box.adjusted(1, 1, -1, -1), look == Look::Down ? theme::kAccent : theme::kGroove);
  if (look == Look::Down) {
    painter.setRenderHint(QPainter::Antialiasing, true);
    painter.setPen(QPen(Qt::white, 2.2, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    QPainterPath tick;
    tick.moveTo(box.left() + 4, box.center().y());
    tick.lineTo(box.left() + 8, box.bottom() - 4);
    tick.lineTo(box.right() - 3, box.top() + 4);
    painter.drawPath(tick);
  }
  painter.restore();
  DrawLabel(painter, rect.adjusted(30, 0, 0, 0), caption,
            look == Look::Normal ? theme::kText : Qt::white, 15);
}

void DrawSystemPage(QImage& sheet, Look look) {
  QPainter painter(&sheet);
  DrawPanel(painter, kSystemPage);
  DrawTitle(painter, QRect(36, 128, 312, 30), QStringLiteral("指针设置"));
  for (const SliderRow& row : kSliderRows) {
    DrawLabel(painter, QRect(40, row.top, 136, 24), QString::fromUtf16(row.label), theme::kText);
    DrawSlider(painter, QRect(kSliderLeft, row.top + 4, kSliderWidth, kSliderHeight),
               look == Look::Down);
    const QRect scale(kSliderLeft, row.top + 22, kSliderWidth, 16);
    DrawLabel(painter, scale, QStringLiteral("慢"), theme::kTextDim, 12);
    DrawLabel(painter, scale, QStringLiteral("快"), theme::kTextDim, 12,
              Qt::AlignRight | Qt::AlignVCenter);
  }
  for (const Check& c : kChecks) DrawCheck(painter, c.rect, QString::fromUtf16(c.caption), look);
}

void DrawAdvancePage(QImage& sheet, Look look) {
  QPainter painter(&sheet);
  DrawPanel(painter, kAdvancePage);
  // The rule between the two pages of the tab.
  painter.fillRect(QRect(kAdvancePage.left(), kAdvancePage.top() + 12, 1,
                         kAdvancePage.height() - 24),
                   theme::kEdge);
  DrawTitle(painter, QRect(382, 128, 224, 30), QStringLiteral("回报率"));
  for (const Button& b : kRates) theme::DrawButton(painter, b.rect, QString::fromUtf16(b.caption), look);
  DrawTitle(painter, QRect(382, 256, 224, 30), QStringLiteral("连发速度"));
  for (const Button& b : kFireSpeeds) {
    theme::DrawButton(painter, b.rect, QString::fromUtf16(b.caption), look);
  }
  const QRect scale(382, 334, 224, 16);
  DrawLabel(painter, scale, QStringLiteral("慢"), theme::kTextDim, 12);
  DrawLabel(painter, scale, QStringLiteral("快"), theme::kTextDim, 12,
            Qt::AlignRight | Qt::AlignVCenter);
  DrawLabel(painter, QRect(382, 378, 224, 36), QStringLiteral("四个模式全部恢复为出厂设置，\n应用后写入鼠标"),
            theme::kTextDim, 12);
  theme::DrawButton(painter, kRestore.rect, QString::fromUtf16(kRestore.caption), look);
}

// The page's own shape: the whole page is kept.
QImage PageMask(const QRect& page) {
  const QSize size = page.size();
  return theme::Mask(size, theme::ChamferedOutline(QRect(QPoint(0, 0), size), 0, 0));
}

void WritePage(SkinWriter& skin, const char* section, const char* file, const QRect& page,
               void (*draw)(QImage&, Look)) {
  QImage sheets[3];
  for (int i = 0; i < 3; ++i) {
    sheets[i] = Sheet(theme::kMainWindowSize);
    draw(sheets[i], kLooks[i]);
  }
  const QString name = QString::fromLatin1(file);
  skin.Section(QString::fromLatin1(section));
  skin.Rect(QStringLiteral("WindowsRect"), page);
  skin.Image(QStringLiteral("NormalImage"), name + QStringLiteral("_Normal.png"), sheets[0]);
  skin.Image(QStringLiteral("OverImage"), name + QStringLiteral("_Over.png"), sheets[1]);
  skin.Image(QStringLiteral("DownImage"), name + QStringLiteral("_Down.png"), sheets[2]);
  skin.Image(QStringLiteral("BackGroundMaskImage"), name + QStringLiteral("_Mask.bmp"),
             PageMask(page));
  skin.Number(QStringLiteral("Visable"), 1);
}

// The profile dialog, in its own coordinates.
constexpr QSize kProfileSize(420, 222);
const QRect kNameEdit(124, 64, 272, 22);
const QRect kPathEdit(124, 106, 196, 22);
const QRect kBrowse(332, 101, 64, 32);
const QRect kProfileOk(110, 172, 92, 32);
const QRect kProfileCancel(218, 172, 92, 32);

// The dark field an edit lies in, one rim wider than the edit.
void DrawField(QPainter& painter, const QRect& edit) {
  const QRect field = edit.adjusted(-4, -4, 4, 4);
  painter.fillRect(field, theme::kEdge);
  painter.fillRect(field.adjusted(1, 1, -1, -1), theme::kGroove);
}

}  // namespace

void WriteSystemSettingPage(SkinWriter& skin) {
  WritePage(skin, "SystemSettingPage", "SystemSettingPage", kSystemPage, DrawSystemPage);
  for (const SliderRow& row : kSliderRows) {
    skin.Rect(QString::fromLatin1(row.key),
              QRect(kSliderLeft, row.top + 4, kSliderWidth, kSliderHeight));
  }
  for (const Check& c : kChecks) skin.Rect(QString::fromLatin1(c.key), c.rect);
}

void WriteAdvanceSettingPage(SkinWriter& skin) {
  WritePage(skin, "AdvanceSettingPage", "AdvanceSettingPage", kAdvancePage, DrawAdvancePage);
  for (const Button& b : kRates) skin.Rect(QString::fromLatin1(b.key), b.rect);
  for (const Button& b : kFireSpeeds) skin.Rect(QString::fromLatin1(b.key), b.rect);
  skin.Rect(QString::fromLatin1(kRestore.key), kRestore.rect);
}

void WriteCreateProfileDialog(SkinWriter& skin) {
  const QRect bounds(QPoint(0, 0), kProfileSize);
  const QPolygon outline = theme::ChamferedOutline(bounds, 22, 6);
  const std::vector<QPolygon> cutouts = theme::Cutouts(QPoint(340, 14), 3, 10, 14, 16);
  QImage sheets[3];
  for (int i = 0; i < 3; ++i) {
    sheets[i] = Sheet(kProfileSize);
    QPainter painter(&sheets[i]);
    theme::DrawBody(painter, outline, bounds);
    theme::DrawDialogHeader(painter, QRect(6, 6, kProfileSize.width() - 12, 38),
                            QStringLiteral("配置文件"), cutouts);
    DrawLabel(painter, QRect(24, kNameEdit.top() - 3, 92, 28), QStringLiteral("配置名称"),
              theme::kText, 15);
    DrawField(painter, kNameEdit);
    DrawLabel(painter, QRect(24, kPathEdit.top() - 3, 92, 28), QStringLiteral("程序路径"),
              theme::kText, 15);
    DrawField(painter, kPathEdit);
    theme::DrawButton(painter, kBrowse, QStringLiteral("浏览"), kLooks[i]);
    DrawLabel(painter, QRect(24, 140, 372, 20),
              QStringLiteral("该程序在前台时，鼠标自动切换到此模式"), theme::kTextDim, 12);
    theme::DrawButton(painter, kProfileOk, QStringLiteral("确定"), kLooks[i]);
    theme::DrawButton(painter, kProfileCancel, QStringLiteral("取消"), kLooks[i]);
  }
  skin.Section(QStringLiteral("CreateProfileDialog"));
  skin.Rect(QStringLiteral("WindowsRect"), bounds);
  skin.Image(QStringLiteral("NormalImage"), QStringLiteral("CreateProfile_Normal.png"), sheets[0]);
  skin.Image(QStringLiteral("OverImage"), QStringLiteral("CreateProfile_Over.png"), sheets[1]);
  skin.Image(QStringLiteral("DownImage"), QStringLiteral("CreateProfile_Down.png"), sheets[2]);
  skin.Image(QStringLiteral("BackGroundMaskImage"), QStringLiteral("CreateProfile_Mask.bmp"),
             theme::Mask(kProfileSize, outline, cutouts));
  skin.Number(QStringLiteral("Visable"), 1);
  skin.Rect(QStringLiteral("KeyOKRect"), kProfileOk);
  skin.Rect(QStringLiteral("KeyCancleRect"), kProfileCancel);
  skin.Rect(QStringLiteral("KeyOpenModeExcutionPathRect"), kBrowse);
  skin.Rect(QStringLiteral("KeyEditModeNameRect"), kNameEdit);
  skin.Rect(QStringLiteral("KeyEditModeExcutionPathRect"), kPathEdit);
}
