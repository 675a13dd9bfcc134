// A whole Apply against the simulated mouse, whose reports take a fixed latency each way,
// against the least time the protocol allows: one round trip per command, so
// (commands) x (latency out + latency back). The progress display's own 300 ms after the end
// is the user interface's and is not counted.
#include <benchmark/benchmark.h>
#include <stdlib.h>
#include <sys/prctl.h>

#include <chrono>
#include <cstring>
#include <filesystem>
#include <functional>
#include <memory>
#include <string>
#include <thread>

#include "bench/settings/LatencyBackend.h"
#include "device/KavrinUSBComm.h"
#include "platform/desktop/FakePointerSettings.h"
#include "platform/sys/DataFolder.h"
#include "tests/platform/sys/FileTestUtil.h"
#include "settings/Apply.h"
#include "settings/FunctionCodes.h"
#include "settings/MacroCompiler.h"
#include "sim/SimulatedHidBackend.h"

namespace {

using bench::Clock;
using namespace settings;

// The main window, reduced to what Apply asks of it: the device work on a thread of its own.
class QuietView : public ApplyView {
 public:
  void EnableButton(ApplyButton, bool) override {}
  ScreenRect ProgressRect() override { return {}; }
  bool StartProgress(const ScreenRect&) override { return true; }
  void RunDeviceWork(const std::function<void()>& work) override { std::thread(work).join(); }
  void ProgressDone() override {}
  void WaitForProgress() override {}
  void ShowMessage(std::u16string_view) override { ++messages; }
  void BringToFront() override {}
  int messages = 0;
};

using testutil::TempDataFolder;  // the default files go to a folder of the run's own

// Two sets of records that differ in every mode's device bytes and in a macro of mode 4, so
// that each Apply rewrites the macro block and the configuration block.
void Vary(DeviceSettings& s, MacroStore& macros, int which) {
  for (int m = 0; m < MODE_COUNT; ++m) {
    s.EditingModes[m].light.red = static_cast<uint8_t>(which * 50 + m);
    s.EditingModes[m].dpiLevel = static_cast<uint8_t>((m + which) % 4);
    s.EditingModes[m].reportRateIndex = static_cast<uint8_t>((m + which) % 4);
  }
  tagMACROINFO& macro = macros.macroStore.macros[0];
  std::memset(&macro, 0, sizeof macro);
  const int presses = 10 + 10 * which;
  for (int i = 0; i < presses; ++i) {
    macro.events[2 * i] = tagMACROEVENT{0x41, MACRO_KEY_DOWN, {0, 0}, 0};
    macro.events[2 * i + 1] = tagMACROEVENT{0x41, MACRO_KEY_UP, {0, 0}, 0};
  }
  macro.eventCount = static_cast<uint32_t>(2 * presses);
  macro.loopCount = 1;
  macros.macroStore.count = 1;
  tagKEYDEFINEINFO& key = s.EditingModes[3].keys[4];
  key.major = MAJOR_FUN_MACRO;
  key.minor = MINOR_FUN_FIRST_MACRO;
  s.SetCurrentMode(which % 4);
}

// The simulated mouse behind a latency, opened, and an Apply over it; `prepare` sets the records
// and the store before the first Apply and, with the set to use, before each measured one
// (null: the same records again). Reports the time against the protocol's minimum.
void MeasureApply(benchmark::State& state, uint32_t latencyMs,
                  const std::function<void(DeviceSettings&, MacroStore&, int)>& first,
                  const std::function<void(DeviceSettings&, MacroStore&, int)>& each) {
  // Sleeps of this thread and of the threads it starts end within microseconds of their
  // deadline instead of the default 50 us slack.
  prctl(PR_SET_TIMERSLACK, 1UL, 0UL, 0UL, 0UL);

  TempDataFolder data;
  sim::SimulatedHidBackend simulated;
  bench::LatencyBackend backend(simulated, latencyMs);
  device::CKavrinUSBComm comm(&backend);
  auto settings = std::make_unique<DeviceSettings>();
  settings->ResetAllModesToDefaults();
  auto macros = std::make_unique<MacroStore>();
  DeviceSync sync(*settings, comm);
  desktop::FakePointerSettings pointer;
  QuietView view;
  ApplyRunner runner(*settings, sync, comm, macros.get(), pointer, view);
  if (sync.OpenDevice(nullptr) != 1) {
    state.SkipWithError("the simulated mouse did not open");
    return;
  }
  first(*settings, *macros, 0);
  runner.ApplySettings();  // the mouse starts from the first set

  double seconds = 0;
  size_t commands = 0;
  int which = 0;
  for (auto _ : state) {
    if (each) {
      which ^= 1;
      each(*settings, *macros, which);
    }
    simulated.Mouse().ClearCommandLog();
    const auto start = Clock::now();
    runner.ApplySettings();
    seconds += std::chrono::duration<double>(Clock::now() - start).count();
    if (view.messages != 0) {
      state.SkipWithError("the Apply failed");
      return;
    }
    commands += simulated.Mouse().CommandLog().size();
  }
  bench::ReportAgainstMinimum(state, commands, seconds, latencyMs);
}

// range(0): latency per report each way in ms; range(1): 1 when every Apply changes the
// records, 0 when the same records are applied again (the flash is then only read).
void BM_WholeApply(benchmark::State& state) {
  const bool changing = state.range(1) != 0;
  MeasureApply(state, static_cast<uint32_t>(state.range(0)), Vary,
               changing ? std::function<void(DeviceSettings&, MacroStore&, int)>(Vary) : nullptr);
}

BENCHMARK(BM_WholeApply)
    ->Args({0, 1})
    ->Args({1, 1})
    ->Args({1, 0})
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime()
    ->Iterations(5);

// A full store: 40 macros of 50 events (25 key presses), alternating between two key sets so
// that each Apply rewrites the macro area, and the mode bytes varied as above.
void FillStore(DeviceSettings& s, MacroStore& macros, int which) {
  macros.macroStore.count = MAX_MACRO_COUNT;
  for (int k = 0; k < MAX_MACRO_COUNT; ++k) {
    tagMACROINFO& macro = macros.macroStore.macros[k];
    std::memset(&macro, 0, sizeof macro);
    const auto key = static_cast<uint8_t>(0x41 + (k + which) % 26);
    for (int i = 0; i < MAX_MACRO_EVENTS / 2; ++i) {
      macro.events[2 * i] = tagMACROEVENT{key, MACRO_KEY_DOWN, {0, 0}, 0};
      macro.events[2 * i + 1] = tagMACROEVENT{key, MACRO_KEY_UP, {0, 0}, 0};
    }
    macro.eventCount = MAX_MACRO_EVENTS;
    macro.loopCount = 1;
  }
  for (int m = 0; m < MODE_COUNT; ++m) {
    s.EditingModes[m].light.red = static_cast<uint8_t>(which * 50 + m);
  }
  s.SetCurrentMode(which % 4);
}

// Gives buttons 1 to 9 of the four modes macros 0, 1, ... for as long as the macro area holds
// them; the number of macro buttons.
int AssignMacroButtons(DeviceSettings& s, const MacroStore& macros) {
  auto scratch = std::make_unique<tagE2IMAGE>();
  int used = 0;
  for (int m = 0; m < MODE_COUNT; ++m) {
    for (int k = 1; k < KEY_COUNT && used < MAX_MACRO_COUNT; ++k) {
      tagKEYDEFINEINFO& key = s.EditingModes[m].keys[k];
      const tagKEYDEFINEINFO before = key;
      key.major = MAJOR_FUN_MACRO;
      key.minor = static_cast<uint8_t>(MINOR_FUN_FIRST_MACRO + used);
      key.macroIndex = static_cast<uint8_t>(used);
      std::memset(scratch->macroArea.bytes, 0xFF, sizeof scratch->macroArea.bytes);
      if (!CompileMacros(s.EditingModes, scratch->configBlock, scratch->macroArea, macros)) {
        key = before;
        return used;
      }
      ++used;
    }
  }
  return used;
}

// range(0): latency per report each way in ms. Every Apply changes the records and the macros.
void BM_FullStoreApply(benchmark::State& state) {
  int buttons = 0;
  MeasureApply(
      state, static_cast<uint32_t>(state.range(0)),
      [&buttons](DeviceSettings& s, MacroStore& macros, int which) {
        FillStore(s, macros, which);
        buttons = AssignMacroButtons(s, macros);
      },
      FillStore);
  state.counters["macro_buttons"] = buttons;
}

BENCHMARK(BM_FullStoreApply)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(5);

}  // namespace
