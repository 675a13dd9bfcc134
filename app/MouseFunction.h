#pragma once

#include <cstdint>
#include <functional>
#include <string_view>

#include "app/ButtonActions.h"
#include "platform/desktop/ProgramLauncher.h"
#include "platform/desktop/WheelInjector.h"
#include "settings/Records.h"

// The PC-side operations of the mouse's buttons.
class CMouseFunction {
 public:
  CMouseFunction(desktop::ProgramLauncher& launcher, desktop::WheelInjector& wheel)
      : launcher_(launcher), wheel_(wheel) {}

  // Opens `path` as the desktop opens a file: a program starts, a document opens in its
  // program; a path that is not a readable file does nothing.
  void RunProgram(std::u16string_view path);
  // Scrolls the window under the pointer: negative left, positive right, the magnitude (capped
  // at app::kMaxScrollSteps) counts wheel steps; 0 does nothing. Every window gets wheel steps
  // at the pointer; one that cannot scroll sideways ignores them.
  void HorizontalScroll(int32_t amount);

 private:
  desktop::ProgramLauncher& launcher_;
  desktop::WheelInjector& wheel_;
};

// The buttons that act on the PC: the pressed flags of the last key-status report and what a
// report and the timer's repeat do with them.
class PcButtonActions {
 public:
  // `showWindow` shows the main window normally and brings it forward.
  PcButtonActions(CMouseFunction functions, std::function<void()> showWindow)
      : functions_(functions), showWindow_(std::move(showWindow)) {}

  // KEYSTATUS_MSG: keeps the flags of `state`, then shows the window, runs the programs and
  // scrolls, as the pressed buttons of `record` (the applied record of the current mode) say.
  void OnKeyStatus(uint32_t state, const settings::tagMODEINFO& record);
  // One scroll step set of every held scroll button of `record`.
  void DoScrollActions(const settings::tagMODEINFO& record);
  // Forgets the pressed buttons: the mouse closed or is read afresh, so the release of a
  // button held before will never be reported.
  void ReleaseAll() { pressed_ = {}; }

  const app::PressedButtons& Pressed() const { return pressed_; }

 private:
  CMouseFunction functions_;
  std::function<void()> showWindow_;
  app::PressedButtons pressed_;
};
