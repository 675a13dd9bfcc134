#pragma once

#include <chrono>
#include <memory>
#include <string>
#include <thread>
#include <vector>

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

}  // namespace bench
