#pragma once

#include "settings/E2Image.h"
#include "settings/MacroStore.h"
#include "settings/Records.h"

namespace settings {

// Rebuilds the memory image from the four mode records `modes[0]` to `modes[3]` as Apply writes
// it: the macro area filled with 0xFF, each mode's device bytes and button codes in the
// configuration block, then the macros of `store` compiled (CompileMacros, whose result and
// `failedMode` this returns). The configuration block's other bytes keep what they hold.
int BuildDeviceImage(const tagMODEINFO* modes, const MacroStore& store, tagE2IMAGE& image,
                     int* failedMode = nullptr);

}  // namespace settings
