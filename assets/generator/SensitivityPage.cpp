#include "SensitivityPage.h"

#include <QPainterPath>

#include "PageSheet.h"
#include "Theme.h"

namespace {

using theme::Look;

const QRect kPlace = theme::kPageArea;

constexpr int kLevels = 4;
constexpr int kValues = 7;
constexpr int kFirstRowY = 158;
constexpr int kRowPitch = 44;

QRect LevelRect(int level) { return QRect(40, kFirstRowY + level * kRowPitch, 76, 26); }
QRect DisplayRect(int level) { return QRect(124, kFirstRowY + level * kRowPitch, 70, 26); }
// A value button is a thin bar; its label (drawn by the page) lies 11 pixels below it.
QRect ValueRect(int level, int value) {
  return QRect(212 + value * 56, kFirstRowY + level * kRowPitch + 2, 50, 11);
}

const QRect kXSlider(150, 346, 330, 28);
const QRect kYSlider(150, 396, 330, 28);
const QRect kSync(500, 370, 96, 32);
constexpr QSize kThumbSize(16, 14);
// The colour key of the thumbs' pictures: pixel (0, 0) and everything around the arrow.
const QColor kThumbKey(255, 0, 255);

// A thumb: an arrow on the colour key, pointing down (`down`) or up at the track.
QImage Thumb(bool down) {
  QImage image(kThumbSize, QImage::Format_RGB32);
  image.fill(kThumbKey);
  QPainter painter(&image);
  painter.setRenderHint(QPainter::Antialiasing, false);
  painter.setPen(Qt::NoPen);
  painter.setBrush(theme::kAccentLight);
  const int w = kThumbSize.width();
  const int h = kThumbSize.height();
  QPolygon arrow;
  if (down) {
    arrow << QPoint(1, 1) << QPoint(w - 2, 1) << QPoint(w - 2, h / 2) << QPoint(w / 2, h - 1)
          << QPoint(1, h / 2);
  } else {
    arrow << QPoint(w / 2, 0) << QPoint(w - 2, h / 2) << QPoint(w - 2, h - 2) << QPoint(1, h - 2)
          << QPoint(1, h / 2);
  }
  painter.drawPolygon(arrow);
  return image;
}

// The track of a sensitivity slider with a tick at each of the eleven thumb places.
void DrawTrack(QPainter& painter, const QRect& bar) {
  painter.save();
  painter.setRenderHint(QPainter::Antialiasing, false);
  painter.fillRect(bar, QColor(0x14, 0x16, 0x1B));
  const int mid = bar.center().y();
  painter.fillRect(QRect(bar.left() + kThumbSize.width() / 2, mid - 1,
                         bar.width() - kThumbSize.width(), 3),
                   theme::kEdge);
  for (int p = 0; p <= 10; ++p) {
    const int x = bar.left() + (bar.width() - kThumbSize.width()) * p / 10 + kThumbSize.width() / 2;
    const int len = p == 5 ? 6 : 3;
    painter.fillRect(QRect(x, mid - len, 1, 2 * len + 1),
                     p == 5 ? theme::kAccentLight : theme::kTextDim);
  }
  painter.restore();
}

void DrawValueBar(QPainter& painter, const QRect& rect, Look look) {
  painter.save();
  painter.setRenderHint(QPainter::Antialiasing, false);
  painter.fillRect(rect, look == Look::Normal ? theme::kEdge : theme::kAccentLight);
  painter.fillRect(rect.adjusted(1, 1, -1, -1), look == Look::Down   ? theme::kAccent
                                                : look == Look::Over ? QColor(0x3A, 0x40, 0x4C)
                                                                     : QColor(0x22, 0x26, 0x2E));
  painter.restore();
}

// The box in which the page shows a level's DPI value.
void DrawDisplay(QPainter& painter, const QRect& rect) {
  painter.save();
  painter.fillRect(rect, theme::kEdge);
  painter.fillRect(rect.adjusted(1, 1, -1, -1), theme::kGroove);
  painter.restore();
}

}  // namespace

void WriteSensitivitySettingPage(SkinWriter& skin) {
  PageSheet sheet(kPlace);
  sheet.DrawAll([](QPainter& painter, Look look) {
    page_theme::DrawGroupTitle(painter, QRect(40, 126, 560, 24), QStringLiteral("DPI 档位"));
    for (int level = 0; level < kLevels; ++level) {
      theme::DrawButton(painter, LevelRect(level), QStringLiteral("档位 %1").arg(level + 1), look);
      DrawDisplay(painter, DisplayRect(level));
      for (int value = 0; value < kValues; ++value) {
        DrawValueBar(painter, ValueRect(level, value), look);
      }
    }
    page_theme::DrawGroupTitle(painter, QRect(40, 322, 560, 20), QStringLiteral("灵敏度"));
    page_theme::DrawLabel(painter, QRect(40, kXSlider.top() - 2, 104, 32),
                          QStringLiteral("X 轴"));
    page_theme::DrawLabel(painter, QRect(40, kYSlider.top() - 2, 104, 32),
                          QStringLiteral("Y 轴"));
    DrawTrack(painter, kXSlider);
    DrawTrack(painter, kYSlider);
    theme::DrawButton(painter, kSync, QStringLiteral("XY 同步"), look);
  });

  skin.Section(QStringLiteral("SensitivitySettingPage"));
  sheet.Write(skin, QStringLiteral("SensitivitySetting"));
  // The Y slider's thumb sits under its track pointing up, the X slider's above pointing down.
  skin.Image(QStringLiteral("SliderUpBKImage"), QStringLiteral("SensitivityThumb_Up.png"),
             Thumb(false));
  skin.Image(QStringLiteral("SliderDownBKImage"), QStringLiteral("SensitivityThumb_Down.png"),
             Thumb(true));
  skin.Rect(QStringLiteral("Sliderbar_CPI_X_Rect"), kXSlider);
  skin.Rect(QStringLiteral("Sliderbar_CPI_Y_Rect"), kYSlider);
  skin.Rect(QStringLiteral("Key_X_Y_SYN_Rect"), kSync);
  for (int level = 0; level < kLevels; ++level) {
    skin.Rect(QStringLiteral("KeyDPIRect_%1").arg(level + 1), LevelRect(level));
    skin.Rect(QStringLiteral("KeyDPIEditRect_%1").arg(level + 1), DisplayRect(level));
  }
  for (int level = 0; level < kLevels; ++level) {
    for (int value = 0; value < kValues; ++value) {
      skin.Rect(QStringLiteral("KeyDPILevel%1_%2").arg(level + 1).arg(value + 1),
                ValueRect(level, value));
    }
  }
}
