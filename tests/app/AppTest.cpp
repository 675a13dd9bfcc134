// The application object's start-up decisions, on Qt's offscreen platform.
#include <QAbstractButton>
#include <QMessageBox>

#include "app/KavrinDireZerudApp.h"
#include "tests/app/AppFixture.h"

namespace {

using namespace apptest;

struct SwitchCase {
  const char* name;
  const char* commandLine;
  bool runs;
  bool shown;
};
void PrintTo(const SwitchCase& c, std::ostream* os) { *os << c.name; }

class CommandLineTest : public AppFixture, public ::testing::WithParamInterface<SwitchCase> {};

TEST_P(CommandLineTest, SwitchesDecideWhetherAndHowTheWindowStarts) {
  const SwitchCase& c = GetParam();
  CKavrinDireZerudApp::Options options;
  options.instance.folder = data / "run";
  options.instanceName = "kdz-app-test";
  options.window = WindowOptions();
  {
    CKavrinDireZerudApp app(options);
    EXPECT_EQ(app.InitInstance(c.commandLine), c.runs);
    ASSERT_EQ(app.MainWindow() != nullptr, c.runs) << "a process that quits creates no window";
    if (c.runs) {
      EXPECT_EQ(app.MainWindow()->isVisible(), c.shown);
      // The window came up with the expected mouse, whatever the switch made of it.
      EXPECT_EQ(app.MainWindow()->GetProp(u"IsMyDeivce"), 1u);
    } else {
      EXPECT_EQ(Commands(sim::CMD_VERSION), 0) << "no device connection either";
    }
    app.ExitInstance();
  }
  EXPECT_TRUE(exits.empty());
}

INSTANTIATE_TEST_SUITE_P(
    Switches, CommandLineTest,
    ::testing::Values(SwitchCase{"None", "", true, true},
                      SwitchCase{"SilentInUpperCase", "/S", true, false},
                      SwitchCase{"SilentInsideAPath", "--config /home/x/saved", true, false},
                      SwitchCase{"ExitInsideAWordWithNothingToStop", "--EXITNOW", false, false},
                      SwitchCase{"ExitWinsOverSilent", "/s exit", false, false}),
    [](const ::testing::TestParamInfo<SwitchCase>& info) { return std::string(info.param.name); });

// The process's exit code after "exit": 0 when there is nothing to stop, 1 when the running
// instance takes the request on but has not ended within the wait.
TEST_F(AppFixture, ExitEndsWithOneWhenTheRunningInstanceDoesNotEnd) {
  const struct {
    const char* what;
    bool running;
    int code;
  } cases[] = {
      {"nothing to stop", false, 0},
      {"the running instance does not end", true, 1},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    desktop::SingleInstance running("kdz-app-test", {data / "run"});
    if (c.running) {
      ASSERT_TRUE(running.Start("").Runs());
      ASSERT_TRUE(running.Publish([](desktop::InstanceCommand) { return true; }));
    }
    CKavrinDireZerudApp::Options options;
    options.instance.folder = data / "run";
    options.instance.exitWaitMs = 100;
    options.instanceName = "kdz-app-test";
    options.window = WindowOptions();
    CKavrinDireZerudApp app(options);
    EXPECT_FALSE(app.InitInstance("exit"));
    EXPECT_EQ(app.ExitInstance(), c.code);
  }
}

}  // namespace

namespace {

// A save cut short by a kill leaves .Kavrin-DireZerud.tmp-XXXXXX files behind; the instance that
// runs with the single-instance lock removes them from the folders it writes. A process that only
// passes a request on, or runs without the lock, leaves them: another instance may be saving.
TEST_F(AppFixture, LeftoverTemporaryFilesAreRemovedByTheInstanceThatHoldsTheLock) {
  testutil::ScopedEnv config("XDG_CONFIG_HOME", (data / "config").c_str());
  const std::vector<std::string> leftovers = {
      data.DefaultCfg() + "/.Kavrin-DireZerud.tmp-Ab12Cd",
      data.Cfg() + "/.Kavrin-DireZerud.tmp-xY9000",
      data / "config/Kavrin-DireZerud/.Kavrin-DireZerud.tmp-q1w2e3",
      data / "config/autostart/.Kavrin-DireZerud.tmp-Zz0aB1"};
  const std::vector<std::string> kept = {data.DefaultCfg() + "/default2",
                                         data.Cfg() + "/notes.tmp-1",
                                         data / "config/Kavrin-DireZerud/pointer.ini",
                                         data / "config/autostart/Kavrin-DireZerud.desktop",
                                         data / "config/autostart/other.desktop.tmp-Ab12Cd"};
  data.Write("not-a-folder", "x");  // a lock folder that cannot be used
  const struct {
    const char* what;
    const char* commandLine;
    std::string lockFolder;
    bool runs;
    bool removed;
  } cases[] = {
      {"passes exit on", "exit", data / "run", false, false},
      {"runs without the lock", "", data / "not-a-folder", true, false},
      {"runs with the lock", "", data / "run", true, true},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    for (const std::string& path : leftovers) data.Write(path.substr(data.path().size() + 1), "x");
    for (const std::string& path : kept) data.Write(path.substr(data.path().size() + 1), "x");
    CKavrinDireZerudApp::Options options;
    options.instance.folder = c.lockFolder;
    options.instanceName = "kdz-app-test";
    options.window = WindowOptions();
    CKavrinDireZerudApp app(options);
    EXPECT_EQ(app.InitInstance(c.commandLine), c.runs);
    for (const std::string& path : leftovers)
      EXPECT_EQ(std::filesystem::exists(path), !c.removed) << path;
    for (const std::string& path : kept) EXPECT_TRUE(std::filesystem::exists(path)) << path;
    app.ExitInstance();
  }
}

// Qt's own texts come in the program's language from the start: the boxes' button reads 确定.
TEST_F(AppFixture, QtsOwnTextsAreChineseOnceTheApplicationRuns) {
  CKavrinDireZerudApp::Options options;
  options.instance.folder = data / "run";
  options.instanceName = "kdz-app-test";
  options.window = WindowOptions();
  CKavrinDireZerudApp app(options);
  ASSERT_TRUE(app.InitInstance(""));
  ui::SetMessageBoxHandler({});  // the real box
  QString button;
  uitest::OnModal actor([&](QWidget* w) {
    auto* box = static_cast<QMessageBox*>(w);
    button = box->button(QMessageBox::Ok)->text();
    box->accept();
  });
  ui::MessageBox(app.MainWindow(), QStringLiteral("配置文件错误！"));
  EXPECT_EQ(button, QStringLiteral("确定"));
  app.ExitInstance();
}

}  // namespace
