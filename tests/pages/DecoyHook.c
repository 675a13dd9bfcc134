/* A stand-in for the keyboard-hook library that tells itself apart: installhook gives 7.
 * Built without removehook when DECOY_WITHOUT_REMOVEHOOK is defined. */
#include "hook/Zimhook.h"

int installhook(const HookWindow* target) {
  (void)target;
  return 7;
}
#ifndef DECOY_WITHOUT_REMOVEHOOK
void removehook(void) {}
#endif
void SetHookStatus(int status) { (void)status; }
