#pragma once

#include <cstddef>
#include <cstdint>

namespace settings {

// What the mouse reported of its configuration.
struct tagDEVICEINFO {
  uint8_t currentMode;   // 0 to 3
  uint8_t dpiLevel[4];   // active DPI level of modes 0 to 3
  uint8_t rateIndex[4];  // report-rate index of modes 0 to 3 (125, 250, 500, 1000 Hz)
};

static_assert(sizeof(tagDEVICEINFO) == 9);
static_assert(offsetof(tagDEVICEINFO, currentMode) == 0);
static_assert(offsetof(tagDEVICEINFO, dpiLevel) == 1);
static_assert(offsetof(tagDEVICEINFO, rateIndex) == 5);

}  // namespace settings
