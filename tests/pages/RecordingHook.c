/* A stand-in for the keyboard-hook library that writes each call, one a line, to the file named
 * by KDZ_HOOK_LOG, and reports the keys a test gives to RecordingHookReport to the installed
 * window. Built so that installhook fails when RECORDING_HOOK_INSTALL_FAILS is defined. */
#include <stdio.h>
#include <stdlib.h>

#include "hook/Zimhook.h"

static HookWindow installed;

static void Log(const char* call) {
  const char* file = getenv("KDZ_HOOK_LOG");
  if (file == NULL) return;
  FILE* out = fopen(file, "a");
  if (out == NULL) return;
  fprintf(out, "%s\n", call);
  fclose(out);
}

int installhook(const HookWindow* target) {
  Log("installhook");
#ifdef RECORDING_HOOK_INSTALL_FAILS
  (void)target;
  return 0;
#else
  installed = *target;
  return 1;
#endif
}

void removehook(void) {
  Log("removehook");
  installed.post = NULL;
}

void SetHookStatus(int status) { Log(status ? "SetHookStatus 1" : "SetHookStatus 0"); }

void RecordingHookReport(uintptr_t key, int released) {
  if (installed.post != NULL)
    installed.post(installed.window, WM_HOOK_KEY, key, released ? HOOK_KEY_RELEASED : 0);
}
