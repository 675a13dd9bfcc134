#pragma once

// Widget tests on a real X server that the test program starts itself: its main starts an Xvfb
// (1024x768, white root window, so that the holes of a shape stand out), openbox on it when
// the tests ask for a window manager and it is installed, then the QApplication; the fixture
// skips each test without Xvfb and fails it when the server did not come up. The captures land
// in the target's KDZ_SCREEN_DIR. Include it after Qt's headers: Xlib's macros would meet
// Qt's names.
#include <gtest/gtest.h>
#include <stdlib.h>

#include <QApplication>
#include <QDir>
#include <QGuiApplication>
#include <QImage>
#include <QRect>
#include <QScreen>
#include <QString>
#include <QTest>

#include <string>

#include "tests/platform/desktop/ChildProcess.h"
#include "tests/platform/desktop/WindowManagerReady.h"
#include "tests/platform/desktop/XvfbServer.h"

#include <X11/Xatom.h>
#include <X11/Xlib.h>

namespace uitest {

// Starts openbox, when it is installed, on the display named by $DISPLAY and waits until it
// manages the windows mapped. `windowManager` keeps it running; false when it is missing or did
// not come up.
inline bool StartOpenbox(testutil::Child& windowManager) {
  const std::string openbox = testutil::XvfbServer::FindProgram("openbox");
  if (openbox.empty()) return false;
  windowManager = testutil::Child(openbox, {"--sm-disable"}, {}, "/dev/null");
  return testutil::WaitUntilWindowsAreManaged(nullptr);
}

class XvfbQtTest : public ::testing::Test {
 public:
  enum class WindowManager { kNone, kOpenboxWhenInstalled };

  // The main of such a test program. Listing the tests (as CTest's discovery does) starts no
  // server.
  static int Main(int argc, char** argv, WindowManager windowManager) {
    ::testing::InitGoogleTest(&argc, argv);
    if (GTEST_FLAG_GET(list_tests)) return RUN_ALL_TESTS();
    testutil::XvfbServer server("1024x768x24", {"-wr"});
    server_ = &server;
    if (!server.Problem().empty()) return RUN_ALL_TESTS();
    setenv("DISPLAY", server.Display().c_str(), 1);
    setenv("QT_QPA_PLATFORM", "xcb", 1);
    unsetenv("WAYLAND_DISPLAY");
    testutil::Child openbox;
    if (windowManager == WindowManager::kOpenboxWhenInstalled)
      windowManaged_ = StartOpenbox(openbox);
    QApplication app(argc, argv);
    return RUN_ALL_TESTS();
  }

  static const testutil::XvfbServer& Server() { return *server_; }
  // Whether openbox manages the windows.
  static bool WindowManaged() { return windowManaged_; }

 protected:
  void SetUp() override {
    if (server_->Missing()) GTEST_SKIP() << server_->Problem();
    ASSERT_TRUE(server_->Problem().empty()) << server_->Problem();
  }

 private:
  static inline testutil::XvfbServer* server_ = nullptr;
  static inline bool windowManaged_ = false;
};

// Saves what the screen shows in `area` (once the windows' pixels have reached it) as
// `name`.png in the captures' folder.
inline void SaveScreen(const QString& name, const QRect& area) {
  QDir().mkpath(QStringLiteral(KDZ_SCREEN_DIR));
  QTest::qWait(150);  // let the windows' pixels reach the screen
  const QImage shot = QGuiApplication::primaryScreen()
                          ->grabWindow(0, area.x(), area.y(), area.width(), area.height())
                          .toImage();
  EXPECT_TRUE(shot.save(QStringLiteral(KDZ_SCREEN_DIR "/") + name + QStringLiteral(".png")));
}

}  // namespace uitest
