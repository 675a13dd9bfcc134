#pragma once

#include <cstddef>

#include "settings/E2Image.h"
#include "settings/MacroStore.h"
#include "settings/Records.h"

namespace settings {

// A user macro's words must all begin at a byte offset of at most this in the macro area.
inline constexpr size_t USER_MACRO_LAST_WORD_OFFSET = 253;
// A double-click macro is placed only while its start + 16 stays within this.
inline constexpr size_t DOUBLE_CLICK_LIMIT = 2046;

// Compiles every macro and double-click button of the four modes `modes[0]` to `modes[3]` into
// `macroArea`, from its first byte, and gives each such button a code in `configBlock` that
// points at its macro. The area is expected filled with 0xFF beforehand. Returns 1 when every
// macro fitted and 0 when the space ran out (what was written before stays); `failedMode`, when
// given, then receives the mode (0 to 3) whose macro did not fit. A macro button whose macro
// `store` refuses gets the "off" code, so that it never points into the rebuilt area.
int CompileMacros(const tagMODEINFO* modes, E2ConfigBlock& configBlock, E2MacroArea& macroArea,
                  const MacroStore& store, int* failedMode = nullptr);

}  // namespace settings
