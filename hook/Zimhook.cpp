// The library's three exports. One reader at a time: installhook replaces it (with its status
// off), removehook stops it, and unloading the library joins its thread. With no reader there
// is nothing to report, which is the status off.
#include <memory>
#include <mutex>

#include "hook/KeyReader.h"
#include "hook/Zimhook.h"

namespace {

// Both have trivial destructors, so they stay usable until the unload function below has run.
std::mutex g_control;                 // serialises the exports and the unload
hook::KeyReader* g_reader = nullptr;  // guarded by g_control

void StopReader() {
  delete g_reader;  // joins the thread
  g_reader = nullptr;
}

__attribute__((destructor)) void Unload() {
  std::lock_guard<std::mutex> lock(g_control);
  StopReader();
}

}  // namespace

extern "C" {

__attribute__((visibility("default"))) int installhook(const HookWindow* target) {
  // From a post: the reader cannot replace itself; it stops reporting instead.
  if (hook::KeyReader* current = hook::KeyReader::Current()) {
    current->SetStatus(false);
    return 0;
  }
  std::lock_guard<std::mutex> lock(g_control);
  StopReader();
  if (target == nullptr || target->post == nullptr) return 0;
  auto reader = std::make_unique<hook::KeyReader>(*target);
  if (!reader->Start()) return 0;
  g_reader = reader.release();
  return 1;
}

__attribute__((visibility("default"))) void removehook(void) {
  if (hook::KeyReader* current = hook::KeyReader::Current()) {
    current->Retire();  // joined by the next installhook, removehook or the unload
    return;
  }
  std::lock_guard<std::mutex> lock(g_control);
  StopReader();
}

__attribute__((visibility("default"))) void SetHookStatus(int status) {
  if (hook::KeyReader* current = hook::KeyReader::Current()) {
    current->SetStatus(status != 0);
    return;
  }
  std::lock_guard<std::mutex> lock(g_control);
  if (g_reader != nullptr) g_reader->SetStatus(status != 0);
}

}  // extern "C"
