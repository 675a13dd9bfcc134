// A whole Apply through the main window (a click on Apply until the window is brought forward
// again) against the simulated mouse with a fixed latency per report each way, on Qt's
// offscreen platform. It includes what the user waits for besides the mouse: the worker
// thread, the progress display and its 300 ms at 100 % after the end. The protocol's minimum is
// one round trip per command; the ratio is taken without the display's final 300 ms.
#include <benchmark/benchmark.h>
#include <stdlib.h>
#include <sys/prctl.h>

#include <QApplication>

#include <filesystem>
#include <memory>

#include "app/KavrinDireZerudDlg.h"
#include "bench/settings/LatencyBackend.h"
#include "platform/desktop/FakePointerSettings.h"
#include "platform/sys/DataFolder.h"
#include "tests/platform/sys/FileTestUtil.h"
#include "platform/ui/MessageBox.h"
#include "settings/ApplyProgressPacer.h"

namespace {

QApplication& Application() {
  static int argc = 1;
  static char name[] = "bench_app_apply";
  static char* argv[] = {name, nullptr};
  static QApplication* app = [] {
    setenv("QT_QPA_PLATFORM", "offscreen", 1);
    return new QApplication(argc, argv);
  }();
  return *app;
}

using testutil::TempDataFolder;  // the default files go to a folder of the run's own

// Two sets of records that differ in every mode's device bytes, so that each Apply rewrites the
// configuration block and sends new levels and rates.
void Vary(settings::DeviceSettings& s, int which) {
  for (int m = 0; m < settings::MODE_COUNT; ++m) {
    s.EditingModes[m].light.red = static_cast<uint8_t>(which * 50 + m);
    s.EditingModes[m].dpiLevel = static_cast<uint8_t>((m + which) % 4);
    s.EditingModes[m].reportRateIndex = static_cast<uint8_t>((m + which) % 4);
  }
}

// range(0): latency per report each way in ms.
void BM_ApplyThroughTheMainWindow(benchmark::State& state) {
  Application();
  const auto latencyMs = static_cast<uint32_t>(state.range(0));
  prctl(PR_SET_TIMERSLACK, 1UL, 0UL, 0UL, 0UL);
  TempDataFolder data;
  sim::SimulatedHidBackend simulated;
  bench::LatencyBackend backend(simulated, latencyMs);
  desktop::FakePointerSettings pointer;
  int boxes = 0;
  ui::ScopedMessageBoxHandler quiet([&](QWidget*, const QString&) { ++boxes; });

  CKavrinDireZerudDlg::Options options;
  options.programFolder = KDZ_PROGRAM_DIR;
  options.backend = &backend;
  options.pointer = &pointer;
  options.instanceName = "kdz-bench";
  options.endProcess = [](int) {};
  uint32_t tick = 0;
  options.applyTick = [&tick] { return tick; };  // every click counts: far apart
  auto window = std::make_unique<CKavrinDireZerudDlg>(options);
  window->Create();
  if (!window->Device().IsOpen()) return state.SkipWithError("the simulated mouse did not open");
  CBitmapBtn& apply = window->ButtonOf(CKavrinDireZerudDlg::Button::Apply);
  // The first Apply of a process also loads the fonts and makes the progress display's first
  // window; it is reported on its own, and the mouse then holds the first set of records.
  Vary(window->Settings(), 0);
  tick += 1000;
  const auto firstStart = bench::Clock::now();
  apply.click();
  state.counters["first_apply_ms"] =
      std::chrono::duration<double, std::milli>(bench::Clock::now() - firstStart).count();

  double seconds = 0;
  size_t commands = 0;
  int which = 0;
  for (auto _ : state) {
    which ^= 1;
    Vary(window->Settings(), which);
    tick += 1000;
    simulated.Mouse().ClearCommandLog();
    const auto start = bench::Clock::now();
    apply.click();
    seconds += std::chrono::duration<double>(bench::Clock::now() - start).count();
    commands += simulated.Mouse().CommandLog().size();
    if (boxes != 0) return state.SkipWithError("the Apply failed");
  }
  const double iterations = static_cast<double>(state.iterations());
  const double roundTrips = static_cast<double>(commands) / iterations;
  const double perApply = seconds / iterations;
  const double hold = settings::ApplyProgressPacer::kFinalHoldMs / 1000.0;
  state.counters["round_trips"] = roundTrips;
  state.counters["display_hold_ms"] = hold * 1000.0;
  if (latencyMs > 0) {
    const double minimum = roundTrips * 2.0 * latencyMs / 1000.0;
    state.counters["minimum_ms"] = minimum * 1000.0;
    state.counters["ratio_without_hold"] = (perApply - hold) / minimum;
    state.counters["model_ratio"] =
        bench::LatencyModelRatio(latencyMs, static_cast<size_t>(roundTrips + 0.5));
  }
}

BENCHMARK(BM_ApplyThroughTheMainWindow)
    ->Arg(0)
    ->Arg(1)
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime()
    ->Iterations(5);

}  // namespace
