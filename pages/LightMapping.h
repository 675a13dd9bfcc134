#pragma once

#include <cstdint>

#include "settings/Records.h"

// What the lighting page's controls show and how they are written into a tagLIGHTINFO. Kept
// apart from the widgets so that the mapping can be checked on its own.
namespace pages {

// The colour buttons in the order the page creates them.
enum class LightColour { Blue, Pink, Red, Orange, Green, Cyan, White };
inline constexpr int kLightColourCount = 7;

// The page's 24-bit colour of a button: red in bits 0-7, green 8-15, blue 16-23.
uint32_t LightColourValue(LightColour colour);

// The thirteen buttons in the order the page creates them.
enum class LightButton {
  On, Off, Full, Breathing,
  Blue, Pink, Red, Orange, Green, Cyan, White,
  Cycle, Interrupt,
};

// The page's controls: checked states and the four step sliders' positions (0 to 9).
struct LightControls {
  bool on = false;
  bool off = false;
  bool full = false;
  bool breathing = false;
  bool colours[kLightColourCount] = {};
  bool cycle = false;
  bool interrupt = false;
  int changeTime = 0;
  int offTime = 0;
  int stayTime = 0;
  int startTime = 0;

  bool operator==(const LightControls&) const = default;
};

// The time sliders' positions.
inline constexpr int kLightTimeMax = 9;

// Unchecks the colours and Cycle, then checks the colour whose value is `value` (none for any
// other value).
void SelectColor(LightControls& controls, uint32_t value);
// The value of the first checked colour in the order Red, Orange, Blue, Pink, Green, Cyan,
// White; 0 when none is checked.
uint32_t GetSelectedColor(const LightControls& controls);
// Unchecks the seven colours; Cycle stays.
void UncheckColors(LightControls& controls);

// The controls as they show `light`: On/Off from bit 7, Breathing when any of bits 4-6 is set,
// Cycle from bit 3 (else the colour of bytes 1-3), Interrupt from bit 2, the four times. A time
// the sliders cannot show stands at position 0.
void ShowLightData(const settings::tagLIGHTINFO& light, LightControls& controls);

// Writes the controls into `light`; flags bits 0-1 keep their values.
void SaveLightData(const LightControls& controls, settings::tagLIGHTINFO& light);

// What a click on `button` does to the controls (before they are written): On/Off and
// Full/Breathing are exclusive pairs, a colour selects itself, Cycle unchecks the colours,
// Interrupt toggles.
void ClickLightButton(LightControls& controls, LightButton button);

}  // namespace pages
