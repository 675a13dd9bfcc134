/* A stand-in for the keyboard-hook library that writes each call, and its own unloading, as a
 * line to the file named by KDZ_HOOK_LOG. Built without SetHookStatus when
 * RECORDING_HOOK_WITHOUT_STATUS is defined. */
#include <stdio.h>
#include <stdlib.h>

#include "hook/Zimhook.h"

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
  return 1;
}

void removehook(void) { Log("removehook"); }

#ifndef RECORDING_HOOK_WITHOUT_STATUS
void SetHookStatus(int status) { Log(status ? "SetHookStatus 1" : "SetHookStatus 0"); }
#endif

__attribute__((destructor)) static void Unloaded(void) { Log("unloaded"); }
