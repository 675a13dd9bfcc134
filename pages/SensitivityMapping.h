#pragma once

#include <cstdint>

#include "settings/Records.h"

// What the sensitivity page's controls show and how they are written into a tagMODEINFO (bytes
// 6308-6310, 6312, 6313, 6340 and 6404; never 6311). Kept apart from the widgets so that the
// mapping can be checked on its own.
namespace pages {

inline constexpr int kDpiLevelCount = 4;
inline constexpr int kDpiValueCount = 7;
// The sensitivity sliders' positions.
inline constexpr int kSensitivityMax = 10;

// The text of DPI value index 0 to 6 ("800" to "2400"); null for any other index.
const char16_t* DpiText(int index);

// The stored byte of slider position 0 to 10 (high nibble / low nibble is the ratio).
uint8_t SensitivityByte(int position);
// The slider position of a byte's two nibbles, or -1 for a pair no position stores.
int SensitivityToPosition(int high, int low);

// The page's state: the two sliders' positions, the sync toggle, and the DPI value index of
// each level and the current level as last shown. The level buttons show the current level, the
// value buttons of level i show valueIndex[i].
struct SensitivityControls {
  int x = 0;
  int y = 0;
  bool sync = false;
  int valueIndex[kDpiLevelCount] = {};
  int currentLevel = 0;

  bool operator==(const SensitivityControls&) const = default;
};

// The controls as they show `record`: an unknown sensitivity byte stands at position 0, a value
// nibble gives its lower three bits, and with sync set Y stands at X's position.
SensitivityControls ShowSensitivity(const settings::tagMODEINFO& record);

// Writes the controls into `record` (and 0xFF into byte 6310).
void SaveSensitivity(const SensitivityControls& controls, settings::tagMODEINFO& record);

// The sync toggle: flipped; switched on, Y moves to X.
void ClickSync(SensitivityControls& controls);
// A slider released at its new position; with sync the other one follows.
enum class SensitivityAxis { X, Y };
void ReleaseSlider(SensitivityControls& controls, SensitivityAxis moved, int position);

}  // namespace pages
