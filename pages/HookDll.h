#pragma once

#include <QObject>

#include <string>

#include "hook/Zimhook.h"

// The keyboard-hook library of one key-capturing dialog: Zimhook.so, loaded by its absolute
// path in the program folder (never through a search path), and its three operations. Only a
// regular file that holds a whole shared object of this machine is loaded; anything else there
// counts as no library. A library or an export that is missing is never called: the operation
// does nothing (and installhook gives 0), and the reason is said once on standard error.
class HookDll {
 public:
  // Loads the library from the program folder.
  HookDll();
  // Loads the library from `folder` instead (an absolute path).
  explicit HookDll(const std::string& folder);
  ~HookDll();
  HookDll(const HookDll&) = delete;
  HookDll& operator=(const HookDll&) = delete;

  // Loads the library (again) and looks up its exports. Returns 1 in every case.
  int Load();
  // Unloads it: 0 when nothing was loaded, else 1 when the unload succeeded.
  int Free();

  // From now on WM_HOOK_KEY is posted to `window` while the status is on. 1 when keys can be
  // reported, 0 without a library, an export or an X display.
  int installhook(QObject* window);
  void removehook();
  void SetHookStatus(int status);

  bool Loaded() const { return module_ != nullptr; }
  // The library is loaded with all three of its operations.
  bool HasEveryExport() const {
    return installhook_ != nullptr && removehook_ != nullptr && setHookStatus_ != nullptr;
  }
  const std::string& Path() const { return path_; }

 private:
  std::string path_;
  installhook_fn installhook_ = nullptr;
  removehook_fn removehook_ = nullptr;
  SetHookStatus_fn setHookStatus_ = nullptr;
  void* module_ = nullptr;
};
