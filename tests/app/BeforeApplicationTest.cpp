// What the program begins before it connects to the display: the skin's images are decoded while
// no QApplication exists yet and while it is being made, the same as decoded after, and the
// mouse is read; the main window that the application then makes takes both over, so each
// image file and the mouse are read once.
// The main of these tests makes no application (WithoutApplicationMain.cpp). Label "startup":
// these also run under ThreadSanitizer.
#include <QApplication>
#include <QCoreApplication>
#include <QTest>

#include <chrono>
#include <functional>
#include <map>
#include <string>
#include <thread>
#include <vector>

#include "app/KavrinDireZerudApp.h"
#include "platform/ui/ImageFile.h"
#include "platform/ui/ImagePrefetch.h"
#include "tests/app/AppFixture.h"
#include "tests/app/DefaultSkinImages.h"
#include "tests/platform/sys/OpenCounter.h"

namespace {

using apptest::AppFixture;
using apptest::DefaultSkinImages;
using testutil::OpenCounter;

// Whether Qt has said, since the watcher was made, that the application was made on another
// thread than its main thread.
class MainThreadWarning {
 public:
  MainThreadWarning() { previous_ = qInstallMessageHandler(&Record); }
  ~MainThreadWarning() { qInstallMessageHandler(previous_); }
  static bool Given() { return given_; }

 private:
  static void Record(QtMsgType, const QMessageLogContext&, const QString& text) {
    if (text.contains(QStringLiteral("not created in the main() thread"))) given_ = true;
  }
  static inline bool given_ = false;
  QtMessageHandler previous_;
};

// Waits until `done` holds, at most uitest::kWaitMs.
bool WaitWithoutQt(const std::function<bool()>& done) {
  const auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(uitest::kWaitMs);
  while (!done()) {
    if (std::chrono::steady_clock::now() > end) return false;
    std::this_thread::sleep_for(std::chrono::milliseconds(1));
  }
  return true;
}

// The command line of a program started without arguments.
struct CommandLine {
  char name[16] = "KavrinDireZerud";
  char* argv[2] = {name, nullptr};
  int argc = 1;
};

// The workers use Qt before the application is made: the thread that makes it is still Qt's main
// thread.
TEST(BeforeApplicationTest, TheThreadThatMakesTheApplicationIsQtsMainThread) {
  ASSERT_EQ(QCoreApplication::instance(), nullptr);
  const QStringList files = DefaultSkinImages();
  MainThreadWarning warning;
  ui::ImagePrefetch prefetch(files, ui::ImagePrefetch::kMaxThreads);
  // The workers are under way before the application is made (a wait that uses no Qt: its
  // event loop would make this thread Qt's main thread).
  ASSERT_TRUE(WaitWithoutQt([&] { return prefetch.Decodes() > 0; }));
  CommandLine command;
  QApplication application(command.argc, command.argv);
  EXPECT_FALSE(MainThreadWarning::Given());
}

// The application is made while the workers decode: what they decode is what is decoded after.
TEST(BeforeApplicationTest, ImagesDecodedWhileTheApplicationIsMadeEqualThoseDecodedAfter) {
  ASSERT_EQ(QCoreApplication::instance(), nullptr);
  const QStringList files = DefaultSkinImages();
  ASSERT_GT(files.size(), 30);
  ui::ImagePrefetch prefetch(files, ui::ImagePrefetch::kMaxThreads);
  CommandLine command;
  QApplication application(command.argc, command.argv);
  for (const QString& file : files) {
    const QImage ahead = ui::LoadImageFile(file);
    ASSERT_FALSE(ahead.isNull()) << file.toStdString();
    EXPECT_EQ(ahead, ui::DecodeImageFile(file)) << file.toStdString();
  }
}

// The application begins decoding and reading the mouse before it makes its QApplication, and
// its main window takes both over instead of beginning its own.
TEST_F(AppFixture, TheWindowTakesOverWhatTheProgramBeganBeforeTheApplication) {
  ASSERT_EQ(QCoreApplication::instance(), nullptr);
  programFolder = CopyProgramFolder();
  OpenCounter counter(programFolder + "/Skin");
  ASSERT_TRUE(counter.Watching());
  CKavrinDireZerudApp::Options options;
  options.instance.folder = data / "run";
  options.instanceName = "kdz-app-test";
  options.window = WindowOptions();
  options.window.imageDecodeThreads = ui::ImagePrefetch::kMaxThreads;
  options.window.paintWaitMs = 0;
  CKavrinDireZerudApp app(options);
  CommandLine command;
  ASSERT_TRUE(app.InitInstance(command.argc, command.argv));
  ASSERT_NE(QCoreApplication::instance(), nullptr);
  CKavrinDireZerudDlg* window = app.MainWindow();
  ASSERT_NE(window, nullptr);
  // Not painted, as in StartupTest: Qt's own painting threads are outside what ThreadSanitizer
  // follows.
  window->setUpdatesEnabled(false);
  ASSERT_TRUE(apptest::EveryPageSkinned(*window));
  const std::map<std::string, int> opened = counter.Opened();
  EXPECT_EQ(opened.count("MainWindow_BackGround.png"), 1u);
  EXPECT_EQ(opened.count("LightSetting_Normal.png"), 1u);
  for (const auto& [file, times] : opened) EXPECT_EQ(times, 1) << file;
  // One read of the mouse, and one connection to it: the window's.
  EXPECT_EQ(Commands(sim::CMD_DPI), 1);
  EXPECT_EQ(window->GetProp(u"IsMyDeivce"), 1u);
  ASSERT_TRUE(window->Device().IsOpen());
  window->Device().Close();
  EXPECT_EQ(backend.OpenHandleCount(sim::kMousePath), 0);
  app.ExitInstance();
}

}  // namespace
