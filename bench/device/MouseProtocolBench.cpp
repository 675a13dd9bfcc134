#include <benchmark/benchmark.h>

#include <array>
#include <cstdint>
#include <string>

#include "device/KavrinUSBComm.h"
#include "sim/SimulatedHidBackend.h"

namespace {

// Commands against the simulated mouse with no USB latency: what is measured is the protocol's
// own cost, the write and the hand-off of the reply from the reader thread to the sender.
bool OpenSimulatedMouse(device::CKavrinUSBComm& comm, benchmark::State& state) {
  std::string path;
  if (!comm.FindMouseDevice(path) || comm.Open(path, nullptr) != 0) {
    state.SkipWithError("the simulated mouse did not open");
    return false;
  }
  return true;
}

void BM_CommandRoundTrip(benchmark::State& state) {
  sim::SimulatedHidBackend backend;
  device::CKavrinUSBComm comm(&backend);
  if (!OpenSimulatedMouse(comm, state)) return;
  for (auto _ : state) {
    if (comm.GetModeInfo() != 1) {
      state.SkipWithError("a command failed");
      break;
    }
  }
}
BENCHMARK(BM_CommandRoundTrip)->UseRealTime()->Unit(benchmark::kMicrosecond);

void BM_ReadFlashBlock(benchmark::State& state) {
  sim::SimulatedHidBackend backend;
  device::CKavrinUSBComm comm(&backend);
  if (!OpenSimulatedMouse(comm, state)) return;
  if (comm.SetMcuMode(1) != 1) {
    state.SkipWithError("no test mode");
    return;
  }
  std::array<uint8_t, 256> block{};
  for (auto _ : state) {
    if (comm.ReadFlash(0, 0, block.size(), block.data()) != 1) {
      state.SkipWithError("a flash read failed");
      break;
    }
    benchmark::DoNotOptimize(block);
  }
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) * block.size());
}
BENCHMARK(BM_ReadFlashBlock)->UseRealTime()->Unit(benchmark::kMicrosecond);

}  // namespace
