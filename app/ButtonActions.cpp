#include "app/ButtonActions.h"

#include "settings/FunctionCodes.h"

namespace app {

PressedButtons PressedFromState(uint32_t state) {
  PressedButtons pressed;
  for (int i = 0; i < settings::KEY_COUNT; ++i) pressed.flags[i] = (state >> i) & 1;
  return pressed;
}

int ScrollSteps(int32_t amount) {
  // The magnitude in 64 bits: the most negative amount has no 32-bit magnitude.
  const int64_t magnitude = amount < 0 ? -static_cast<int64_t>(amount) : amount;
  return magnitude > kMaxScrollSteps ? kMaxScrollSteps : static_cast<int>(magnitude);
}

std::vector<int> ChooseScrollActions(const settings::tagMODEINFO& record,
                                     const PressedButtons& pressed) {
  std::vector<int> scrolls;
  const int steps = ScrollSteps(record.horizontalScrollAmount);
  if (steps == 0) return scrolls;
  for (int i = 0; i < settings::KEY_COUNT; ++i) {
    if (pressed.flags[i] != 1) continue;
    if (record.keys[i].major == settings::MAJOR_FUN_SCROLL_LEFT) scrolls.push_back(-steps);
    if (record.keys[i].major == settings::MAJOR_FUN_SCROLL_RIGHT) scrolls.push_back(steps);
  }
  return scrolls;
}

KeyStatusActions ChooseKeyStatusActions(const settings::tagMODEINFO& record,
                                        const PressedButtons& pressed) {
  KeyStatusActions actions;
  for (int i = 0; i < settings::KEY_COUNT; ++i) {
    if (!pressed.flags[i]) continue;
    if (record.keys[i].major == settings::MAJOR_FUN_SHOW_DRIVER) actions.showWindow = true;
    if (record.keys[i].major == settings::MAJOR_FUN_ASSIGN_PROGRAM_TO_EXECUTION) {
      actions.programs.emplace_back(settings::FieldText(record.keys[i].programPath));
    }
  }
  actions.scrolls = ChooseScrollActions(record, pressed);
  return actions;
}

}  // namespace app
