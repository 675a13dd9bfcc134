#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "settings/Records.h"

// What the mouse's buttons ask the program to do on the PC: plain functions over the applied
// record of the current mode and the pressed-button flags of the last key-status report.
namespace app {

// The most wheel steps one scroll action makes: the most the pointer page sets.
inline constexpr int kMaxScrollSteps = 8;

// The pressed flags of the ten buttons: bit i of the report's state for button i; higher bits
// are ignored.
struct PressedButtons {
  int flags[settings::KEY_COUNT] = {};
};
PressedButtons PressedFromState(uint32_t state);

// The steps of one scroll action for the stored amount: its magnitude, computed without
// overflow, capped at kMaxScrollSteps; 0 scrolls nothing.
int ScrollSteps(int32_t horizontalScrollAmount);

// The scrolls of the held scroll buttons in button order: -steps for a left button, +steps for
// a right one. Empty when the amount is 0.
std::vector<int> ChooseScrollActions(const settings::tagMODEINFO& record,
                                     const PressedButtons& pressed);

// Everything one key-status report asks for.
struct KeyStatusActions {
  bool showWindow = false;                // a pressed show-window button (once per report)
  std::vector<std::u16string> programs;   // the pressed program buttons' paths, in button order
  std::vector<int> scrolls;               // ChooseScrollActions
};
KeyStatusActions ChooseKeyStatusActions(const settings::tagMODEINFO& record,
                                        const PressedButtons& pressed);

}  // namespace app
