// The keyboard hook's latency on an Xvfb of its own: from an XTest key sent to the X server to
// WM_HOOK_KEY handled by the window it was installed for (through HookDll and the built
// library, as the program uses it). Reports the median and the 99th percentile in µs.
#include <benchmark/benchmark.h>
#include <stdlib.h>

#include <QCoreApplication>
#include <QEventLoop>
#include <QObject>
#include <QTimer>

#include <algorithm>
#include <chrono>
#include <vector>

#include "pages/HookDll.h"
#include "platform/ui/WindowMessage.h"
#include "tests/hook/XKeyboard.h"
#include "tests/platform/desktop/XvfbServer.h"

namespace {

using Clock = std::chrono::steady_clock;

class Window : public QObject {
 public:
  int received = 0;
  bool event(QEvent* e) override {
    if (ui::WindowMessageEvent* m = ui::AsWindowMessage(e)) {
      if (m->Msg() == WM_HOOK_KEY) ++received;
      return true;
    }
    return QObject::event(e);
  }
};

double Percentile(std::vector<double> samples, double p) {
  std::sort(samples.begin(), samples.end());
  const size_t i = std::min(samples.size() - 1, static_cast<size_t>(p * samples.size()));
  return samples[i];
}

void BM_KeyToHookMessage(benchmark::State& state) {
  testutil::XvfbServer server;
  if (server.Display().empty()) {
    state.SkipWithError("no Xvfb");
    return;
  }
  ::setenv("DISPLAY", server.Display().c_str(), 1);
  ::unsetenv("WAYLAND_DISPLAY");
  static int argc = 1;
  static char name[] = "bench_hook_latency";
  static char* argv[] = {name, nullptr};
  static QCoreApplication app(argc, argv);

  hooktest::XKeyboard keys(server.Display());
  Window window;
  HookDll hook;
  if (keys.display() == nullptr || hook.installhook(&window) != 1) {
    state.SkipWithError("no XTest or no hook");
    return;
  }
  hook.SetHookStatus(1);
  QTimer wakeUp;  // lets a lost report end the run instead of waiting for ever
  wakeUp.start(500);

  std::vector<double> samples;
  bool down = true;
  for (auto _ : state) {
    const int before = window.received;
    const Clock::time_point start = Clock::now();
    XTestFakeKeyEvent(keys.display(), hooktest::kKeyA, down, CurrentTime);
    XFlush(keys.display());
    while (window.received == before && Clock::now() - start < std::chrono::seconds(2))
      QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
    const double us = std::chrono::duration<double, std::micro>(Clock::now() - start).count();
    if (window.received == before) {
      state.SkipWithError("a key was not reported");
      break;
    }
    state.SetIterationTime(us / 1e6);
    samples.push_back(us);
    down = !down;
  }
  if (!down) keys.Release(hooktest::kKeyA);
  hook.removehook();
  if (!samples.empty()) {
    state.counters["median_us"] = Percentile(samples, 0.5);
    state.counters["p99_us"] = Percentile(samples, 0.99);
  }
}
BENCHMARK(BM_KeyToHookMessage)->UseManualTime()->Iterations(4000)->Unit(benchmark::kMicrosecond);

}  // namespace
