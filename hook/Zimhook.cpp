// The library's three exports. One reader at a time: installhook replaces it, removehook
// stops it, and unloading the library joins its thread.
#include <atomic>
#include <memory>
#include <mutex>

#include "hook/KeyReader.h"
#include "hook/Zimhook.h"

namespace {

// Both have trivial destructors, so they stay usable until the unload function below has run.
std::mutex g_control;  // serialises installhook, removehook and the unload
std::atomic<int> g_status{0};
hook::KeyReader* g_reader = nullptr;  // guarded by g_control

void StopReader() {
  delete g_reader;  // joins the thread
  g_reader = nullptr;
}

__attribute__((destructor)) void Unload() {
  std::lock_guard<std::mutex> lock(g_control);
  g_status.store(0);
  StopReader();
}

}  // namespace

extern "C" {

__attribute__((visibility("default"))) int installhook(const HookWindow* target) {
  g_status.store(0);
  // From a post: the reader cannot stop itself, and the caller's window gets no new hook.
  if (hook::KeyReader::Current() != nullptr) return 0;
  std::lock_guard<std::mutex> lock(g_control);
  StopReader();
  g_status.store(0);
  if (target == nullptr || target->post == nullptr) return 0;
  auto reader = std::make_unique<hook::KeyReader>(*target, g_status);
  if (!reader->Start()) return 0;
  g_reader = reader.release();
  return 1;
}

__attribute__((visibility("default"))) void removehook(void) {
  g_status.store(0);
  if (hook::KeyReader* current = hook::KeyReader::Current()) {
    current->Retire();  // joined by the next installhook, removehook or the unload
    return;
  }
  std::lock_guard<std::mutex> lock(g_control);
  StopReader();
  g_status.store(0);
}

__attribute__((visibility("default"))) void SetHookStatus(int status) {
  g_status.store(status != 0 ? 1 : 0);
}

}  // extern "C"
