// The built program on an X server of the test's own with real desktop components: under the
// XEmbed tray host trayer it starts into the tray, its menu works and Exit ends it, also while
// device warnings are open; under the window manager openbox it follows the foreground program
// and carries out the mouse's PC-side buttons, driven through the simulated mouse's control
// pipe.
#include <gtest/gtest.h>

#include <QDir>
#include <QString>

#include "settings/FactoryDefaults.h"
#include "settings/FunctionCodes.h"
#include "settings/Records.h"
#include "tests/app/DesktopUnderX.h"

// Last: Xlib's macros would meet the names of the headers above.
#include <X11/extensions/XInput2.h>

namespace {

using apptest::Child;
using apptest::Desk;
using apptest::ReadText;
using apptest::ShowsNothing;
using apptest::WaitFor;

const QRgb kStrip = qRgb(0xDB, 0xD8, 0xD1);

// The wheel steps (presses of buttons 6 and 7) that reach the X server from any client, seen as
// XInput2 raw events on the root window: what the program's wheel injection sent, wherever the
// pointer is, also where no window could receive it.
class RawWheelSteps {
 public:
  explicit RawWheelSteps(const std::string& display) : d_(XOpenDisplay(display.c_str())) {
    int event = 0, error = 0, major = 2, minor = 2;
    if (d_ == nullptr || !XQueryExtension(d_, "XInputExtension", &opcode_, &event, &error) ||
        XIQueryVersion(d_, &major, &minor) != Success)
      return;
    unsigned char bits[XIMaskLen(XI_LASTEVENT)] = {};
    XISetMask(bits, XI_RawButtonPress);
    XIEventMask mask{XIAllMasterDevices, sizeof bits, bits};
    XISelectEvents(d_, DefaultRootWindow(d_), &mask, 1);
    XSync(d_, False);
    ok_ = true;
  }
  ~RawWheelSteps() {
    if (d_) XCloseDisplay(d_);
  }
  RawWheelSteps(const RawWheelSteps&) = delete;
  RawWheelSteps& operator=(const RawWheelSteps&) = delete;
  bool Ok() const { return ok_; }

  // The steps the server has taken since the last call.
  int Take() {
    XSync(d_, False);
    int steps = 0;
    while (XPending(d_) > 0) {
      XEvent e;
      XNextEvent(d_, &e);
      if (e.xcookie.type != GenericEvent || e.xcookie.extension != opcode_ ||
          !XGetEventData(d_, &e.xcookie))
        continue;
      const auto* raw = static_cast<const XIRawEvent*>(e.xcookie.data);
      if (e.xcookie.evtype == XI_RawButtonPress && (raw->detail == 6 || raw->detail == 7)) ++steps;
      XFreeEventData(d_, &e.xcookie);
    }
    return steps;
  }

 private:
  ::Display* d_;
  int opcode_ = 0;
  bool ok_ = false;
};

class DesktopTest : public ::testing::Test, protected apptest::DesktopOnScreen {
 protected:
  DesktopTest() : DesktopOnScreen(1024, 768) {}
  void SetUp() override {
    if (server_.Missing()) GTEST_SKIP() << server_.Problem();
    ASSERT_EQ(OpenSession(), "");
    folder_ = session_->Folder();
  }

  std::optional<Child> Tool(const std::string& exe, const std::vector<std::string>& args) {
    return session_->Tool(exe, args);
  }
  Child Program(std::vector<std::string> args = {}) { return session_->Program(KDZ_PROGRAM, args); }
  std::string Log() const { return session_->Log(); }
  bool Control(const std::string& line) { return session_->Control(line); }
  int StateMode() { return session_->StateMode(); }

  // A right press on the program's icon and the menu it opens; the press is repeated at the
  // icon's latest place while no menu shows, since the tray host may still be laying out a
  // newly docked icon and take the first press itself. `at` is where the icon was pressed.
  std::optional<Desk::Found> OpenMenu(Desk& desk, pid_t pid, QPoint& at) {
    std::optional<Desk::Found> menu;
    for (int attempt = 0; attempt < 3; ++attempt) {
      if (const std::optional<Desk::Found> now = desk.TrayIconOf(pid)) at = now->geometry.center();
      desk.Click(at, 3);
      if (WaitFor([&] { return (menu = desk.MenuOf(pid)).has_value(); }, 5000)) return menu;
    }
    return std::nullopt;
  }

