// The built program with the simulated mouse on an X server of the test's own: it starts, shows
// its shaped main window (captured under the build folder), a click on Apply finds the new mouse
// holding the factory settings already, and a second start with "exit" ends it with exit code 0.
#include <gtest/gtest.h>

#include <QDir>
#include <QString>

#include <filesystem>
#include <fstream>
#include <string>

#include "resources/INIFile.h"
#include "tests/app/ProgramSession.h"

namespace {

using apptest::Child;
using apptest::WaitFor;

// The threads of Qt's thread pool in process `pid`.
int PoolThreads(pid_t pid) {
  int count = 0;
  std::error_code ec;
  const std::string tasks = "/proc/" + std::to_string(pid) + "/task";
  for (const auto& task : std::filesystem::directory_iterator(tasks, ec)) {
    std::ifstream comm(task.path() / "comm");
    std::string name;
    if (std::getline(comm, name) && name == "Thread (pooled)") ++count;
  }
  return count;
}

class ProgramTest : public ::testing::Test {
 protected:
  void SetUp() override {
    if (server_.Missing()) GTEST_SKIP() << server_.Problem();
    ASSERT_TRUE(server_.Problem().empty()) << server_.Problem();
    ASSERT_TRUE(session_.Ok());
    folder_ = session_.Folder();
  }

  std::string StatePath() const { return session_.StatePath(); }
  Child Start(std::vector<std::string> args = {}) { return session_.Start(KDZ_PROGRAM, args); }
  std::string Log() const { return session_.Log(); }

  apptest::Xvfb server_{1280, 800};
  apptest::ProgramSession session_{server_.Display()};
  std::string folder_;
};

TEST_F(ProgramTest, ShowsTheMainWindowAppliesAndEndsOnALaterExit) {
  apptest::XClient x(server_.Display());
  ASSERT_TRUE(x.Connected());
  Child program = Start();

  Window window = 0;
  ASSERT_TRUE(WaitFor([&] { return (window = x.WindowOf(program.Pid())) != 0; }, 20000))
      << "no main window; log:\n" << Log();
  const QRect placed = x.Geometry(window);
  EXPECT_EQ(placed.size(), QSize(860, 560));
  // A tool window: taskbars leave it out.
  const std::vector<std::string> types = x.WindowTypes(window);
  ASSERT_FALSE(types.empty());
  EXPECT_EQ(types.front(), "_NET_WM_WINDOW_TYPE_UTILITY");

  // The screen shows the skin's background once the window has painted.
  const QString programDir = QStringLiteral(KDZ_PROGRAM_DIR);
  const QImage background(programDir + QStringLiteral("/Skin/MainWindow_BackGround.png"));
  ASSERT_FALSE(background.isNull());
  const QPoint probe(300, 30);  // in the header, inside the shape
  QImage shot;
  WaitFor(
      [&] {
        shot = x.Capture(placed);
        return shot.pixel(probe) == background.pixel(probe);
      },
      5000);
  QDir().mkpath(QStringLiteral(KDZ_SCREEN_DIR));
  const QString shotPath = QStringLiteral(KDZ_SCREEN_DIR "/MainWindow.png");
  EXPECT_TRUE(shot.save(shotPath));
  EXPECT_EQ(shot.pixel(probe), background.pixel(probe)) << "see " << shotPath.toStdString();
  EXPECT_EQ(shot.pixel(0, 0), qRgb(255, 255, 255)) << "the cut corner shows the root window";
  EXPECT_EQ(shot.pixel(645, 330), background.pixel(645, 330)) << "beside the pages";

  // Qt splits the fills of a whole window's paint over the threads of its pool: idle, they end
  // within seconds instead of lingering for half a minute.
  EXPECT_TRUE(WaitFor([&] { return PoolThreads(program.Pid()) == 0; }, 15000))
      << PoolThreads(program.Pid()) << " pool threads left";

  // Apply on a first start: the new simulated mouse is fresh from the factory and already holds
  // what Apply makes of the factory settings, so the default files are written and the mouse's
  // state file is not (it is saved at the mouse's first change, which comes before them).
  EXPECT_FALSE(std::filesystem::exists(StatePath())) << "nothing written before Apply";
  CINIFile skin;
  ASSERT_EQ(skin.SetFile((programDir + QStringLiteral("/Setup.ini")).toStdU16String()), 1);
  int32_t apply[4] = {};
  ASSERT_EQ(skin.GetInts(u"MainWindow", u"KeyApplyRect", apply, 4), 4);
  x.Click(placed.topLeft() + QPoint(apply[0] + apply[2] / 2, apply[1] + apply[3] / 2));
  const std::string lastDefault = folder_ + "/data/Kavrin-Velro-4417/DefaultCfg/default3";
  EXPECT_TRUE(WaitFor([&] { return std::filesystem::exists(lastDefault); }, 10000))
      << "Apply wrote no default files; log:\n"
      << Log();
  EXPECT_FALSE(std::filesystem::exists(StatePath())) << "Apply changed the new mouse";

  // A later start with "exit": it quits at once, and so does the running instance.
  Child second = Start({"exit"});
  EXPECT_EQ(second.Wait(10000), std::optional<int>(0));
  EXPECT_EQ(program.Wait(10000), std::optional<int>(0)) << Log();
}

TEST_F(ProgramTest, ExitWithNothingRunningEndsAtOnceWithoutAWindow) {
  Child program = Start({"EXIT"});
  EXPECT_EQ(program.Wait(10000), std::optional<int>(0));
  EXPECT_FALSE(std::filesystem::exists(folder_ + "/runtime/KavrinDireZerud/KavrinDireZerud.socket"));
}

}  // namespace
