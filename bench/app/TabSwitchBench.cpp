// A tab switch in the main window, in process on Qt's offscreen platform: from the tab button's
// command to the window repainted with the tab's pages, for each of the four tabs, and for the
// first switch of a window just made.
#include <benchmark/benchmark.h>
#include <stdlib.h>

#include <QApplication>

#include <chrono>
#include <memory>

#include "app/KavrinDireZerudDlg.h"
#include "platform/desktop/FakePointerSettings.h"
#include "platform/ui/MessageBox.h"
#include "sim/SimulatedHidBackend.h"
#include "tests/platform/sys/FileTestUtil.h"

namespace {

using Button = CKavrinDireZerudDlg::Button;

QApplication& Application() {
  static int argc = 1;
  static char name[] = "bench_app_tabs";
  static char* argv[] = {name, nullptr};
  static QApplication* app = [] {
    setenv("QT_QPA_PLATFORM", "offscreen", 1);
    return new QApplication(argc, argv);
  }();
  return *app;
}

// The main window with all its pages against the simulated mouse; settled, it has been shown
// and the event loop has run (the window made once for every run of BM_TabSwitch).
struct Window {
  explicit Window(bool settled = true) {
    Application();
    CKavrinDireZerudDlg::Options options;
    options.programFolder = KDZ_PROGRAM_DIR;
    options.backend = &backend;
    options.pointer = &pointer;
    options.instanceName = "kdz-bench-tabs";
    options.endProcess = [](int) {};
    window = std::make_unique<CKavrinDireZerudDlg>(options);
    window->Create();
    if (!settled) return;
    window->show();
    // The platform exposes the window in its event loop; until then a repaint paints nothing.
    for (int i = 0; i < 3; ++i) QApplication::processEvents();
  }
  testutil::TempDataFolder data;
  sim::SimulatedHidBackend backend;
  desktop::FakePointerSettings pointer;
  ui::ScopedMessageBoxHandler quiet{[](QWidget*, const QString&) {}};
  std::unique_ptr<CKavrinDireZerudDlg> window;
};

Window& Shared() {
  static Window* w = new Window;
  return *w;
}

// range(0): the tab (Light, Sensitivity, KeyDefine, Advance). Each iteration comes from another
// tab, so the switch hides one set of pages and shows another.
void BM_TabSwitch(benchmark::State& state) {
  CKavrinDireZerudDlg& w = *Shared().window;
  const Button tabs[] = {Button::Light, Button::Sensitivity, Button::KeyDefine, Button::Advance};
  const Button tab = tabs[state.range(0)];
  const Button from = tabs[(state.range(0) + 1) % 4];
  const auto send = [&w](Button b) {
    ui::SendMessage(&w, ui::WM_COMMAND, ui::MakeWParam(0, ui::BN_CLICKED),
                    ui::HandleOf(&w.ButtonOf(b)));
  };
  // The repaint must really paint: a window the platform has not exposed skips it.
  struct PaintCounter : QObject {
    int paints = 0;
    bool eventFilter(QObject*, QEvent* e) override {
      if (e->type() == QEvent::Paint) ++paints;
      return false;
    }
  } counter;
  w.installEventFilter(&counter);
  for (auto _ : state) {
    state.PauseTiming();
    send(from);
    w.repaint();
    state.ResumeTiming();
    send(tab);
    w.repaint();
  }
  w.removeEventFilter(&counter);
  if (counter.paints == 0) state.SkipWithError("nothing was painted");
  if (!w.ButtonOf(tab).GetCheckState()) state.SkipWithError("the tab was not shown");
}
BENCHMARK(BM_TabSwitch)
    ->ArgName("tab")
    ->DenseRange(0, 3)
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime();

// range(0): the tab (Light, Sensitivity, Advance). The first switch of a window just made,
// before the event loop has run: its pages are skinned by the switch itself, waiting for the
// images still being decoded ahead.
void BM_FirstTabSwitch(benchmark::State& state) {
  const Button tabs[] = {Button::Light, Button::Sensitivity, Button::KeyDefine, Button::Advance};
  const Button tab = tabs[state.range(0)];
  for (auto _ : state) {
    state.PauseTiming();
    auto made = std::make_unique<Window>(false);
    CKavrinDireZerudDlg& w = *made->window;
    state.ResumeTiming();
    ui::SendMessage(&w, ui::WM_COMMAND, ui::MakeWParam(0, ui::BN_CLICKED),
                    ui::HandleOf(&w.ButtonOf(tab)));
    w.repaint();
    state.PauseTiming();
    if (!w.ButtonOf(tab).GetCheckState()) state.SkipWithError("the tab was not shown");
    made.reset();
    state.ResumeTiming();
  }
}
BENCHMARK(BM_FirstTabSwitch)
    ->ArgName("tab")
    ->Arg(0)
    ->Arg(1)
    ->Arg(3)
    ->Unit(benchmark::kMillisecond)
    ->Iterations(10)
    ->UseRealTime();

}  // namespace
