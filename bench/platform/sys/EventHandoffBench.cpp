// The cost of handing one signal to another thread and back through two auto-reset events:
// the floor under every command round trip of the device layer.
#include <benchmark/benchmark.h>

#include <atomic>
#include <thread>

#include "platform/sys/AutoResetEvent.h"

static void BM_AutoResetEventPingPong(benchmark::State& state) {
  sys::AutoResetEvent ping, pong;
  std::atomic<bool> stop{false};
  std::thread peer([&] {
    for (;;) {
      if (!ping.Wait(1000)) continue;
      if (stop) return;
      pong.Set();
    }
  });
  for (auto _ : state) {
    ping.Set();
    pong.Wait(1000);
  }
  stop = true;
  ping.Set();
  peer.join();
}
BENCHMARK(BM_AutoResetEventPingPong)->UseRealTime();
