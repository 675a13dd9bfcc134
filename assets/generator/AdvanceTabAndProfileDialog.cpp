#include "AdvanceTabAndProfileDialog.h"

#include <QPainter>
#include <QPainterPath>

#include "PageSheet.h"
#include "Theme.h"

namespace {

using theme::Look;

const Look kLooks[3] = {Look::Normal, Look::Over, Look::Down};

// Small dim text: the ends of a scale, a hint.
void DrawNote(QPainter& painter, const QRect& rect, const QString& text,
              Qt::Alignment align = Qt::AlignLeft | Qt::AlignVCenter) {
  painter.save();
  painter.setRenderHint(QPainter::TextAntialiasing, true);
  painter.setFont(theme::Font(12));
  painter.setPen(theme::kTextDim);
  painter.drawText(rect, align, text);
  painter.restore();
}

// "慢" at the left and "快" at the right of `rect`.
void DrawScale(QPainter& painter, const QRect& rect) {
  DrawNote(painter, rect, QStringLiteral("慢"));
  DrawNote(painter, rect, QStringLiteral("快"), Qt::AlignRight | Qt::AlignVCenter);
}

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
constexpr int kSliderHeight = 20;
constexpr int kSliderCells = 8;
QRect SliderRect(const SliderRow& row) {
  return QRect(kSliderLeft, row.top + 2, kSliderWidth, kSliderHeight);
}

// A button of a page: its caption, key and rectangle.
struct Button {
  const char16_t* caption;
  const char* key;
  QRect rect;
};
const Button kChecks[] = {
    {u"提高指针精确度", "KeyRect_MousePrecision", QRect(40, 384, 300, 28)},
    {u"滚轮一次滚动一个页面", "KeyRect_MouseWhellOnePage", QRect(40, 424, 300, 28)},
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

// A check button: a box and the caption; the down look (checked or pressed) fills the box with
// the accent and a tick.
void DrawCheck(QPainter& painter, const QRect& rect, const QString& caption, Look look) {
  painter.save();
  const QRect box(rect.left() + 2, rect.top() + (rect.height() - 18) / 2, 18, 18);
  painter.fillRect(box, look == Look::Normal ? theme::kEdge : theme::kAccentLight);
  painter.fillRect(box.adjusted(1, 1, -1, -1),
                   look == Look::Down ? theme::kAccent : theme::kGroove);
  if (look == Look::Down) {
    painter.setRenderHint(QPainter::Antialiasing, true);
    painter.setPen(QPen(Qt::white, 2.2, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    QPainterPath tick;
    tick.moveTo(box.left() + 4, box.center().y());
    tick.lineTo(box.left() + 8, box.bottom() - 4);
    tick.lineTo(box.right() - 3, box.top() + 4);
    painter.drawPath(tick);
  }
  painter.setRenderHint(QPainter::TextAntialiasing, true);
  painter.setFont(theme::Font(15));
  painter.setPen(look == Look::Normal ? theme::kText : Qt::white);
  painter.drawText(rect.adjusted(30, 0, 0, 0), Qt::AlignLeft | Qt::AlignVCenter, caption);
  painter.restore();
}

void DrawSystemPage(QPainter& painter, Look look) {
  page_theme::DrawGroupTitle(painter, QRect(36, 130, 312, 24), QStringLiteral("指针设置"));
  for (const SliderRow& row : kSliderRows) {
    page_theme::DrawLabel(painter, QRect(36, row.top, 140, 24), QString::fromUtf16(row.label));
    page_theme::DrawStepSlider(painter, SliderRect(row), kSliderCells, look);
    DrawScale(painter, QRect(kSliderLeft, row.top + 24, kSliderWidth, 16));
  }
  for (const Button& c : kChecks) DrawCheck(painter, c.rect, QString::fromUtf16(c.caption), look);
}

void DrawAdvancePage(QPainter& painter, Look look) {
  // The rule between the two pages of the tab.
  painter.fillRect(QRect(kAdvancePage.left(), kAdvancePage.top() + 12, 1,
                         kAdvancePage.height() - 24),
                   theme::kEdge);
  page_theme::DrawGroupTitle(painter, QRect(382, 130, 224, 24), QStringLiteral("回报率"));
  for (const Button& b : kRates) {
    theme::DrawButton(painter, b.rect, QString::fromUtf16(b.caption), look);
  }
  page_theme::DrawGroupTitle(painter, QRect(382, 258, 224, 24), QStringLiteral("连发速度"));
  for (const Button& b : kFireSpeeds) {
    theme::DrawButton(painter, b.rect, QString::fromUtf16(b.caption), look);
  }
  DrawScale(painter, QRect(382, 334, 224, 16));
  DrawNote(painter, QRect(382, 378, 224, 36),
           QStringLiteral("四个模式全部恢复为出厂设置，\n应用后写入鼠标"));
  theme::DrawButton(painter, kRestore.rect, QString::fromUtf16(kRestore.caption), look);
}

void WritePage(SkinWriter& skin, const char* section, const QRect& place,
               void (*draw)(QPainter&, Look)) {
  PageSheet sheet(place);
  sheet.DrawAll(draw);
  skin.Section(QString::fromLatin1(section));
  sheet.Write(skin, QString::fromLatin1(section));
}

// The profile dialog's own controls, in its coordinates.
const QRect kNameEdit(124, 64, 272, 22);
const QRect kPathEdit(124, 106, 196, 22);
const QRect kBrowse(332, 101, 64, 32);

}  // namespace

void WriteSystemSettingPage(SkinWriter& skin) {
  WritePage(skin, "SystemSettingPage", kSystemPage, DrawSystemPage);
  for (const SliderRow& row : kSliderRows) {
    skin.Rect(QString::fromLatin1(row.key), SliderRect(row));
  }
  for (const Button& c : kChecks) skin.Rect(QString::fromLatin1(c.key), c.rect);
}

void WriteAdvanceSettingPage(SkinWriter& skin) {
  WritePage(skin, "AdvanceSettingPage", kAdvancePage, DrawAdvancePage);
  for (const Button& b : kRates) skin.Rect(QString::fromLatin1(b.key), b.rect);
  for (const Button& b : kFireSpeeds) skin.Rect(QString::fromLatin1(b.key), b.rect);
  skin.Rect(QString::fromLatin1(kRestore.key), kRestore.rect);
}

void WriteCreateProfileDialog(SkinWriter& skin) {
  page_theme::WriteDialog(
      skin, QStringLiteral("CreateProfileDialog"), QStringLiteral("CreateProfile"),
      QStringLiteral("配置文件"), [](QPainter& painter, Look look) {
        page_theme::DrawLabel(painter, QRect(20, kNameEdit.top() - 3, 96, 28),
                              QStringLiteral("配置名称"));
        page_theme::DrawField(painter, kNameEdit);
        page_theme::DrawLabel(painter, QRect(20, kPathEdit.top() - 3, 96, 28),
                              QStringLiteral("程序路径"));
        page_theme::DrawField(painter, kPathEdit);
        theme::DrawButton(painter, kBrowse, QStringLiteral("浏览"), look);
        DrawNote(painter, QRect(24, 140, 372, 20),
                 QStringLiteral("该程序在前台时，鼠标自动切换到此模式"));
      });
  skin.Rect(QStringLiteral("KeyOpenModeExcutionPathRect"), kBrowse);
  skin.Rect(QStringLiteral("KeyEditModeNameRect"), kNameEdit);
  skin.Rect(QStringLiteral("KeyEditModeExcutionPathRect"), kPathEdit);
}
