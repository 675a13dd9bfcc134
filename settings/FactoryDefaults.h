#pragma once

#include "settings/Records.h"

namespace settings {

// Fills `record` with the factory defaults of mode `mode` (0 to 3): zeroes, no shortcut keys,
// the mode's button assignment, lighting in the mode's colour and the default device and pointer
// settings. A mode outside 0 to 3 gets everything but the button assignment.
void LoadFactoryDefaults(tagMODEINFO& record, int mode);

}  // namespace settings
