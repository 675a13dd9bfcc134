// The settings pages in the built program with the simulated mouse on an X server of the test's
// own: start-up shows the KeyDefine tab, XTest clicks on the tabs show their pages (captured
// under the build folder), and clicks and slider releases on the pages reach the mouse with
// Apply.
#include <gtest/gtest.h>

#include <QDir>
#include <QImage>
#include <QString>

#include <chrono>
#include <thread>
#include <vector>

#include "resources/INIFile.h"
#include "tests/app/ProgramSession.h"
#include "tests/platform/sys/FileTestUtil.h"

namespace {

using apptest::Child;
using apptest::WaitFor;

constexpr size_t kStateFileSize = 1557;
constexpr size_t kConfigBlockOffset = 12 + 5 * 256;  // flash block 5 in the state file
// The area the pages share in the main window.
const QRect kPageArea(20, 116, 600, 372);

using testutil::ReadAll;

QImage SkinImage(const char* file) {
  return QImage(QStringLiteral(KDZ_PROGRAM_DIR "/Skin/") + QString::fromLatin1(file));
}

// The share of pixels in `area` on which two pictures (of the main window) agree.
double Agreement(const QImage& a, const QImage& b, const QRect& area) {
  long same = 0;
  for (int y = area.top(); y <= area.bottom(); ++y)
    for (int x = area.left(); x <= area.right(); ++x) same += a.pixel(x, y) == b.pixel(x, y);
  return static_cast<double>(same) / (static_cast<double>(area.width()) * area.height());
}

class PagesX11Test : public ::testing::Test, protected apptest::ProgramOnScreen {
 protected:
  void SetUp() override {
    if (server_.Missing()) GTEST_SKIP() << server_.Problem();
    ASSERT_EQ(StartProgram(KDZ_PROGRAM, QStringLiteral(KDZ_PROGRAM_DIR)), "");
    QDir().mkpath(QStringLiteral(KDZ_SCREEN_DIR));
  }

