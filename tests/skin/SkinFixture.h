#pragma once

#include <gtest/gtest.h>

#include <QTest>

#include <string>

#include "resources/INIFile.h"
#include "tests/platform/ui/QtTestSupport.h"

namespace skintest {

// A skin folder of its own: Setup.ini and images, and a reader pointed at it.
class SkinFixture : public ::testing::Test {
 protected:
  // Replaces Setup.ini with `text` (UTF-8).
  void WriteSkin(const std::string& text) {
    dir.Write("Setup.ini", text);
    ASSERT_EQ(ini.SetFile(dir.File("Setup.ini").toStdU16String()), 1);
  }
  // A shown, active top-level window that records the messages it gets.
  void ShowOwner(QRect geometry = QRect(100, 100, 600, 400)) {
    owner.setGeometry(geometry);
    owner.show();
    owner.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&owner, uitest::kWaitMs));
  }

  uitest::TempDir dir;
  CINIFile ini;
  uitest::MessageRecorder owner;
};

// Non-black pixels of `image`, as a bounding box.
inline QRect InkBox(const QImage& image, QRgb background = qRgb(0, 0, 0)) {
  QRect box;
  for (int y = 0; y < image.height(); ++y) {
    for (int x = 0; x < image.width(); ++x) {
      if (image.pixel(x, y) != background) box |= QRect(x, y, 1, 1);
    }
  }
  return box;
}

}  // namespace skintest
