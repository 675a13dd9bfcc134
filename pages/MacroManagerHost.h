#pragma once

#include <string_view>

namespace pages {

// What the macro manager's editing logic asks of the window around it.
class MacroManagerHost {
 public:
  virtual ~MacroManagerHost() = default;

  // The modal warnings; their answers are not used.
  virtual void ShowRenameWarning() = 0;
  virtual void ShowDeleteWarning() = 0;
  // A message box with one OK button.
  virtual void ShowMessage(std::u16string_view text) = 0;

  // The toggles, the repeat-mode radios or the loop count changed: show them again.
  virtual void SettingsChanged() = 0;
  // Recording started or stopped: show the other recording button and enable or disable the
  // controls that recording locks.
  virtual void RecordingChanged() = 0;

  // Whether the keyboard hook can report keys: its library and all three of its operations are
  // there and the hook was installed.
  virtual bool HookReady() const = 0;
  // Switches the hook's reports on (1) or off (0); only called while HookReady().
  virtual void SetHookStatus(int status) = 0;
};

}  // namespace pages