  void ClickAt(const QPoint& inWindow) { x_.Click(placed_.topLeft() + inWindow); }
  void ClickOn(const char16_t* section, const char16_t* key) {
    ClickAt(SkinRect(section, key).center());
  }
  // The window as the screen shows it once `settled` holds (or after 5 s).
  template <typename Settled>
  QImage CaptureWhen(Settled settled) {
    QImage shot;
    WaitFor(
        [&] {
          shot = x_.Capture(placed_);
          return settled(shot);
        },
        5000);
    return shot;
  }
  bool Save(const QImage& shot, const char* name) {
    return shot.save(QStringLiteral(KDZ_SCREEN_DIR "/") + QString::fromLatin1(name));
  }
};

TEST_F(PagesX11Test, EachTabShowsItsOwnPages) {
  const QImage bare = SkinImage("MainWindow_BackGround.png");
  const QImage picture = SkinImage("MousePicture_Normal.png");
  ASSERT_FALSE(bare.isNull());
  ASSERT_FALSE(picture.isNull());

  // Start-up shows the KeyDefine tab: the mouse picture's background is on the screen.
  const QRect mouse = SkinRect(u"MousePictruePage", u"WindowsRect");
  const QPoint body = mouse.center();  // on the picture, clear of the markers
  QImage shot = CaptureWhen([&](const QImage& s) { return s.pixel(body) == picture.pixel(body); });
  EXPECT_TRUE(Save(shot, "Page_KeyDefine.png"));
  EXPECT_GT(Agreement(shot, picture, mouse.adjusted(40, 150, -40, -20)), 0.97)
      << "start-up shows the mouse picture";

  struct Tab {
    const char16_t* key;
    const char* file;
    const char* sheet;       // the normal sheet of a page the tab shows
    QRect pageRect;          // where that page lies
  };
  const Tab tabs[] = {
      {u"KeyLightSettingRect", "Page_Light.png", "LightSetting_Normal.png", kPageArea},
      {u"KeySensitivitySettingRect", "Page_Sensitivity.png", "SensitivitySetting_Normal.png",
       kPageArea},
      {u"KeyAdvanceSettingRect", "Page_Advance.png", "SystemSettingPage_Normal.png",
       SkinRect(u"SystemSettingPage", u"WindowsRect")},
      {u"KeyKeyDefineSettingRect", "Page_KeyDefine_Again.png", "MousePicture_Normal.png", mouse},
  };
  std::vector<QImage> areas{shot.copy(kPageArea)};
  for (const Tab& tab : tabs) {
    SCOPED_TRACE(tab.file);
    ClickOn(u"MainWindow", tab.key);
    const QImage before = shot;
    shot = CaptureWhen([&](const QImage& s) { return s.copy(kPageArea) != before.copy(kPageArea); });
    EXPECT_TRUE(Save(shot, tab.file));
    const QImage area = shot.copy(kPageArea);
    EXPECT_NE(area, bare.copy(kPageArea)) << "a page covers the bare background";
    const QImage sheet = SkinImage(tab.sheet);
    ASSERT_FALSE(sheet.isNull()) << tab.sheet;
    EXPECT_GT(Agreement(shot, sheet, tab.pageRect), 0.6) << "the page shows its own sheet";
    if (std::string(tab.file) != "Page_KeyDefine_Again.png") {
      for (const QImage& other : areas) EXPECT_NE(area, other);
      areas.push_back(area);
    }
  }
}

TEST_F(PagesX11Test, PageEditsReachTheMouseWithApply) {
  ClickOn(u"MainWindow", u"KeyLightSettingRect");
  ClickOn(u"LightSettingPage", u"KeyCyanRect");
  ClickOn(u"MainWindow", u"KeySensitivitySettingRect");
  // A release at the X slider's right end: position 10.
  const QRect xSlider = SkinRect(u"SensitivitySettingPage", u"Sliderbar_CPI_X_Rect");
  ClickAt(QPoint(xSlider.right() - 1, xSlider.center().y()));
  ClickOn(u"SensitivitySettingPage", u"KeyDPIRect_4");
  // Once level 4 shows checked, every edit before it is in the record.
  const QImage down = SkinImage("SensitivitySetting_Down.png");
  const QRect level4 = SkinRect(u"SensitivitySettingPage", u"KeyDPIRect_4");
  const QPoint probe(level4.left() + 6, level4.center().y());
  const QImage shot = CaptureWhen([&](const QImage& s) { return s.pixel(probe) == down.pixel(probe); });
  EXPECT_TRUE(Save(shot, "Page_Sensitivity_Edited.png"));
  ASSERT_EQ(shot.pixel(probe), down.pixel(probe)) << "level 4 never showed checked";
  ClickOn(u"MainWindow", u"KeyApplyRect");

  std::vector<unsigned char> state;
  const bool written = WaitFor(
      [&] {
        state = ReadAll(session_.StatePath());
        // Mode 0's device block: the colour at 128 + 1, the X sensitivity at 192 + 4. The
        // block is written a report at a time, so all of them are waited for.
        return state.size() == kStateFileSize && state[kConfigBlockOffset + 129] == 0x00 &&
               state[kConfigBlockOffset + 130] == 0xFF && state[kConfigBlockOffset + 131] == 0xFF &&
               state[kConfigBlockOffset + 196] == 0x21;
      },
      10000);
  EXPECT_TRUE(written) << "the mouse never got the edits; log:\n" << session_.Log();
}

// The marker of the row under the pointer lights, as the pointer moves from row to row with a
// rest between the moves, also over another window that covers the rows, and when a program puts
// the pointer on a row without a device.
TEST_F(PagesX11Test, TheMarkerOfTheRowUnderThePointerLights) {
  const QImage normal = SkinImage("MousePicture_Normal.png");
  const QImage down = SkinImage("MousePicture_Down.png");
  ASSERT_FALSE(normal.isNull());
  ASSERT_FALSE(down.isNull());
  const auto keyRect = [&](const char16_t* section, const char* key, int i) {
    return SkinRect(section, (QString::fromLatin1(key) + QString::number(i)).toStdU16String().c_str());
  };
  // A point of each marker, clear of its number, where its highlighted face differs.
  QPoint probe[10];
  for (int i = 0; i < 10; ++i) {
    const QRect r = keyRect(u"MousePictruePage", "KeyImageRect_", i);
    for (int d = 1; d < r.width() / 3 && probe[i].isNull(); ++d) {
      const QPoint p = r.topLeft() + QPoint(d, d);
      if (normal.pixel(p) != down.pixel(p)) probe[i] = p;
    }
    ASSERT_FALSE(probe[i].isNull()) << "marker " << i;
  }
  const auto lit = [&](const QImage& shot) {
    std::vector<int> on;
    for (int i = 0; i < 10; ++i) {
      if (shot.pixel(probe[i]) == down.pixel(probe[i])) on.push_back(i);
    }
    return on;
  };
  const auto litOnceSettled = [&](std::vector<int> expected) {
    return lit(CaptureWhen([&](const QImage& s) { return lit(s) == expected; }));
  };
  const auto onRow = [&](int row) {
    return placed_.topLeft() + keyRect(u"KeyDefineSettingPage", "KeyWindowRect_", row).center();
  };

  // At rest for some periods of the poll after each move.
  const auto rest = [] { std::this_thread::sleep_for(std::chrono::milliseconds(1000)); };
  x_.MovePointer(onRow(4));
  EXPECT_EQ(litOnceSettled({4}), std::vector<int>{4});
  rest();
  x_.MovePointer(onRow(2));
  EXPECT_EQ(litOnceSettled({2}), std::vector<int>{2});
  rest();
  // The rows under a window of another program: the program sees no event of the pointer's.
  const QRect rows = keyRect(u"KeyDefineSettingPage", "KeyWindowRect_", 0)
                         .united(keyRect(u"KeyDefineSettingPage", "KeyWindowRect_", 9))
                         .translated(placed_.topLeft());
  const Window cover = x_.Cover(rows.adjusted(-4, -4, 4, 4));
  x_.MovePointer(onRow(8));
  EXPECT_EQ(litOnceSettled({8}), std::vector<int>{8});
  rest();
  x_.MovePointer(onRow(3));
  EXPECT_EQ(litOnceSettled({3}), std::vector<int>{3});
  x_.DestroyWindow(cover);
  rest();
  x_.WarpPointer(onRow(6));
  EXPECT_EQ(litOnceSettled({6}), std::vector<int>{6});
  std::this_thread::sleep_for(std::chrono::milliseconds(1000));
  x_.MovePointer(placed_.topLeft() + QPoint(40, 40));
  EXPECT_EQ(litOnceSettled({}), std::vector<int>{});
}

}  // namespace
