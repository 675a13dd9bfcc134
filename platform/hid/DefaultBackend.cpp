#include <atomic>

#include "platform/hid/HidBackend.h"
#include "platform/hid/HidrawBackend.h"

namespace hid {

namespace {
std::atomic<HidBackend*> g_installed{nullptr};
}  // namespace

HidBackend& DefaultBackend() {
  if (HidBackend* installed = g_installed.load(std::memory_order_acquire)) return *installed;
  static HidrawBackend hidraw;  // constructed once, thread-safe
  return hidraw;
}

void SetDefaultBackend(HidBackend* backend) {
  g_installed.store(backend, std::memory_order_release);
}

}  // namespace hid
