#include "app/MouseFunction.h"

void CMouseFunction::RunProgram(std::u16string_view path) { launcher_.Open(path); }

void CMouseFunction::HorizontalScroll(int32_t amount) {
  const int steps = app::ScrollSteps(amount);
  if (steps == 0) return;
  wheel_.ScrollHorizontally(amount < 0 ? -steps : steps);
}

void PcButtonActions::OnKeyStatus(uint32_t state, const settings::tagMODEINFO& record) {
  pressed_ = app::PressedFromState(state);
  const app::KeyStatusActions actions = app::ChooseKeyStatusActions(record, pressed_);
  if (actions.showWindow) showWindow_();
  for (const std::u16string& program : actions.programs) functions_.RunProgram(program);
  for (int amount : actions.scrolls) functions_.HorizontalScroll(amount);
}

void PcButtonActions::DoScrollActions(const settings::tagMODEINFO& record) {
  for (int amount : app::ChooseScrollActions(record, pressed_)) functions_.HorizontalScroll(amount);
}
