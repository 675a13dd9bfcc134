// Writing a whole changed memory image to the simulated mouse, whose reports take a fixed
// latency each way, against the least time the protocol allows: one round trip per command, so
// (commands) x (latency out + latency back).
#include <benchmark/benchmark.h>
#include <sys/prctl.h>

#include <chrono>
#include <cstring>
#include <memory>

#include "bench/settings/LatencyBackend.h"
#include "device/KavrinUSBComm.h"
#include "settings/DeviceSettings.h"
#include "settings/DeviceSync.h"
#include "sim/SimulatedHidBackend.h"

namespace {

using bench::Clock;
using bench::LatencyBackend;

void FillImage(settings::tagE2IMAGE& image, uint8_t seed) {
  auto* bytes = reinterpret_cast<uint8_t*>(&image);
  for (size_t i = 0; i < sizeof image; ++i) bytes[i] = static_cast<uint8_t>(seed + i * 13);
}

void BM_WriteWholeChangedImage(benchmark::State& state) {
  const auto latencyMs = static_cast<uint32_t>(state.range(0));
  // Sleeps of this thread and of the threads it starts (the mouse's delivery thread, the
  // reader) end within microseconds of their deadline instead of the default 50 us slack.
  prctl(PR_SET_TIMERSLACK, 1UL, 0UL, 0UL, 0UL);

  sim::SimulatedHidBackend simulated;
  LatencyBackend backend(simulated, latencyMs);
  device::CKavrinUSBComm comm(&backend);
  auto settings = std::make_unique<settings::DeviceSettings>();
  settings::DeviceSync sync(*settings, comm);
  if (sync.OpenDevice(nullptr) != 1) {
    state.SkipWithError("the simulated mouse did not open");
    return;
  }
  settings::tagE2IMAGE images[2];
  FillImage(images[0], 1);
  FillImage(images[1], 2);  // differs from images[0] in every block

  double seconds = 0;
  size_t commands = 0;
  int which = 0;
  for (auto _ : state) {
    simulated.Mouse().ClearCommandLog();
    const settings::tagE2IMAGE& image = images[which];
    which ^= 1;
    const auto start = Clock::now();
    const int result = sync.WriteDeviceFlash(image.configBlock, image.macroArea);
    seconds += std::chrono::duration<double>(Clock::now() - start).count();
    if (result != 1) {
      state.SkipWithError("the write failed");
      return;
    }
    commands += simulated.Mouse().CommandLog().size();
  }
  bench::ReportAgainstMinimum(state, commands, seconds, latencyMs);
}

// The latency model alone (bench::LatencyModelRatio) over the round trips of a whole changed
// image; BM_WriteWholeChangedImage's ratio over this one is the program's own share.
void BM_LatencyModelAlone(benchmark::State& state) {
  constexpr size_t kRoundTrips = 776;  // as measured for a whole changed image
  prctl(PR_SET_TIMERSLACK, 1UL, 0UL, 0UL, 0UL);
  double ratio = 0;
  for (auto _ : state) ratio += bench::LatencyModelRatio(static_cast<uint32_t>(state.range(0)), kRoundTrips);
  state.counters["ratio"] = ratio / static_cast<double>(state.iterations());
}

BENCHMARK(BM_LatencyModelAlone)->Arg(1)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(5);

BENCHMARK(BM_WriteWholeChangedImage)
    ->Arg(0)
    ->Arg(1)
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime()
    ->Iterations(5);

}  // namespace
