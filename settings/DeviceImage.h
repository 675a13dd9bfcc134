#pragma once

#include "settings/E2Image.h"
#include "settings/MacroStore.h"
#include "settings/Records.h"

namespace settings {

// Rebuilds the memory image from the four mode records `modes[0]` to `modes[3]` as Apply writes
// it: the macro area filled with 0xFF, then for each mode in turn its device bytes and button
// codes in the configuration block and the macros of `store` compiled (CompileMacros). 1 when
// every pass fitted; 0 when macros ran out of space, `failedMode` naming the mode whose macro did
// not fit. The configuration block's other bytes keep what they hold.
int BuildDeviceImage(const tagMODEINFO* modes, const MacroStore& store, tagE2IMAGE& image,
                     int* failedMode = nullptr);

}  // namespace settings
