// Recording latency of the macro manager on an Xvfb of its own: from an XTest key event (sent
// and flushed) to its row in the event list, through the hook library of the program folder and
// the dialog's recorder. Reports the median and the 95th percentile in milliseconds.
#include <benchmark/benchmark.h>
#include <stdlib.h>

#include <QApplication>
#include <QEventLoop>
#include <QTimer>

#include <algorithm>
#include <chrono>
#include <memory>
#include <vector>

#include "pages/MacroDialog.h"
#include "resources/MenuTextTable.h"
// After Qt's headers: Xlib's macros would meet Qt's names.
#include "tests/hook/XKeyboard.h"

namespace {

using Clock = std::chrono::steady_clock;

double Percentile(std::vector<double> samples, double p) {
  std::sort(samples.begin(), samples.end());
  const size_t i = std::min(samples.size() - 1, static_cast<size_t>(p * samples.size()));
  return samples[i];
}

void BM_RecordingLatency(benchmark::State& state) {
  // One server and one application for every run (the application stays on its display).
  static testutil::XvfbServer server("1024x768x24");
  if (server.Display().empty()) {
    state.SkipWithError("no Xvfb");
    return;
  }
  setenv("DISPLAY", server.Display().c_str(), 1);
  setenv("QT_QPA_PLATFORM", "xcb", 1);
  unsetenv("WAYLAND_DISPLAY");
  static int argc = 1;
  static char name[] = "bench_macro_recording_x11";
  static char* argv[] = {name, nullptr};
  static QApplication app(argc, argv);

  const QString folder = QStringLiteral(KDZ_PROGRAM_DIR);
  LoadMenuTexts((folder + QStringLiteral("/Language.xml")).toStdU16String());
  CINIFile skin;
  skin.SetFile((folder + QStringLiteral("/Setup.ini")).toStdU16String());
  auto store = std::make_unique<settings::MacroStore>();
  store->macroStore.count = 1;
  settings::SetFieldText(store->macroStore.macros[0].name, u"bench");
  store->macroStore.macros[0].loopCount = 1;
  static settings::tagMODEINFO modes[settings::MODE_AREA_COUNT] = {};
  CMacroDialog dialog(skin, folder, QStringLiteral("MacroManagerDialog"), *store, 0, nullptr,
                      modes);
  dialog.Create();
  hooktest::XKeyboard keys(server.Display());
  if (keys.display() == nullptr || !dialog.HookReady()) {
    state.SkipWithError("no XTest or no hook");
    return;
  }
  QTimer wakeUp;  // lets a lost report end the run instead of waiting for ever
  wakeUp.start(500);
  const auto startRecording = [&] {
    ui::SendMessage(&dialog, ui::WM_COMMAND, 0, ui::HandleOf(&dialog.StartRecordButton()));
  };
  startRecording();

  std::vector<double> samples;
  bool down = true;
  for (auto _ : state) {
    // A macro holds 50 events: start again (which empties the list) before it is full.
    if (dialog.EventList().GetCount() >= settings::MAX_MACRO_EVENTS - 2 && down) {
      ui::SendMessage(&dialog, ui::WM_COMMAND, 0, ui::HandleOf(&dialog.StopRecordButton()));
      startRecording();
    }
    const int before = dialog.EventList().GetCount();
    const Clock::time_point start = Clock::now();
    XTestFakeKeyEvent(keys.display(), hooktest::kKeyA, down, CurrentTime);
    XFlush(keys.display());
    while (dialog.EventList().GetCount() == before &&
           Clock::now() - start < std::chrono::seconds(2))
      QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
    const double ms = std::chrono::duration<double, std::milli>(Clock::now() - start).count();
    if (dialog.EventList().GetCount() == before) {
      state.SkipWithError("a key was not recorded");
      break;
    }
    state.SetIterationTime(ms / 1e3);
    samples.push_back(ms);
    down = !down;
  }
  if (!down) keys.Release(hooktest::kKeyA);
  ui::SendMessage(&dialog, ui::WM_COMMAND, 0, ui::HandleOf(&dialog.StopRecordButton()));
  if (!samples.empty()) {
    state.counters["median_ms"] = Percentile(samples, 0.5);
    state.counters["p95_ms"] = Percentile(samples, 0.95);
  }
}
BENCHMARK(BM_RecordingLatency)->UseManualTime()->Iterations(400)->Unit(benchmark::kMillisecond);

}  // namespace
