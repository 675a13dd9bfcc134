// The program in the tray of trayer on an Xvfb of its own, with the simulated mouse driven
// through its control pipe: processor time while it idles in the tray with its 300 ms timer,
// the time from a right press on the icon to the menu painted on the screen, and the time from
// the mouse's key-status report (a held scroll button) to the first wheel event at a client
// window under the pointer.
#include <benchmark/benchmark.h>

#include <poll.h>

#include "settings/FunctionCodes.h"
#include "bench/app/DefaultFiles.h"
#include "bench/app/ProcessTimes.h"
#include "tests/app/DesktopUnderX.h"

namespace {

using apptest::Child;
using apptest::Clock;
using apptest::Desk;
using apptest::DesktopSession;
using apptest::WaitFor;

const QRgb kStrip = qRgb(0xDB, 0xD8, 0xD1);

// Every mode scrolls right by one step on button 6.
void WriteScrollDefaults(const DesktopSession& session) {
  benchutil::WriteDefaults(session.Folder() + "/data", [](int, settings::tagMODEINFO& record) {
    record.keys[6].major = settings::MAJOR_FUN_SCROLL_RIGHT;
    record.horizontalScrollAmount = 1;
  });
}

// The program started hidden into trayer's tray.
struct InTray {
  explicit InTray(const std::string& display) : desk(display), session(display) {
    if (!desk.Connected() || !session.Ok()) {
      problem = "no X connection or folder";
      return;
    }
    WriteScrollDefaults(session);
    trayer = session.Tool("/usr/bin/trayer", {"--edge", "bottom", "--align", "right"});
    if (!trayer) {
      problem = "trayer is not installed";
      return;
    }
    if (!WaitFor([&] { return desk.SelectionOwned("_NET_SYSTEM_TRAY_S0"); }, 10000)) {
      problem = "trayer did not start";
      return;
    }
    program = session.Program(KDZ_PROGRAM, {"/s"});
    if (!WaitFor([&] { return (icon = desk.TrayIconOf(program.Pid())).has_value(); }, 20000)) {
      problem = "no icon in the tray";
      return;
    }
  }
  ~InTray() {
    Child exit = session.Program(KDZ_PROGRAM, {"exit"});
    exit.Wait(10000);
    program.Wait(10000);
  }
  Desk desk;
  DesktopSession session;
  std::optional<Child> trayer;
  Child program;
  std::optional<Desk::Found> icon;
  std::string problem;
};

apptest::Xvfb& Server() {
  static apptest::Xvfb* server = new apptest::Xvfb(1024, 768);
  return *server;
}

void BM_IdleInTray(benchmark::State& state) {
  if (!Server().Problem().empty()) return state.SkipWithError(Server().Problem().c_str());
  for (auto _ : state) {
    InTray tray(Server().Display());
    if (!tray.problem.empty()) return state.SkipWithError(tray.problem.c_str());
    std::this_thread::sleep_for(std::chrono::seconds(2));  // settled
    const double before = benchutil::CpuSeconds(tray.program.Pid());
    std::this_thread::sleep_for(std::chrono::seconds(10));
    const double used = benchutil::CpuSeconds(tray.program.Pid()) - before;
    state.counters["cpu_ms_in_10s"] = used * 1000.0;
    state.counters["cpu_percent"] = used / 10.0 * 100.0;
  }
}
BENCHMARK(BM_IdleInTray)->Unit(benchmark::kSecond)->Iterations(1);

void BM_RightPressToMenuPainted(benchmark::State& state) {
  if (!Server().Problem().empty()) return state.SkipWithError(Server().Problem().c_str());
  InTray tray(Server().Display());
  if (!tray.problem.empty()) return state.SkipWithError(tray.problem.c_str());
  apptest::XClient x(Server().Display());
  const QPoint at = tray.icon->geometry.center();
  tray.desk.MoveTo(at);
  for (auto _ : state) {
    const auto start = Clock::now();
    tray.desk.Button(3, true);
    tray.desk.Button(3, false);
    std::optional<Desk::Found> menu;
    const bool painted = WaitFor(
        [&] {
          if (!menu) menu = tray.desk.MenuOf(tray.program.Pid());
          if (!menu) return false;
          const QImage pixel = x.Capture(QRect(menu->geometry.topLeft() + QPoint(3, 2), QSize(1, 1)));
          return !pixel.isNull() && pixel.pixel(0, 0) == kStrip;
        },
        5000, 0);
    state.SetIterationTime(std::chrono::duration<double>(Clock::now() - start).count());
    if (!painted) return state.SkipWithError("the menu was not painted");
    tray.desk.Click(QPoint(10, 10));  // outside: closes it
    WaitFor([&] { return !tray.desk.MenuOf(tray.program.Pid()).has_value(); }, 5000);
    tray.desk.MoveTo(at);
  }
}
BENCHMARK(BM_RightPressToMenuPainted)
    ->UseManualTime()
    ->Unit(benchmark::kMillisecond)
    ->Iterations(20);

// A plain window of the benchmark's own that reports its button presses.
class ClientWindow {
 public:
  explicit ClientWindow(const std::string& display) : d_(XOpenDisplay(display.c_str())) {
    if (!d_) return;
    w_ = XCreateSimpleWindow(d_, DefaultRootWindow(d_), 100, 100, 400, 300, 0, 0, 0x00406080);
    XSelectInput(d_, w_, ButtonPressMask | ExposureMask);
    XMapRaised(d_, w_);
    XSync(d_, False);
  }
  ~ClientWindow() {
    if (d_) XCloseDisplay(d_);
  }
  bool Ok() const { return d_ != nullptr; }
  // Waits for a press of `button`; false after `timeoutMs`.
  bool WaitButton(unsigned button, int timeoutMs) {
    const auto deadline = Clock::now() + std::chrono::milliseconds(timeoutMs);
    for (;;) {
      while (XPending(d_)) {
        XEvent e;
        XNextEvent(d_, &e);
        if (e.type == ButtonPress && e.xbutton.button == button) return true;
      }
      const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now());
      if (left.count() <= 0) return false;
      pollfd p{ConnectionNumber(d_), POLLIN, 0};
      ::poll(&p, 1, static_cast<int>(left.count()));
    }
  }
  void Drain() {
    XSync(d_, False);
    while (XPending(d_)) {
      XEvent e;
      XNextEvent(d_, &e);
    }
  }

 private:
  ::Display* d_;
  Window w_ = 0;
};

void BM_KeyStatusToWheelEvent(benchmark::State& state) {
  if (!Server().Problem().empty()) return state.SkipWithError(Server().Problem().c_str());
  InTray tray(Server().Display());
  if (!tray.problem.empty()) return state.SkipWithError(tray.problem.c_str());
  ClientWindow client(Server().Display());
  if (!client.Ok()) return state.SkipWithError("no client window");
  tray.desk.MoveTo(QPoint(300, 250));
  if (!tray.session.Control("keys 0")) return state.SkipWithError("no control pipe");
  for (auto _ : state) {
    client.Drain();
    const auto start = Clock::now();
    tray.session.Control("keys 0x40");
    const bool arrived = client.WaitButton(7, 5000);
    state.SetIterationTime(std::chrono::duration<double>(Clock::now() - start).count());
    tray.session.Control("keys 0");
    if (!arrived) return state.SkipWithError("no wheel event at the client");
    std::this_thread::sleep_for(std::chrono::milliseconds(400));  // past the timer's repeat
  }
}
BENCHMARK(BM_KeyStatusToWheelEvent)
    ->UseManualTime()
    ->Unit(benchmark::kMillisecond)
    ->Iterations(20);

}  // namespace
