#pragma once

#include <chrono>
#include <condition_variable>
#include <cstddef>
#include <memory>
#include <mutex>
#include <span>
#include <string>
#include <vector>

#include <benchmark/benchmark.h>

#include "platform/hid/HidBackend.h"
#include "sim/PreciseWait.h"
#include "sim/SimulatedHidBackend.h"
#include "sim/SimulatedMouse.h"

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
    if (latency_.count() > 0) sim::PreciseWaitUntil(Clock::now() + latency_);
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

// The latency model alone, with no program in between: `roundTrips` times the delay of a report
// out (as DelayedWrites) and a mode-info command to the simulated mouse, whose reply comes back
// after its own latency to the cheapest host there is. Returns the time taken over the least
// time possible (two latencies per round trip): what the model itself adds.
inline double LatencyModelRatio(uint32_t latencyMs, size_t roundTrips) {
  struct Host : sim::SimulatedMouse::Host {
    void DeliverInputReport(std::span<const uint8_t>) override {
      {
        std::lock_guard<std::mutex> guard(lock);
        ++replies;
      }
      changed.notify_all();
    }
    void ConnectionChanged(bool) override {}
    std::mutex lock;
    std::condition_variable changed;
    size_t replies = 0;
  };
  if (latencyMs == 0 || roundTrips == 0) return 0;
  sim::SimulatedMouse mouse;
  Host host;
  mouse.AttachHost(&host);
  mouse.SetLatency(latencyMs);
  const sim::Report modeInfo{sim::kReportId, sim::CMD_MODE_INFO, 0, 0, 0, 0, 0, 0};
  const auto latency = std::chrono::milliseconds(latencyMs);
  const auto start = Clock::now();
  for (size_t i = 0; i < roundTrips; ++i) {
    sim::PreciseWaitUntil(Clock::now() + latency);
    mouse.ReceiveOutputReport(modeInfo);
    std::unique_lock<std::mutex> guard(host.lock);
    host.changed.wait(guard, [&] { return host.replies > i; });
  }
  const double seconds = std::chrono::duration<double>(Clock::now() - start).count();
  mouse.AttachHost(nullptr);
  return seconds / (static_cast<double>(roundTrips) * 2.0 * latencyMs / 1000.0);
}

// Reports the round trips per iteration and, with a latency, the protocol's minimum (two
// latencies per round trip), the measured time's ratio to it, and beside it the ratio of the
// latency model alone over as many round trips (model_ratio).
inline void ReportAgainstMinimum(benchmark::State& state, size_t commands, double seconds,
                                 uint32_t latencyMs) {
  const double iterations = static_cast<double>(state.iterations());
  const double roundTrips = static_cast<double>(commands) / iterations;
  state.counters["round_trips"] = roundTrips;
  if (latencyMs > 0) {
    const double minimum = roundTrips * 2.0 * latencyMs / 1000.0;
    state.counters["minimum_ms"] = minimum * 1000.0;
    state.counters["ratio"] = (seconds / iterations) / minimum;
    state.counters["model_ratio"] =
        LatencyModelRatio(latencyMs, static_cast<size_t>(roundTrips + 0.5));
  } else {
    state.counters["us_per_round_trip"] = seconds / iterations / roundTrips * 1e6;
  }
}

}  // namespace bench
