#include "settings/ButtonEncoder.h"

#include "settings/FunctionCodes.h"

namespace settings {
namespace {

// The code of one button; false when it is not the encoder's to write (macro, double click,
// unknown pair), leaving both bytes alone.
bool EncodeButtonCode(const tagKEYDEFINEINFO& key, uint8_t& first, uint8_t& second) {
  switch (key.major) {
    case MAJOR_FUN_MACRO:
    case MAJOR_FUN_LEFT_DOUBLECLICK_MOUSE_KEY:
      return false;  // pointers into the macro area: the compiler's
    case MAJOR_FUN_OFF:
      first = CODE_OFF_FIRST;
      second = CODE_OFF_SECOND;
      return true;
    case MAJOR_FUN_ASSIGN_SHORTCUT:
      // Keyboard group: the usage, then the modifier bits. Only the four modifier bits may reach
      // the code; any other bit from a record read from a file would move the code into another
      // group (0x42 mouse buttons, 0x43 wheel, ...).
      first = UsageOfVirtualKey(key.shortcutKey);
      second = (key.shortcutModifiers & SHORTCUT_NO_MODIFIERS) != 0
                   ? 0
                   : static_cast<uint8_t>(key.shortcutModifiers & SHORTCUT_MODIFIER_MASK);
      return true;
    default:
      for (const FunctionCode& row : FunctionCodeTable) {
        if (row.major == key.major && row.minor == key.minor) {
          first = row.first;
          second = row.second;
          return true;
        }
      }
      return false;
  }
}

}  // namespace

void EncodeButtonCodes(std::span<const tagKEYDEFINEINFO, KEY_COUNT> keys,
                       std::span<uint8_t, BUTTON_CODE_BYTES> codes) {
  for (int b = 0; b < KEY_COUNT; ++b) {
    EncodeButtonCode(keys[b], codes[2 * b], codes[2 * b + 1]);
  }
}

}  // namespace settings
