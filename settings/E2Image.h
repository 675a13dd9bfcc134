#pragma once

#include <cstddef>
#include <cstdint>

// The mouse's memory image: six 256-byte flash blocks. Block 5 is the configuration block with
// the two-byte code of every button and the device bytes of every mode; blocks 0 to 4 are the
// macro area with the compiled macros.
namespace settings {

inline constexpr size_t FLASH_BLOCK_SIZE = 256;
inline constexpr int FLASH_BLOCK_COUNT = 6;
inline constexpr int MACRO_AREA_BLOCKS = 5;
inline constexpr int CONFIG_FLASH_BLOCK = 5;
inline constexpr size_t MACRO_AREA_SIZE = MACRO_AREA_BLOCKS * FLASH_BLOCK_SIZE;

// Bytes of one mode's button codes in the configuration block (ten buttons of two bytes; the
// twelve bytes after them belong to no button).
inline constexpr size_t BUTTON_CODE_BYTES = 20;
// Byte that a factory reset sets to FACTORY_RESET_VALUE.
inline constexpr size_t FACTORY_RESET_BYTE = 228;
inline constexpr uint8_t FACTORY_RESET_VALUE = 15;

// Flash block 5.
struct E2ConfigBlock {
  uint8_t bytes[FLASH_BLOCK_SIZE];
};

// Flash blocks 0 to 4; block k is bytes 256k to 256k + 255.
struct E2MacroArea {
  uint8_t bytes[MACRO_AREA_SIZE];
};

struct tagE2IMAGE {
  E2ConfigBlock configBlock;
  E2MacroArea macroArea;
};

// Offset of the code of button `button` of mode `mode` (first byte; the second follows).
constexpr size_t ButtonCodeOffset(int mode, int button) {
  return 32 * static_cast<size_t>(mode) + 2 * static_cast<size_t>(button);
}
// Offset of the first device half of a mode (record bytes 6300 to 6307: light, deviceByte7).
constexpr size_t LightHalfOffset(int mode) { return 128 + 8 * static_cast<size_t>(mode); }
// Offset of the second device half (record bytes 6308 to 6315: dpiIndex01 to fireSpeed).
constexpr size_t DpiHalfOffset(int mode) { return 192 + 8 * static_cast<size_t>(mode); }

static_assert(sizeof(E2ConfigBlock) == 256);
static_assert(sizeof(E2MacroArea) == 1280);
static_assert(sizeof(tagE2IMAGE) == 1536);
static_assert(offsetof(tagE2IMAGE, configBlock) == 0);
static_assert(offsetof(tagE2IMAGE, macroArea) == 256);

}  // namespace settings
