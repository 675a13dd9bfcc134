#pragma once

#include <array>
#include <cstdint>

#include "platform/hid/HidTypes.h"

namespace device {

// How many entries of each kind of button and value caps an interface snapshot keeps.
inline constexpr int kKeptCapsEntries = 4;

// Snapshot of one HID interface: its attributes, its caps and the first min(count, 4) entries
// of each kind of button and value caps (the rest stay zero).
struct HidDeviceInfo {
  hid::HidAttributes attributes;
  hid::HidCaps caps;
  std::array<hid::HidButtonCaps, kKeptCapsEntries> inputButtonCaps{};
  std::array<hid::HidButtonCaps, kKeptCapsEntries> outputButtonCaps{};
  std::array<hid::HidButtonCaps, kKeptCapsEntries> featureButtonCaps{};
  std::array<hid::HidValueCaps, kKeptCapsEntries> inputValueCaps{};
  std::array<hid::HidValueCaps, kKeptCapsEntries> outputValueCaps{};
  std::array<hid::HidValueCaps, kKeptCapsEntries> featureValueCaps{};
};

// One report as it goes over the wire: byte 0 is the report id, `length` the valid bytes.
struct HidReport {
  uint8_t data[256] = {};
  int32_t length = 0;
};

}  // namespace device