  std::string folder_;
};

// The menu's items, in the menu's own coordinates.
const QPoint kShowMainPanelItem(1 + 50, 1 + 11);
const QPoint kAutoRunItem(1 + 50, 1 + 22 + 11);
const QPoint kExitItem(1 + 50, 1 + 22 + 22 + 8 + 11);

// --- The tray under trayer -------------------------------------------------------------------

TEST_F(DesktopTest, StartsIntoTheTrayAndItsMenuSwitchesTheStartAndEndsTheProgram) {
  Desk desk(server_.Display());
  ASSERT_TRUE(desk.Connected());
  std::optional<Child> trayer = Tool("/usr/bin/trayer", {"--edge", "bottom", "--align", "right"});
  if (!trayer) GTEST_SKIP() << "trayer is not installed";
  ASSERT_TRUE(WaitFor([&] { return desk.SelectionOwned("_NET_SYSTEM_TRAY_S0"); }, 10000));

  Child program = Program({"/s"});
  std::optional<Desk::Found> icon;
  ASSERT_TRUE(WaitFor([&] { return (icon = desk.TrayIconOf(program.Pid())).has_value(); }, 20000))
      << "no icon in the tray; log:\n" << Log();
  EXPECT_FALSE(desk.TopLevelShown(program.Pid())) << "only the icon shows";
  EXPECT_EQ(Log().find("notification area"), std::string::npos) << Log();

  // A right press opens the menu at the cursor, kept on the screen (the tray is at the bottom).
  QPoint at = icon->geometry.center();
  std::optional<Desk::Found> menu;
  const auto openMenu = [&] { return (menu = OpenMenu(desk, program.Pid(), at)).has_value(); };
  ASSERT_TRUE(openMenu()) << Log();
  EXPECT_TRUE(QRect(0, 0, 1024, 768).contains(menu->geometry));
  EXPECT_EQ(menu->geometry.bottom() + 1, at.y()) << "opened upwards from the cursor";
  EXPECT_LE(menu->geometry.left(), at.x());
  apptest::XClient x(server_.Display());
  QImage shot;
  WaitFor(
      [&] {
        shot = x.Capture(menu->geometry);
        return shot.pixel(3, 2) == kStrip;
      },
      3000);
  QDir().mkpath(QStringLiteral(KDZ_SCREEN_DIR));
  const QString shotPath = QStringLiteral(KDZ_SCREEN_DIR "/tray-menu.png");
  EXPECT_TRUE(shot.save(shotPath));
  EXPECT_EQ(shot.pixel(3, 2), kStrip) << "see " << shotPath.toStdString();

  // The second item writes the start entry, and then hides it.
  const std::string entry = folder_ + "/config/autostart/Kavrin-DireZerud.desktop";
  const QPoint autoRunItem = menu->geometry.topLeft() + kAutoRunItem;
  desk.Click(autoRunItem);
  ASSERT_TRUE(WaitFor([&] { return ReadText(entry).find("Exec=") != std::string::npos; }, 15000))
      << Log();
  EXPECT_EQ(ReadText(entry).find("Hidden=true"), std::string::npos);
  EXPECT_FALSE(desk.MenuOf(program.Pid()).has_value());
  ASSERT_TRUE(openMenu());
  desk.Click(autoRunItem);
  EXPECT_TRUE(WaitFor([&] { return ReadText(entry).find("Hidden=true") != std::string::npos; },
                      15000));

  // A double click shows the window.
  desk.DoubleClick(at);
  EXPECT_TRUE(WaitFor([&] { return desk.TopLevelShown(program.Pid()); }, 15000)) << Log();

  // A tray host that comes back gets the icon again (Qt docks it by itself).
  trayer.reset();
  ASSERT_TRUE(WaitFor([&] { return !desk.SelectionOwned("_NET_SYSTEM_TRAY_S0"); }, 15000));
  trayer = Tool("/usr/bin/trayer", {"--edge", "bottom", "--align", "right"});
  EXPECT_TRUE(WaitFor([&] { return (icon = desk.TrayIconOf(program.Pid())).has_value(); }, 10000))
      << "not docked again";

  // Exit ends the program with 0.
  if (icon) {
    ASSERT_TRUE(openMenu()) << Log();
    desk.Click(menu->geometry.topLeft() + kExitItem);
  }
  EXPECT_EQ(program.Wait(10000), std::optional<int>(0)) << Log();
}

TEST_F(DesktopTest, TheTrayAnswersWhileTheDeviceWarningIsOpen) {
  Desk desk(server_.Display());
  ASSERT_TRUE(desk.Connected());
  std::optional<Child> wm = Tool("/usr/bin/openbox", {"--sm-disable"});
  if (!wm) GTEST_SKIP() << "openbox is not installed";
  ASSERT_TRUE(testutil::WaitUntilWindowsAreManaged(server_.Display().c_str()));
  std::optional<Child> trayer = Tool("/usr/bin/trayer", {"--edge", "bottom", "--align", "right"});
  if (!trayer) GTEST_SKIP() << "trayer is not installed";
  ASSERT_TRUE(WaitFor([&] { return desk.SelectionOwned("_NET_SYSTEM_TRAY_S0"); }, 10000));

  // A mouse that is not the expected one: the icon warns instead of showing the window.
  session_->SetEnv("KDZ_SIMULATED_DEVICE_ID", "0x01020304");
  Child program = Program({"/s"});
  std::optional<Desk::Found> icon;
  ASSERT_TRUE(WaitFor([&] { return (icon = desk.TrayIconOf(program.Pid())).has_value(); }, 20000))
      << "no icon in the tray; log:\n" << Log();
  const auto boxes = [&] {
    std::vector<Desk::Found> out;
    for (const Desk::Found& f : desk.WindowsOf(program.Pid())) {
      if (!f.overrideRedirect && f.window != icon->window) out.push_back(f);
    }
    return out;
  };
  QPoint at = icon->geometry.center();
  desk.DoubleClick(at);
  ASSERT_TRUE(WaitFor([&] { return boxes().size() == 1; }, 15000)) << "no warning; log:\n" << Log();
  {
    // The box in its frame.
    apptest::XClient x(server_.Display());
    QDir().mkpath(QStringLiteral(KDZ_SCREEN_DIR));
    const QString shot = QStringLiteral(KDZ_SCREEN_DIR "/MessageBox_DeviceWarning.png");
    EXPECT_TRUE(x.SettledCapture(desk.InFrame(boxes().front())).save(shot));
  }

  // A second double click while the warning is open shows no second one; the menu still
  // opens (once it shows, the double click before it has been handled), and its Show main
  // panel warns a second time.
  desk.DoubleClick(at);
  std::optional<Desk::Found> menu = OpenMenu(desk, program.Pid(), at);
  ASSERT_TRUE(menu) << "the tray takes no press while the warning is open; log:\n" << Log();
  EXPECT_EQ(boxes().size(), 1u);
  desk.Click(menu->geometry.topLeft() + kShowMainPanelItem);
  EXPECT_TRUE(WaitFor([&] { return boxes().size() == 2; }, 15000)) << Log();

  // The boxes' frames show no name.
  for (const Desk::Found& box : boxes()) {
    const std::optional<std::string> netName = desk.TextProperty(box.window, "_NET_WM_NAME");
    const std::optional<std::string> name = desk.TextProperty(box.window, "WM_NAME");
    EXPECT_TRUE(ShowsNothing(netName.value_or(""))) << '"' << netName.value_or("") << '"';
    EXPECT_TRUE(ShowsNothing(name.value_or(""))) << '"' << name.value_or("") << '"';
  }

  // Exit ends the program with both boxes open.
  menu = OpenMenu(desk, program.Pid(), at);
  ASSERT_TRUE(menu) << Log();
  desk.Click(menu->geometry.topLeft() + kExitItem);
  EXPECT_EQ(program.Wait(10000), std::optional<int>(0)) << Log();
}

// --- The mouse's buttons under openbox -------------------------------------------------------

class MouseButtonsTest : public DesktopTest {
 protected:
  // The default files the program starts from: mode 1 follows "alpha-client", mode 2
  // "beta-client"; button 5 runs a program, 6 and 7 scroll right and left by 2.
  void WriteDefaults(const std::string& modeOneProgram, const std::string& modeThreeProgram) {
    const std::string folder = folder_ + "/data/Kavrin-Velro-4417/DefaultCfg";
    std::filesystem::create_directories(folder);
    for (int m = 0; m < 4; ++m) {
      auto record = std::make_unique<settings::tagMODEINFO>();
      settings::LoadFactoryDefaults(*record, m);
      if (m == 1) settings::SetFieldText(record->appPath, u"alpha-client");
      if (m == 2) settings::SetFieldText(record->appPath, u"beta-client");
      const std::string& program = m == 3 ? modeThreeProgram : modeOneProgram;
      record->keys[5].major = settings::MAJOR_FUN_ASSIGN_PROGRAM_TO_EXECUTION;
      settings::SetFieldText(record->keys[5].programPath,
                             QString::fromStdString(program).toStdU16String());
      record->keys[6].major = settings::MAJOR_FUN_SCROLL_RIGHT;
      record->keys[7].major = settings::MAJOR_FUN_SCROLL_LEFT;
      record->horizontalScrollAmount = 2;
      std::ofstream(folder + "/default" + std::to_string(m), std::ios::binary)
          .write(reinterpret_cast<const char*>(record.get()), sizeof *record);
    }
  }
  // A script in a folder whose name has a space and a "$", appending its name to `marker`.
  std::string Script(const std::string& name) {
    const std::string dir = folder_ + "/scripts with $HOME";
    std::filesystem::create_directories(dir);
    const std::string path = dir + "/" + name;
    std::ofstream(path) << "#!/bin/sh\necho " << name << " >> '" << folder_ << "/ran'\n";
    ::chmod(path.c_str(), 0755);
    return path;
  }
  std::string Ran() { return ReadText(folder_ + "/ran"); }
  // A client program of its own name, recording its button presses.
  Child Client(const std::string& name, int x) {
    const std::string copy = folder_ + "/" + name;
    std::filesystem::copy_file(KDZ_TEST_CLIENT, copy);
    ::chmod(copy.c_str(), 0755);
    return Child(copy, {folder_ + "/" + name + ".buttons", std::to_string(x), "100", "400", "300"},
                 session_->Env(), folder_ + "/tools.log");
  }
  std::string Buttons(const std::string& name) { return ReadText(folder_ + "/" + name + ".buttons"); }
  // The clients' button records once the program has stopped scrolling after a release: the
  // same over longer than one tick of its timer. Empty when they never settle.
  std::string Settled() {
    const auto both = [&] { return Buttons("alpha-client") + "|" + Buttons("beta-client"); };
    const bool settled = WaitFor(
        [&] {
          const std::string before = both();
          std::this_thread::sleep_for(std::chrono::milliseconds(2 * 300));
          return both() == before;
        },
        15000);
    EXPECT_TRUE(settled) << "the steps go on after the release";
    return settled ? Buttons("alpha-client") : std::string();
  }
};

TEST_F(MouseButtonsTest, FollowsTheForegroundProgramAndCarriesOutTheButtons) {
  Desk desk(server_.Display());
  ASSERT_TRUE(desk.Connected());
  std::optional<Child> wm = Tool("/usr/bin/openbox", {"--sm-disable"});
  if (!wm) GTEST_SKIP() << "openbox is not installed";
  ASSERT_TRUE(testutil::WaitUntilWindowsAreManaged(server_.Display().c_str()));
  WriteDefaults(Script("first"), Script("third"));

  Child program = Program({"/s"});
  // The mode follows the program in front; that the mouse went to mode 1 also tells that the
  // program has opened it and hears its reports.
  Child alpha = Client("alpha-client", 50);
  EXPECT_TRUE(WaitFor([&] { return desk.ActivePid() == alpha.Pid(); }, 15000));
  ASSERT_TRUE(WaitFor([&] { return StateMode() == 1; }, 15000)) << Log();

  {
    // In front of a program that no mode follows, a mode chosen with the mouse's own button
    // is taken over: button 5 of mode 3 runs "third".
    Child gamma = Client("gamma-client", 550);
    ASSERT_TRUE(WaitFor([&] { return desk.ActivePid() == gamma.Pid(); }, 15000));
    ASSERT_TRUE(Control("mode 3 1 2")) << Log();
    ASSERT_TRUE(WaitFor([&] { return StateMode() == 3; }, 15000)) << Log();
    ASSERT_TRUE(Control("keys 0x20"));
    EXPECT_TRUE(WaitFor([&] { return Ran() == "third\n"; }, 15000)) << Ran() << Log();
    ASSERT_TRUE(Control("keys 0"));
  }

  Child beta = Client("beta-client", 550);
  EXPECT_TRUE(WaitFor([&] { return desk.ActivePid() == beta.Pid(); }, 15000));
  EXPECT_TRUE(WaitFor([&] { return StateMode() == 2; }, 15000)) << Log();
  const std::vector<Desk::Found> alphaWindows = desk.WindowsOf(alpha.Pid());
  ASSERT_FALSE(alphaWindows.empty());
  desk.Activate(alphaWindows.front().window);  // the client's own window, inside its frame
  EXPECT_TRUE(WaitFor([&] { return StateMode() == 1; }, 15000)) << Log();

  // A held scroll button scrolls the window under the pointer, repeated until released.
  RawWheelSteps steps(server_.Display());
  ASSERT_TRUE(steps.Ok());
  desk.MoveTo(QPoint(250, 250));
  ASSERT_TRUE(Control("keys 0x40"));
  EXPECT_TRUE(WaitFor([&] { return Buttons("alpha-client").size() >= 8 * 2; }, 15000))
      << "4 sets of 2 steps: " << Buttons("alpha-client");
  EXPECT_EQ(Buttons("alpha-client").find('6'), std::string::npos);
  ASSERT_TRUE(Control("keys 0"));
  const std::string held = Settled();
  std::this_thread::sleep_for(std::chrono::milliseconds(700));
  EXPECT_EQ(Buttons("alpha-client"), held) << "released: no more steps";
  ASSERT_TRUE(Control("keys 0x80"));
  EXPECT_TRUE(WaitFor([&] { return Buttons("alpha-client").find("6\n6\n") != std::string::npos; },
                      15000));
  ASSERT_TRUE(Control("keys 0"));

  EXPECT_GT(steps.Take(), 0) << "the server saw none of the steps the client got";

  // Over the bare root window nothing is scrolled, which only the server can tell. The button
  // is held over two ticks of the program's timer, which the mode switches tell: each tick
  // repeats the held button before it follows the program in front.
  Settled();
  desk.MoveTo(QPoint(500, 700));
  steps.Take();
  ASSERT_TRUE(Control("keys 0x40"));
  const std::vector<Desk::Found> betaFront = desk.WindowsOf(beta.Pid());
  ASSERT_FALSE(betaFront.empty());
  desk.Activate(betaFront.front().window);
  EXPECT_TRUE(WaitFor([&] { return StateMode() == 2; }, 15000)) << Log();
  desk.Activate(alphaWindows.front().window);
  EXPECT_TRUE(WaitFor([&] { return StateMode() == 1; }, 15000)) << Log();
  ASSERT_TRUE(Control("keys 0"));
  EXPECT_EQ(steps.Take(), 0) << "wheel steps were sent over the bare root window";

  // A program button starts its script.
  ASSERT_TRUE(Control("keys 0x20"));
  EXPECT_TRUE(WaitFor([&] { return Ran() == "third\nfirst\n"; }, 15000)) << Ran();
  ASSERT_TRUE(Control("keys 0"));

  // Unplugged and plugged again, the mouse is read afresh with the default files: button 5 of
  // mode 1 now runs "second". The mouse comes back in beta's mode 2 while alpha is in front, so
  // its going to mode 1 tells that the program has read it again.
  const std::vector<Desk::Found> betaWindows = desk.WindowsOf(beta.Pid());
  ASSERT_FALSE(betaWindows.empty());
  desk.Activate(betaWindows.front().window);
  ASSERT_TRUE(WaitFor([&] { return StateMode() == 2; }, 15000)) << Log();
  WriteDefaults(Script("second"), Script("third"));
  ASSERT_TRUE(Control("unplug"));
  std::this_thread::sleep_for(std::chrono::milliseconds(500));
  desk.Activate(alphaWindows.front().window);
  EXPECT_TRUE(WaitFor([&] { return desk.ActivePid() == alpha.Pid(); }, 15000));
  ASSERT_TRUE(Control("plug"));
  ASSERT_TRUE(WaitFor([&] { return StateMode() == 1; }, 15000)) << Log();
  ASSERT_TRUE(Control("keys 0x20"));
  EXPECT_TRUE(WaitFor([&] { return Ran() == "third\nfirst\nsecond\n"; }, 15000)) << Ran() << Log();
  ASSERT_TRUE(Control("keys 0"));

  Child second = Program({"exit"});
  EXPECT_EQ(second.Wait(10000), std::optional<int>(0));
  EXPECT_EQ(program.Wait(10000), std::optional<int>(0)) << Log();
}

}  // namespace
