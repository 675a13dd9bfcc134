// The small dialogs of the default skin on a real X server: each is shown with its shape,
// captured to a PNG under the build folder, and probed with the server's own idea of which
// window lies under a point. The test starts its own Xvfb on a free display and ends it.
#include <xcb/xcb.h>

#include <gtest/gtest.h>

#include <QApplication>
#include <QDir>
#include <QGuiApplication>
#include <QScreen>
#include <QTest>

#include <cstdlib>
#include <memory>
#include <string>

#include "platform/ui/Region.h"
#include "skin/ProgressDlg.h"
#include "skin/SkinValues.h"
#include "skin/WarningDlg.h"
#include "tests/platform/ui/QtTestSupport.h"
// After Qt's headers: Xlib's macros would meet Qt's names.
#include "tests/platform/ui/XvfbQtTest.h"

namespace {

using uitest::XvfbQtTest;

// The top-level window the server finds at a screen point (0 for the root itself), with the
// windows' shapes taken into account.
xcb_window_t TopLevelAt(QPoint screen) {
  auto* x11 = qApp->nativeInterface<QNativeInterface::QX11Application>();
  xcb_connection_t* c = x11->connection();
  const xcb_window_t root = xcb_setup_roots_iterator(xcb_get_setup(c)).data->root;
  xcb_translate_coordinates_reply_t* reply = xcb_translate_coordinates_reply(
      c, xcb_translate_coordinates(c, root, root, int16_t(screen.x()), int16_t(screen.y())),
      nullptr);
  const xcb_window_t child = reply ? reply->child : root;
  free(reply);
  return child;
}

struct DialogCase {
  const char* section;
  bool progress;
};
void PrintTo(const DialogCase& c, std::ostream* os) { *os << c.section; }

// The test's own X server has a white root window, so the holes of a shape stand out in the
// captures; no window manager frames the dialogs.
class ShapedDialogTest : public XvfbQtTest, public ::testing::WithParamInterface<DialogCase> {};

TEST_P(ShapedDialogTest, ShownWithItsShape) {
  const DialogCase& param = GetParam();
  const QString section = QString::fromLatin1(param.section);
  const QString folder = QStringLiteral(KDZ_PROGRAM_DIR);
  CINIFile skinFile;
  ASSERT_EQ(skinFile.SetFile((folder + QStringLiteral("/Setup.ini")).toStdU16String()), 1);

  std::unique_ptr<CPageDialog> dialog;
  if (param.progress) {
    auto progress = std::make_unique<CProgressDlg>(skinFile, folder, section, nullptr);
    progress->Create();
    progress->move(150, 120);  // placed as Apply places it
    progress->ProgressBar().SetPos(60);
    dialog = std::move(progress);
  } else {
    dialog = std::make_unique<CWarningDlg>(skinFile, folder, section, nullptr);
    dialog->Create();
    dialog->show();
  }
  ASSERT_TRUE(QTest::qWaitForWindowExposed(dialog.get(), uitest::kWaitMs));

  const QImage mask = skin::LoadSkinImage(folder, skinFile, section, u"BackGroundMaskImage");
  const QImage sheet = skin::LoadSkinImage(folder, skinFile, section, u"NormalImage");
  ASSERT_FALSE(mask.isNull());
  ASSERT_FALSE(sheet.isNull());
  const QRegion shape = ui::CreateRegionFromImage(mask);
  EXPECT_EQ(dialog->mask(), shape);

  // A corner outside the outline, a cut-out inside it (white in the mask), and the middle.
  QPoint corner(-1, -1), cutout(-1, -1);
  for (int y = 0; y < mask.height() && cutout.x() < 0; ++y) {
    for (int x = 0; x < mask.width(); ++x) {
      const QRgb m = mask.pixel(x, y);
      if (corner.x() < 0 && ui::IsMaskHole(m)) corner = QPoint(x, y);
      if (cutout.x() < 0 && m == qRgb(255, 255, 255)) cutout = QPoint(x, y);
    }
  }
  const QPoint middle(mask.width() / 2, mask.height() / 2 - 10);
  ASSERT_GE(corner.x(), 0);
  ASSERT_GE(cutout.x(), 0) << "the default skin cuts see-through marks into its windows";
  ASSERT_TRUE(shape.contains(middle));

  const QRect placed = dialog->geometry();
  const QPoint origin = placed.topLeft();
  // The window's pixels reach the screen once Qt has flushed them.
  const QRgb expected = sheet.pixel(middle);
  QImage shot;
  for (int i = 0; i < 40; ++i) {
    shot = dialog->screen()
               ->grabWindow(0, placed.x() - 16, placed.y() - 16, placed.width() + 32,
                            placed.height() + 32)
               .toImage()
               .convertToFormat(QImage::Format_RGB32);
    if (shot.pixel(middle + QPoint(16, 16)) == expected) break;
    QTest::qWait(50);
  }
  QDir().mkpath(QStringLiteral(KDZ_SCREEN_DIR));
  EXPECT_TRUE(shot.save(QStringLiteral(KDZ_SCREEN_DIR "/") + section + QStringLiteral(".png")));
  EXPECT_EQ(shot.pixel(middle + QPoint(16, 16)), expected);

  const xcb_window_t window = static_cast<xcb_window_t>(dialog->winId());
  EXPECT_EQ(TopLevelAt(origin + middle), window);
  EXPECT_EQ(TopLevelAt(origin + corner), xcb_window_t(XCB_NONE)) << "corner is the root's";
  EXPECT_EQ(TopLevelAt(origin + cutout), xcb_window_t(XCB_NONE)) << "cut-out is the root's";
  EXPECT_EQ(TopLevelAt(origin + QPoint(-3, -3)), xcb_window_t(XCB_NONE));
}

INSTANTIATE_TEST_SUITE_P(
    DefaultSkin, ShapedDialogTest,
    ::testing::Values(DialogCase{"RestoreWarningDialog", false},
                      DialogCase{"SingleKeyWarningDialog", false},
                      DialogCase{"MacroListDeleteWarningDialog", false},
                      DialogCase{"MacroListRenameWarningDialog", false},
                      DialogCase{"ApplyProgressDialog", true}),
    [](const ::testing::TestParamInfo<DialogCase>& info) {
      return std::string(info.param.section);
    });

}  // namespace

int main(int argc, char** argv) {
  return XvfbQtTest::Main(argc, argv, XvfbQtTest::WindowManager::kNone);
}
