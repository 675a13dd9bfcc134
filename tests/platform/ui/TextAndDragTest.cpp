#include <gtest/gtest.h>

#include <QFontInfo>
#include <QFontMetrics>
#include <QPainter>

#include "platform/ui/CaptionDrag.h"
#include "platform/ui/CaptionFont.h"
#include "tests/platform/ui/QtTestSupport.h"

namespace {

TEST(CaptionFontTest, PixelHeightMediumWeightAndChineseCoverage) {
  for (int height : {12, 16, -14}) {
    const QFont font = ui::CaptionFont(height);
    EXPECT_EQ(QFontInfo(font).pixelSize(), std::abs(height));
    EXPECT_EQ(font.weight(), QFont::Medium);
    EXPECT_FALSE(font.italic());
    const QFontMetrics metrics(font);
    for (char16_t c : std::u16string(u"设置模式保存取消确定")) {
      EXPECT_TRUE(metrics.inFont(QChar(c))) << "no glyph for U+" << std::hex << int(c)
                                            << " in " << QFontInfo(font).family().toStdString();
    }
  }
}

// The box of the pixels that differ from the background.
QRect InkBox(const QImage& image, QRgb background) {
  QRect box;
  for (int y = 0; y < image.height(); ++y) {
    for (int x = 0; x < image.width(); ++x) {
      if (image.pixel(x, y) != background) box |= QRect(x, y, 1, 1);
    }
  }
  return box;
}

TEST(CaptionFontTest, TextIsPlacedByItsCellAndTurnsDownward) {
  const QString text = QStringLiteral("设置保存");
  const QFont font = ui::CaptionFont(16);
  const QSize extent = ui::TextExtent(font, text);
  EXPECT_GT(extent.width(), extent.height());

  QImage canvas(200, 200, QImage::Format_RGB32);
  auto draw = [&](int x, int y, int escapement) {
    canvas.fill(Qt::black);
    QPainter painter(&canvas);
    painter.setFont(font);
    painter.setPen(Qt::white);
    ui::DrawTextAt(painter, x, y, text, escapement);
    painter.end();
    return InkBox(canvas, qRgb(0, 0, 0));
  };
  const QRect across = draw(20, 30, 0);
  EXPECT_GE(across.left(), 20);
  EXPECT_GE(across.top(), 30);
  EXPECT_LE(across.right(), 20 + extent.width());
  EXPECT_LE(across.bottom(), 30 + extent.height());
  EXPECT_GT(across.width(), across.height());

  // Turned by 270 degrees the cell hangs left of x and runs down from y.
  const QRect down = draw(100, 30, 2700);
  EXPECT_GT(down.height(), down.width());
  EXPECT_LE(down.right(), 100);
  EXPECT_GE(down.left(), 100 - extent.height());
  EXPECT_GE(down.top(), 30);
  EXPECT_LE(down.bottom(), 30 + extent.width());
}

TEST(CaptionDragTest, WindowFollowsTheCursorUntilRelease) {
  QWidget window;
  window.setGeometry(100, 100, 200, 150);
  QWidget child(&window);
  child.setGeometry(10, 10, 50, 50);
  window.show();
  const QPoint start = window.pos();
  const QPoint press = child.mapToGlobal(QPoint(5, 5));
  ASSERT_TRUE(ui::BeginCaptionDrag(&child, press));  // the child's top-level window moves
  EXPECT_TRUE(ui::IsCaptionDragActive());
  QWidget other;
  EXPECT_FALSE(ui::BeginCaptionDrag(&other, press));  // one drag at a time

  // The moves go to the child that was pressed, as they do while the button is held.
  uitest::Mouse(&child, QEvent::MouseMove, QPoint(5, 5), Qt::NoButton, Qt::LeftButton,
                press + QPoint(30, 20));
  EXPECT_EQ(window.pos(), start + QPoint(30, 20));
  uitest::Mouse(&child, QEvent::MouseMove, QPoint(5, 5), Qt::NoButton, Qt::LeftButton,
                press + QPoint(-7, 4));
  EXPECT_EQ(window.pos(), start + QPoint(-7, 4));
  uitest::Mouse(&child, QEvent::MouseButtonRelease, QPoint(5, 5), Qt::LeftButton, Qt::NoButton,
                press + QPoint(-7, 4));
  EXPECT_FALSE(ui::IsCaptionDragActive());
  uitest::Mouse(&child, QEvent::MouseMove, QPoint(5, 5), Qt::NoButton, Qt::LeftButton,
                press + QPoint(50, 50));
  EXPECT_EQ(window.pos(), start + QPoint(-7, 4));

  // A move without the left button held ends a drag whose release went unseen.
  ASSERT_TRUE(ui::BeginCaptionDrag(&window, press));
  uitest::Mouse(&window, QEvent::MouseMove, QPoint(5, 5), Qt::NoButton, Qt::NoButton,
                press + QPoint(90, 90));
  EXPECT_FALSE(ui::IsCaptionDragActive());
  EXPECT_EQ(window.pos(), start + QPoint(-7, 4));
}

}  // namespace
