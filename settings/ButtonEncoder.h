#pragma once

#include <cstdint>
#include <span>

#include "settings/E2Image.h"
#include "settings/Records.h"

namespace settings {

// Turns the ten buttons of one mode into their two-byte codes in `codes` (the mode's 20 bytes at
// offset 32m of the configuration block). Macro and double-click buttons are left to the macro
// compiler, and a pair the tables do not know keeps the bytes it had.
void EncodeButtonCodes(std::span<const tagKEYDEFINEINFO, KEY_COUNT> keys,
                       std::span<uint8_t, BUTTON_CODE_BYTES> codes);

}  // namespace settings
