#include "platform/sys/Tick.h"

#include <chrono>
#include <mutex>
#include <thread>

namespace sys {
namespace {

std::mutex& SourceMutex() {
  static std::mutex m;
  return m;
}

TickSource& Source() {
  static TickSource source;
  return source;
}

uint32_t SteadyMillis() {
  using namespace std::chrono;
  return static_cast<uint32_t>(
      duration_cast<milliseconds>(steady_clock::now().time_since_epoch()).count());
}

}  // namespace

uint32_t GetTickCount() {
  std::lock_guard<std::mutex> lock(SourceMutex());
  const TickSource& source = Source();
  return source ? source() : SteadyMillis();
}

void SetTickSource(TickSource source) {
  std::lock_guard<std::mutex> lock(SourceMutex());
  Source() = std::move(source);
}

void Sleep(uint32_t ms) { std::this_thread::sleep_for(std::chrono::milliseconds(ms)); }

}  // namespace sys
