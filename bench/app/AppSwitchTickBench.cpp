// One tick of the main window's 300 ms timer with the mouse open and no button held: the
// lookup of the foreground application and the matching against the four modes' paths. Once
// with a fixed foreground path (the matching alone) and once with the real lookup on an Xvfb of
// its own under openbox, with a window of this process active, and what it costs the server.
#include <benchmark/benchmark.h>
#include <stdlib.h>

#include <cstring>
#include <memory>

#include "app/DeviceEvents.h"
#include "bench/app/ProcessTimes.h"
#include "platform/desktop/FakeForegroundApplication.h"
#include "platform/desktop/FakeProgramLauncher.h"
#include "platform/desktop/FakeWheelInjector.h"
#include "sim/SimulatedHidBackend.h"
// Last: it brings Xlib, whose macros meet names of the headers above.
#include "tests/app/DesktopUnderX.h"

namespace {

class NoWindow : public sys::MessageWindow {
 public:
  void PostMessage(uint32_t, sys::WPARAM, sys::LPARAM) override {}
  sys::LRESULT SendMessage(uint32_t, sys::WPARAM, sys::LPARAM) override { return 0; }
};

// The main window's pieces around DeviceEvents, with the mouse open and no path matching.
struct Tick {
  explicit Tick(desktop::ForegroundApplication& foreground)
      : settingsModel(std::make_unique<settings::DeviceSettings>()),
        comm(&backend, 1000),
        sync(*settingsModel, comm),
        actions(CMouseFunction(launcher, wheel), [] {}),
        events(*settingsModel, comm, sync, foreground, actions, {&window, [] {}, [] {}}) {
    settingsModel->ResetAllModesToDefaults();
    const char16_t* paths[4] = {u"gimp-2.10", u"inkscape", u"blender", u"libreoffice"};
    for (int m = 0; m < 4; ++m) settings::SetFieldText(settingsModel->AppliedModes[m].appPath, paths[m]);
    sync.OpenDevice(&window);
  }
  ~Tick() { comm.Close(); }

  sim::SimulatedHidBackend backend;
  std::unique_ptr<settings::DeviceSettings> settingsModel;
  device::CKavrinUSBComm comm;
  settings::DeviceSync sync;
  NoWindow window;
  desktop::FakeWheelInjector wheel;
  desktop::FakeProgramLauncher launcher;
  PcButtonActions actions;
  DeviceEvents events;
};

void BM_TickMatchingOnly(benchmark::State& state) {
  desktop::FakeForegroundApplication foreground;
  foreground.imagePath = u"/usr/lib/firefox-esr/firefox-esr";
  Tick tick(foreground);
  if (!tick.comm.IsOpen()) return state.SkipWithError("the simulated mouse did not open");
  for (auto _ : state) tick.events.OnAppSwitchTimer();
}
BENCHMARK(BM_TickMatchingOnly)->Unit(benchmark::kMicrosecond);

void BM_TickWithX11Lookup(benchmark::State& state) {
  static apptest::Xvfb* server = new apptest::Xvfb(640, 480);
  if (!server->Problem().empty()) return state.SkipWithError(server->Problem().c_str());
  if (::access("/usr/bin/openbox", X_OK) != 0) return state.SkipWithError("no openbox");
  setenv("DISPLAY", server->Display().c_str(), 1);
  unsetenv("WAYLAND_DISPLAY");
  apptest::Child wm("/usr/bin/openbox", {"--sm-disable"}, {}, "/dev/null");
  apptest::Desk desk(server->Display());
  ::Display* d = XOpenDisplay(nullptr);
  if (!d || !desk.Connected()) return state.SkipWithError("no X connection");
  // The window manager first: it activates the windows mapped after it runs.
  apptest::WaitFor([&] { return desk.RootHas("_NET_SUPPORTING_WM_CHECK"); }, 10000);
  const Window w = XCreateSimpleWindow(d, DefaultRootWindow(d), 10, 10, 200, 200, 0, 0, 0);
  const long pid = getpid();
  XChangeProperty(d, w, XInternAtom(d, "_NET_WM_PID", False), XA_CARDINAL, 32, PropModeReplace,
                  reinterpret_cast<const unsigned char*>(&pid), 1);
  XMapWindow(d, w);
  XSync(d, False);
  std::unique_ptr<desktop::ForegroundApplication> foreground =
      desktop::CreateForegroundApplication();
  // Asked for as a pager does, until the window manager has taken the window on.
  apptest::WaitFor(
      [&] {
        if (foreground->ForegroundProcessId() == pid) return true;
        desk.Activate(w);
        return false;
      },
      5000, 100);
  if (foreground->ForegroundProcessId() != pid) {
    XCloseDisplay(d);
    return state.SkipWithError("the window did not become active");
  }
  {
    Tick tick(*foreground);
    const double serverBefore = benchutil::RunSeconds(server->Pid());
    for (auto _ : state) tick.events.OnAppSwitchTimer();
    const double serverUsed = benchutil::RunSeconds(server->Pid()) - serverBefore;
    // What the ticks cost the X server (nothing while the active window stays).
    state.counters["xserver_us_per_tick"] =
        serverUsed * 1e6 / static_cast<double>(state.iterations());
  }
  XCloseDisplay(d);
}
BENCHMARK(BM_TickWithX11Lookup)->Unit(benchmark::kMicrosecond);

}  // namespace
