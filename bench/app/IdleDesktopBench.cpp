// The built program idle for a minute on a desktop of its own (Xvfb, openbox, trayer and two
// other windows), with the simulated mouse, its main window shown (the pointer at rest over it)
// or hidden in the tray, with and without an application path in a mode: the processor time the program uses, the processor
// time it causes in the X server (the server's time less that of the same desktop without the
// program, measured once), both as the scheduler counts them, and the program's wake-ups (the
// context switches of all its threads). KDZ_IDLE_SECONDS sets another length than 60 s,
// KDZ_IDLE_PROGRAM another build of the program to compare with.
#include <benchmark/benchmark.h>
#include <stdlib.h>
#include <unistd.h>

#include <memory>
#include <optional>
#include <string>
#include <thread>

#include "bench/app/DefaultFiles.h"
#include "bench/app/ProcessTimes.h"
// Last: it brings Xlib, whose macros meet names of the headers above.
#include "tests/app/DesktopUnderX.h"

namespace {

using apptest::Child;
using apptest::Desk;
using apptest::DesktopSession;
using apptest::WaitFor;

std::string Program() {
  const char* other = std::getenv("KDZ_IDLE_PROGRAM");
  return other != nullptr && *other != '\0' ? other : KDZ_PROGRAM;
}

int IdleSeconds() {
  const char* text = std::getenv("KDZ_IDLE_SECONDS");
  const int seconds = text != nullptr ? std::atoi(text) : 0;
  return seconds > 0 ? seconds : 60;
}

// The desktop, set up once for all runs: the window manager, the tray host, and two ordinary
// windows of this process, the last one mapped being the active one.
struct Desktop {
  Desktop() {
    if (!server.Problem().empty()) {
      problem = server.Problem();
      return;
    }
    tools.emplace(server.Display());
    desk = std::make_unique<Desk>(server.Display());
    wm = tools->Tool("/usr/bin/openbox", {"--sm-disable"});
    if (!wm || !WaitFor([&] { return desk->RootHas("_NET_SUPPORTING_WM_CHECK"); }, 10000)) {
      problem = "openbox did not start";
      return;
    }
    tray = tools->Tool("/usr/bin/trayer", {"--edge", "bottom", "--align", "right"});
    if (!tray || !WaitFor([&] { return desk->SelectionOwned("_NET_SYSTEM_TRAY_S0"); }, 10000)) {
      problem = "trayer did not start";
      return;
    }
    windows = XOpenDisplay(server.Display().c_str());
    if (windows == nullptr) {
      problem = "no X connection";
      return;
    }
    const long pid = ::getpid();
    Window last = 0;
    for (int i = 0; i < 2; ++i) {
      last = XCreateSimpleWindow(windows, DefaultRootWindow(windows), 60 + 300 * i, 60, 280, 200,
                                 0, 0, 0x00406080);
      XStoreName(windows, last, i == 0 ? "first" : "second");
      XChangeProperty(windows, last, XInternAtom(windows, "_NET_WM_PID", False), XA_CARDINAL, 32,
                      PropModeReplace, reinterpret_cast<const unsigned char*>(&pid), 1);
      XMapWindow(windows, last);
    }
    XSync(windows, False);
    // Asked for as a pager does, until the window manager has taken the window on.
    const bool active = WaitFor(
        [&] {
          if (desk->ActivePid() == pid) return true;
          desk->Activate(last);
          return false;
        },
        10000, 100);
    if (!active) problem = "no window active";
  }

