#pragma once

#include "settings/Records.h"

namespace settings {

// A mode's current DPI level and report-rate index (0 = 125 Hz ... 3 = 1000 Hz): their range and
// their factory values.
inline constexpr uint8_t kMaxDpiLevel = 3;
inline constexpr uint8_t kMaxReportRateIndex = 3;
inline constexpr uint8_t kFactoryDpiLevel = 1;
inline constexpr uint8_t kFactoryReportRateIndex = 1;

// Fills `record` with the factory defaults of mode `mode` (0 to 3): zeroes, no shortcut keys,
// the mode's button assignment, lighting in the mode's colour and the default device and pointer
// settings. A mode outside 0 to 3 gets everything but the button assignment.
void LoadFactoryDefaults(tagMODEINFO& record, int mode);

}  // namespace settings
