#include "pages/LightMapping.h"

namespace pages {

namespace {

constexpr uint32_t kColourValues[kLightColourCount] = {
    0xFF0000,  // Blue
    0xFF00FF,  // Pink
    0x0000FF,  // Red
    0x00FFFF,  // Orange
    0x00FF00,  // Green
    0xFFFF00,  // Cyan
    0xFFFFFF,  // White
};

// The order GetSelectedColor looks at the colours in.
constexpr LightColour kSelectedOrder[] = {LightColour::Red,   LightColour::Orange,
                                          LightColour::Blue,  LightColour::Pink,
                                          LightColour::Green, LightColour::Cyan,
                                          LightColour::White};

constexpr uint8_t kOnBit = 0x80;
constexpr uint8_t kEffectBits = 0x70;
constexpr uint8_t kCycleBit = 0x08;
constexpr uint8_t kInterruptBit = 0x04;

// A step slider shows a position outside its range at its minimum.
int SliderShows(int position) { return position >= 0 && position <= kLightTimeMax ? position : 0; }

uint8_t SetBits(uint8_t flags, uint8_t bits, bool set) {
  return static_cast<uint8_t>(set ? flags | bits : flags & ~bits);
}

}  // namespace

uint32_t LightColourValue(LightColour colour) { return kColourValues[static_cast<int>(colour)]; }

void UncheckColors(LightControls& controls) {
  for (bool& c : controls.colours) c = false;
}

void SelectColor(LightControls& controls, uint32_t value) {
  UncheckColors(controls);
  controls.cycle = false;
  for (int i = 0; i < kLightColourCount; ++i) {
    if (kColourValues[i] == value) controls.colours[i] = true;
  }
}

uint32_t GetSelectedColor(const LightControls& controls) {
  for (LightColour c : kSelectedOrder) {
    if (controls.colours[static_cast<int>(c)]) return LightColourValue(c);
  }
  return 0;
}

void ShowLightData(const settings::tagLIGHTINFO& light, LightControls& controls) {
  controls.on = (light.flags & kOnBit) != 0;
  controls.off = !controls.on;
  controls.breathing = (light.flags & kEffectBits) != 0;
  controls.full = !controls.breathing;
  if (light.flags & kCycleBit) {
    controls.cycle = true;
    UncheckColors(controls);
  } else {
    SelectColor(controls, static_cast<uint32_t>(light.red) |
                              static_cast<uint32_t>(light.green) << 8 |
                              static_cast<uint32_t>(light.blue) << 16);
  }
  controls.interrupt = (light.flags & kInterruptBit) != 0;
  controls.changeTime = SliderShows(light.changeTime / 4 - 1);
  controls.offTime = SliderShows((light.offStayTime & 0x0F) - 1);
  controls.stayTime = SliderShows((light.offStayTime >> 4) - 1);
  controls.startTime = SliderShows(light.startTime / 4 - 1);
}

void SaveLightData(const LightControls& controls, settings::tagLIGHTINFO& light) {
  uint8_t flags = light.flags;
  flags = SetBits(flags, kOnBit, controls.on);
  flags = SetBits(flags, kEffectBits, controls.breathing);
  flags = SetBits(flags, kCycleBit, controls.cycle);
  const uint32_t colour = controls.cycle ? 0xFFFFFF : GetSelectedColor(controls);
  light.red = static_cast<uint8_t>(colour & 0xFF);
  light.green = static_cast<uint8_t>(colour >> 8 & 0xFF);
  light.blue = static_cast<uint8_t>(colour >> 16 & 0xFF);
  flags = SetBits(flags, kInterruptBit, controls.interrupt);
  light.flags = flags;
  // Computed in 8 bits, as the record holds them.
  light.changeTime = static_cast<uint8_t>((controls.changeTime + 1) * 4);
  light.offStayTime =
      static_cast<uint8_t>((controls.offTime + 1) + ((controls.stayTime + 1) << 4));
  light.startTime = static_cast<uint8_t>((controls.startTime + 1) * 4);
}

void ClickLightButton(LightControls& controls, LightButton button) {
  switch (button) {
    case LightButton::On:
      controls.on = true;
      controls.off = false;
      break;
    case LightButton::Off:
      controls.off = true;
      controls.on = false;
      break;
    case LightButton::Full:
      controls.full = true;
      controls.breathing = false;
      break;
    case LightButton::Breathing:
      controls.breathing = true;
      controls.full = false;
      break;
    case LightButton::Cycle:
      controls.cycle = true;
      UncheckColors(controls);
      break;
    case LightButton::Interrupt:
      controls.interrupt = !controls.interrupt;
      break;
    default: {
      const int colour = static_cast<int>(button) - static_cast<int>(LightButton::Blue);
      SelectColor(controls, kColourValues[colour]);
      break;
    }
  }
}

}  // namespace pages
