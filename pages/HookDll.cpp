#include "pages/HookDll.h"

#include <dlfcn.h>
#include <unistd.h>

#include <cstdio>
#include <mutex>
#include <set>

#include "pages/HookDllFile.h"
#include "platform/desktop/WaylandSession.h"
#include "platform/sys/ProgramFolder.h"
#include "platform/ui/WindowMessage.h"

namespace {

constexpr const char* kLibraryName = "Zimhook.so";

// Each distinct problem is said once per process, however many dialogs load the library.
void SayOnce(const std::string& text) {
  static std::mutex mutex;
  static std::set<std::string> said;
  std::lock_guard<std::mutex> lock(mutex);
  if (said.insert(text).second) std::fprintf(stderr, "%s\n", text.c_str());
}

std::string LoaderMessage() {
  const char* error = dlerror();
  return error != nullptr ? error : "unknown error";
}

// The library calls this on its own thread; posting is safe from any thread.
void PostToWindow(void* window, uint32_t msg, uintptr_t wParam, intptr_t lParam) {
  ui::PostMessage(static_cast<QObject*>(window), msg, wParam, lParam);
}

}  // namespace

HookDll::HookDll() : HookDll(sys::ProgramFolder()) {}

HookDll::HookDll(const std::string& folder) : path_(sys::JoinPath(folder, kLibraryName)) {
  if (folder.empty()) path_.clear();
  Load();
}

HookDll::~HookDll() { Free(); }

int HookDll::Load() {
  Free();
  // Only an absolute path: a relative one would be taken from the working directory.
  if (path_.empty() || path_.front() != '/') {
    SayOnce("The keyboard-hook library has no absolute path (\"" + path_ +
            "\"); keys cannot be captured.");
    return 1;
  }
  // Checked first, then loaded through the checked descriptor: the loader maps the very file
  // that passed, even if the name is replaced in between.
  std::string refused;
  const int fd = pages::OpenLibraryFile(path_, refused);
  if (fd < 0) {
    SayOnce("Cannot load the keyboard-hook library " + path_ + ": " + refused);
    return 1;
  }
  dlerror();
  void* module = dlopen(pages::DescriptorPath(fd).c_str(), RTLD_NOW | RTLD_LOCAL);
  ::close(fd);
  if (module == nullptr) {
    SayOnce("Cannot load the keyboard-hook library " + path_ + ": " + LoaderMessage());
    return 1;
  }
  module_ = module;
  const auto lookUp = [&](const char* name) {
    dlerror();
    void* symbol = dlsym(module, name);
    if (symbol == nullptr)
      SayOnce("The keyboard-hook library " + path_ + " lacks \"" + name + "\": " +
              LoaderMessage());
    return symbol;
  };
  installhook_ = reinterpret_cast<installhook_fn>(lookUp("installhook"));
  removehook_ = reinterpret_cast<removehook_fn>(lookUp("removehook"));
  setHookStatus_ = reinterpret_cast<SetHookStatus_fn>(lookUp("SetHookStatus"));
  return 1;
}

int HookDll::Free() {
  if (module_ == nullptr) return 0;
  const int result = dlclose(module_) == 0 ? 1 : 0;
  module_ = nullptr;
  installhook_ = nullptr;
  removehook_ = nullptr;
  setHookStatus_ = nullptr;
  return result;
}

int HookDll::installhook(QObject* window) {
  if (installhook_ == nullptr) return 0;
  if (desktop::IsWaylandSession())
    SayOnce("Under Wayland the keyboard hook sees keys only while an X11 or XWayland window "
            "has the focus.");
  const HookWindow target{PostToWindow, window};
  return installhook_(&target);
}

void HookDll::removehook() {
  if (removehook_ != nullptr) removehook_();
}

void HookDll::SetHookStatus(int status) {
  if (setHookStatus_ != nullptr) setHookStatus_(status);
}
