#include "LightSettingPage.h"

#include <QPainterPath>

#include "PageSheet.h"
#include "Theme.h"

namespace {

using theme::Look;

const QRect kPlace = theme::kPageArea;

struct Control {
  const char* key;
  QRect rect;
  const char16_t* caption;  // null: a colour swatch
  QColor colour;
};

constexpr int kLabelX = 40;
constexpr int kControlX = 150;

const Control kButtons[] = {
    {"KeyLightSwitchONRect", QRect(kControlX, 136, 84, 32), u"开启", {}},
    {"KeyLightSwitchOFFRect", QRect(kControlX + 94, 136, 84, 32), u"关闭", {}},
    {"KeyLightEffectTypeFullRect", QRect(kControlX, 180, 84, 32), u"常亮", {}},
    {"KeyLightEffectTypeBreathingRect", QRect(kControlX + 94, 180, 84, 32), u"呼吸", {}},
    {"KeyBlueRect", QRect(kControlX, 224, 32, 32), nullptr, QColor(0, 0, 255)},
    {"KeyPinkRect", QRect(kControlX + 42, 224, 32, 32), nullptr, QColor(255, 0, 255)},
    {"KeyRedRect", QRect(kControlX + 84, 224, 32, 32), nullptr, QColor(255, 0, 0)},
    {"KeyOrangeRect", QRect(kControlX + 126, 224, 32, 32), nullptr, QColor(255, 255, 0)},
    {"KeyGreenRect", QRect(kControlX + 168, 224, 32, 32), nullptr, QColor(0, 255, 0)},
    {"KeyCyanRect", QRect(kControlX + 210, 224, 32, 32), nullptr, QColor(0, 255, 255)},
    {"KeyWhiteRect", QRect(kControlX + 252, 224, 32, 32), nullptr, QColor(255, 255, 255)},
    {"KeyCycleRect", QRect(kControlX + 300, 224, 96, 32), u"彩色循环", {}},
    {"InterruptOrNotRect", QRect(470, 136, 120, 32), u"灯效中断", {}},
};

struct Slider {
  const char* key;
  int y;
  const char16_t* label;
};
const Slider kSliders[] = {
    {"ChangeTimeRect", 290, u"变换时间"},
    {"OFFTimeRect", 332, u"熄灭时间"},
    {"StayTimeRect", 374, u"停留时间"},
    {"StartTimeRect", 416, u"启动时间"},
};
constexpr int kSliderWidth = 300;
constexpr int kSliderHeight = 22;

// A colour swatch: the colour inside a rim; the down look (selected) adds a white rim and a
// check mark.
void DrawSwatch(QPainter& painter, const QRect& rect, const QColor& colour, Look look) {
  painter.save();
  painter.setRenderHint(QPainter::Antialiasing, false);
  const QPolygon outline = theme::ChamferedOutline(rect, 6, 0);
  QPainterPath path;
  path.addPolygon(outline);
  path.closeSubpath();
  painter.fillPath(path, look == Look::Down   ? QColor(Qt::white)
                         : look == Look::Over ? theme::kAccentLight
                                              : theme::kEdge);
  const QRect inner = rect.adjusted(look == Look::Down ? 3 : 2, look == Look::Down ? 3 : 2,
                                    look == Look::Down ? -3 : -2, look == Look::Down ? -3 : -2);
  QPainterPath face;
  face.addPolygon(theme::ChamferedOutline(inner, 5, 0));
  face.closeSubpath();
  painter.fillPath(face, colour);
  if (look == Look::Down) {
    painter.setRenderHint(QPainter::Antialiasing, true);
    painter.setPen(QPen(QColor(0x16, 0x18, 0x1D), 3, Qt::SolidLine, Qt::RoundCap));
    const QPoint o = inner.center();
    painter.drawPolyline(QPolygon{QPoint(o.x() - 6, o.y()), QPoint(o.x() - 2, o.y() + 5),
                                  QPoint(o.x() + 7, o.y() - 5)});
  }
  painter.restore();
}

}  // namespace

void WriteLightSettingPage(SkinWriter& skin) {
  PageSheet sheet(kPlace);
  sheet.DrawAll([](QPainter& painter, Look look) {
    page_theme::DrawLabel(painter, QRect(kLabelX, 136, 100, 32), QStringLiteral("灯光开关"));
    page_theme::DrawLabel(painter, QRect(kLabelX, 180, 100, 32), QStringLiteral("灯光效果"));
    page_theme::DrawLabel(painter, QRect(kLabelX, 224, 100, 32), QStringLiteral("灯光颜色"));
    page_theme::DrawGroupTitle(painter, QRect(kLabelX, 262, 560, 20), QStringLiteral("时间设置"));
    for (const Control& c : kButtons) {
      if (c.caption) {
        theme::DrawButton(painter, c.rect, QString::fromUtf16(c.caption), look);
      } else {
        DrawSwatch(painter, c.rect, c.colour, look);
      }
    }
    for (const Slider& s : kSliders) {
      page_theme::DrawLabel(painter, QRect(kLabelX, s.y, 100, 32), QString::fromUtf16(s.label));
      page_theme::DrawStepSlider(painter,
                                 QRect(kControlX, s.y + 5, kSliderWidth, kSliderHeight), 10, look);
      theme::DrawCentredText(painter, QRect(kControlX + kSliderWidth + 8, s.y, 70, 32),
                             QStringLiteral("短 → 长"), theme::Font(12), theme::kTextDim);
    }
  });

  skin.Section(QStringLiteral("LightSettingPage"));
  sheet.Write(skin, QStringLiteral("LightSetting"));
  for (const Control& c : kButtons) skin.Rect(QString::fromLatin1(c.key), c.rect);
  for (const Slider& s : kSliders) {
    skin.Rect(QString::fromLatin1(s.key), QRect(kControlX, s.y + 5, kSliderWidth, kSliderHeight));
  }
}
