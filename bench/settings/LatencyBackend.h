#pragma once

#include <chrono>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include <benchmark/benchmark.h>

#include "platform/hid/HidBackend.h"
#include "sim/SimulatedHidBackend.h"

// The simulated mouse behind a link with a fixed latency each way.
namespace bench {

using Clock = std::chrono::steady_clock;

// Delays every output report by the link's latency before the mouse sees it (the simulated mouse
// itself delays only its input reports).
class DelayedWrites : public hid::HidDevice {
 public:
  DelayedWrites(std::unique_ptr<hid::HidDevice> inner, uint32_t latencyMs)
      : inner_(std::move(inner)), latency_(latencyMs) {}
  int Read(uint8_t* buffer, size_t length, size_t* transferred, uint32_t timeoutMs) override {
    return inner_->Read(buffer, length, transferred, timeoutMs);
  }
  int Write(const uint8_t* data, size_t length, size_t* transferred, uint32_t timeoutMs) override {
    if (latency_.count() > 0) std::this_thread::sleep_until(Clock::now() + latency_);
    return inner_->Write(data, length, transferred, timeoutMs);
  }
  void Cancel() override { inner_->Cancel(); }

 private:
  std::unique_ptr<hid::HidDevice> inner_;
  std::chrono::milliseconds latency_;
};

class LatencyBackend : public hid::HidBackend {
 public:
  LatencyBackend(sim::SimulatedHidBackend& inner, uint32_t latencyMs)
      : inner_(inner), latencyMs_(latencyMs) {
    inner_.Mouse().SetLatency(latencyMs);
  }
  int Enumerate(std::vector<std::string>& paths) override { return inner_.Enumerate(paths); }
  int Describe(const std::string& path, hid::HidInterfaceDescription& out) override {
    return inner_.Describe(path, out);
  }
  int Open(const std::string& path, hid::HidAccess access,
           std::unique_ptr<hid::HidDevice>& out) override {
    std::unique_ptr<hid::HidDevice> device;
    const int result = inner_.Open(path, access, device);
    if (result == 0) out = std::make_unique<DelayedWrites>(std::move(device), latencyMs_);
    return result;
  }
  std::unique_ptr<hid::HidWatcher> Watch(hid::HidChangeCallback callback) override {
    return inner_.Watch(std::move(callback));
  }

 private:
  sim::SimulatedHidBackend& inner_;
  uint32_t latencyMs_;
};

// Reports the round trips per iteration and, with a latency, the protocol's minimum (two
// latencies per round trip) and the measured time's ratio to it.
inline void ReportAgainstMinimum(benchmark::State& state, size_t commands, double seconds,
                                 uint32_t latencyMs) {
  const double iterations = static_cast<double>(state.iterations());
  const double roundTrips = static_cast<double>(commands) / iterations;
  state.counters["round_trips"] = roundTrips;
  if (latencyMs > 0) {
    const double minimum = roundTrips * 2.0 * latencyMs / 1000.0;
    state.counters["minimum_ms"] = minimum * 1000.0;
    state.counters["ratio"] = (seconds / iterations) / minimum;
  } else {
    state.counters["us_per_round_trip"] = seconds / iterations / roundTrips * 1e6;
  }
}

}  // namespace bench