  apptest::Xvfb server{1024, 768};
  std::optional<DesktopSession> tools;  // the folders the desktop components run in
  std::unique_ptr<Desk> desk;
  std::optional<Child> wm;
  std::optional<Child> tray;
  ::Display* windows = nullptr;  // never closed: the windows stay for every run
  std::string problem;
};

Desktop& Shared() {
  static Desktop* desktop = new Desktop;
  return *desktop;
}

// Seconds of processor time of the X server alone with the desktop over IdleSeconds().
double ServerBaseline() {
  static const double baseline = [] {
    const pid_t server = Shared().server.Pid();
    const double before = benchutil::RunSeconds(server);
    std::this_thread::sleep_for(std::chrono::seconds(IdleSeconds()));
    return benchutil::RunSeconds(server) - before;
  }();
  return baseline;
}

// Every mode from the factory; mode 1 follows a program that is not running.
void WriteDefaultsWithAppPath(const DesktopSession& session) {
  benchutil::WriteDefaults(session.Folder() + "/data", [](int mode, settings::tagMODEINFO& record) {
    if (mode == 1) settings::SetFieldText(record.appPath, u"/usr/bin/gimp");
  });
}

// Arguments: shown (1) or hidden in the tray (0); with an application path (1) or none (0).
void BM_IdleOnTheDesktop(benchmark::State& state) {
  Desktop& desktop = Shared();
  if (!desktop.problem.empty()) return state.SkipWithError(desktop.problem.c_str());
  const bool shown = state.range(0) != 0;
  const bool withPath = state.range(1) != 0;
  const int seconds = IdleSeconds();
  const double baseline = ServerBaseline();
  for (auto _ : state) {
    DesktopSession session(desktop.server.Display());
    if (withPath) WriteDefaultsWithAppPath(session);
    Child program = session.Program(Program(), shown ? std::vector<std::string>{}
                                                       : std::vector<std::string>{"/s"});
    // Shown, the main window is in a frame of the window manager; hidden, only the icon shows.
    QRect mainWindow;
    const auto mainWindowShown = [&] {
      for (const Desk::Found& f : desktop.desk->WindowsOf(program.Pid())) {
        if (!f.overrideRedirect && f.geometry.width() > 64) mainWindow = f.geometry;
      }
      return !mainWindow.isEmpty();
    };
    const bool up = WaitFor(
        [&] {
          return shown ? mainWindowShown()
                       : desktop.desk->TrayIconOf(program.Pid()).has_value();
        },
        60000);
    if (!up) return state.SkipWithError(("the program did not come up:\n" + session.Log()).c_str());
    // Where a user leaves it: over the window's middle, on the button page.
    if (shown) desktop.desk->MoveTo(mainWindow.center());
    std::this_thread::sleep_for(std::chrono::seconds(3));  // past the start-up's work

    const pid_t server = desktop.server.Pid();
    const auto programBefore = benchutil::ThreadUses(program.Pid());
    const double serverBefore = benchutil::RunSeconds(server);
    std::this_thread::sleep_for(std::chrono::seconds(seconds));
    const benchutil::ThreadUse used =
        benchutil::UseBetween(programBefore, benchutil::ThreadUses(program.Pid()));
    const double programUsed = static_cast<double>(used.runNs) / 1e9;
    const double serverUsed = benchutil::RunSeconds(server) - serverBefore;
    const long switches = used.switches;

    state.counters["program_cpu_ms"] = programUsed * 1000.0;
    state.counters["program_cpu_percent"] = programUsed / seconds * 100.0;
    state.counters["program_wakeups_per_s"] = static_cast<double>(switches) / seconds;
    state.counters["xserver_cpu_ms_caused"] = (serverUsed - baseline) * 1000.0;
    state.counters["xserver_cpu_percent_caused"] = (serverUsed - baseline) / seconds * 100.0;
    state.counters["xserver_cpu_ms_without_program"] = baseline * 1000.0;

    Child exit = session.Program(Program(), {"exit"});
    exit.Wait(10000);
    program.Wait(10000);
  }
}
BENCHMARK(BM_IdleOnTheDesktop)
    ->ArgNames({"shown", "app_path"})
    ->Args({1, 0})
    ->Args({1, 1})
    ->Args({0, 0})
    ->Args({0, 1})
    ->Unit(benchmark::kSecond)
    ->Iterations(1);

}  // namespace
