#include "platform/ui/ScreenMetrics.h"

#include <gtest/gtest.h>

#include <QGuiApplication>
#include <QScreen>

namespace {

TEST(ScreenMetricsTest, FullScreenIsThePrimaryScreensAvailableAreaUnlessSet) {
  const QSize available = QGuiApplication::primaryScreen()->availableGeometry().size();
  EXPECT_EQ(ui::GetSystemMetrics(ui::SM_CXFULLSCREEN), available.width());
  EXPECT_EQ(ui::GetSystemMetrics(ui::SM_CYFULLSCREEN), available.height());
  EXPECT_EQ(ui::GetSystemMetrics(0), 0);
  {
    ui::ScopedFullScreenSize screen(QSize(1280, 690));
    EXPECT_EQ(ui::GetSystemMetrics(ui::SM_CXFULLSCREEN), 1280);
    EXPECT_EQ(ui::GetSystemMetrics(ui::SM_CYFULLSCREEN), 690);
  }
  EXPECT_EQ(ui::GetSystemMetrics(ui::SM_CYFULLSCREEN), available.height());
}

}  // namespace
