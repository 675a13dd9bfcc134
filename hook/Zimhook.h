/* The keyboard-hook library: reports every key pressed and released on the X display to one
 * window of the program while it is switched on. Loaded at run time from the program folder. */
#ifndef ZIMHOOK_H
#define ZIMHOOK_H

#include <stdint.h>

#ifdef __cplusplus
extern "C" {
#endif

/* The message posted for each key: wParam is the virtual-key code, lParam is 0 for a press and
 * HOOK_KEY_RELEASED for a release. */
#define WM_HOOK_KEY 0x40A
#define HOOK_KEY_RELEASED 0x80

typedef struct HookWindow {
  void (*post)(void* window, uint32_t msg, uintptr_t wParam, intptr_t lParam);
  void* window;
} HookWindow;

int  installhook(const HookWindow* target); /* copies it; 1 when keys can be reported */
void removehook(void);
void SetHookStatus(int status);             /* 1 on, 0 off */

/* The exports' types, for callers that look them up by name. */
typedef int (*installhook_fn)(const HookWindow* target);
typedef void (*removehook_fn)(void);
typedef void (*SetHookStatus_fn)(int status);

#ifdef __cplusplus
}
#endif

#endif /* ZIMHOOK_H */
