#pragma once

#include "sim/SimulatedMouse.h"

namespace app {

// What the mouse holds when it leaves the factory: the memory image that Apply writes onto blank
// (erased) flash from the factory records of the four modes with an empty macro store, the DPI
// level and report-rate index of those records in every mode, and mode 0. The program's
// simulated mouse starts so when it has no state of its own.
sim::SimulatedMouse::PersistentState FactoryMouseState();

}  // namespace app
