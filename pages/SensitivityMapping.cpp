#include "pages/SensitivityMapping.h"

namespace pages {

namespace {

constexpr const char16_t* kDpiTexts[kDpiValueCount] = {u"800",  u"1000", u"1200", u"1400",
                                                       u"1600", u"2000", u"2400"};

constexpr uint8_t kSensitivityBytes[kSensitivityMax + 1] = {0x1A, 0x15, 0x25, 0x35, 0x45, 0x11,
                                                            0x65, 0x75, 0x85, 0x95, 0x21};

// A PNG slider shows a position outside its range at its minimum.
int SliderShows(int position) {
  return position >= 0 && position <= kSensitivityMax ? position : 0;
}

int PositionOf(uint8_t byte) { return SensitivityToPosition(byte >> 4, byte & 0x0F); }

}  // namespace

const char16_t* DpiText(int index) {
  return index >= 0 && index < kDpiValueCount ? kDpiTexts[index] : nullptr;
}

uint8_t SensitivityByte(int position) {
  return kSensitivityBytes[SliderShows(position)];
}

int SensitivityToPosition(int high, int low) {
  for (int p = 0; p <= kSensitivityMax; ++p) {
    if (kSensitivityBytes[p] >> 4 == high && (kSensitivityBytes[p] & 0x0F) == low) return p;
  }
  return -1;
}

SensitivityControls ShowSensitivity(const settings::tagMODEINFO& record) {
  SensitivityControls c;
  c.x = SliderShows(PositionOf(record.sensitivityX));
  c.y = SliderShows(PositionOf(record.sensitivityY));
  c.valueIndex[0] = record.dpiIndex01 & 7;
  c.valueIndex[1] = record.dpiIndex01 >> 4 & 7;
  c.valueIndex[2] = record.dpiIndex23 & 7;
  c.valueIndex[3] = record.dpiIndex23 >> 4 & 7;
  c.currentLevel = record.dpiLevel;
  c.sync = record.xySync != 0;
  if (c.sync) c.y = c.x;
  return c;
}

void SaveSensitivity(const SensitivityControls& c, settings::tagMODEINFO& record) {
  record.sensitivityX = SensitivityByte(c.x);
  record.sensitivityY = SensitivityByte(c.y);
  record.dpiIndex01 = static_cast<uint8_t>((c.valueIndex[1] << 4) + c.valueIndex[0]);
  record.dpiIndex23 = static_cast<uint8_t>((c.valueIndex[3] << 4) + c.valueIndex[2]);
  record.deviceByte10 = 0xFF;
  record.dpiLevel = static_cast<uint8_t>(c.currentLevel);
  record.xySync = c.sync ? 1 : 0;
}

void ClickSync(SensitivityControls& c) {
  c.sync = !c.sync;
  if (c.sync) c.y = c.x;
}

void ReleaseSlider(SensitivityControls& c, SensitivityAxis moved, int position) {
  const int shown = SliderShows(position);
  if (moved == SensitivityAxis::X) {
    c.x = shown;
    if (c.sync) c.y = shown;
  } else {
    c.y = shown;
    if (c.sync) c.x = shown;
  }
}

}  // namespace pages
