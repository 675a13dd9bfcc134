/* A stand-in for the keyboard-hook library that writes each call, and its own unloading, as a
 * line to the file named by KDZ_HOOK_LOG, and reports the keys a test gives to
 * RecordingHookReport to the installed window. Built without SetHookStatus when
 * RECORDING_HOOK_WITHOUT_STATUS is defined, with an installhook that fails when
 * RECORDING_HOOK_INSTALL_FAILS is. */
#include <stdio.h>
#include <stdlib.h>

#include "hook/Zimhook.h"

static HookWindow installed;

static void Log(const char* what) {
  const char* path = getenv("KDZ_HOOK_LOG");
  if (path == NULL) return;
  FILE* file = fopen(path, "a");
  if (file == NULL) return;
  fputs(what, file);
  fputc('\n', file);
  fclose(file);
}

int installhook(const HookWindow* target) {
  Log(target != NULL && target->window != NULL ? "installhook" : "installhook without window");
#ifdef RECORDING_HOOK_INSTALL_FAILS
  return 0;
#else
  if (target != NULL) installed = *target;
  return 1;
#endif
}

void removehook(void) {
  Log("removehook");
  installed.post = NULL;
}

#ifndef RECORDING_HOOK_WITHOUT_STATUS
void SetHookStatus(int status) { Log(status ? "SetHookStatus 1" : "SetHookStatus 0"); }
#endif

void RecordingHookReport(uintptr_t key, int released) {
  if (installed.post != NULL)
    installed.post(installed.window, WM_HOOK_KEY, key, released ? HOOK_KEY_RELEASED : 0);
}

__attribute__((destructor)) static void Unloaded(void) { Log("unloaded"); }
