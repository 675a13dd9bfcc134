#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "pages/MacroEventItems.h"
#include "pages/MacroListView.h"
#include "pages/MacroManagerHost.h"
#include "pages/MacroRecorder.h"
#include "platform/sys/MessageWindow.h"
#include "settings/Records.h"

namespace pages {

// Shown when recording is asked for while the keyboard hook cannot report keys.
inline constexpr std::u16string_view kHookMissingMessage = u"键盘钩子库无法加载，无法捕获按键！";

// The editing logic of the macro manager, free of windows: a working copy of the macro store,
// the name list and the event list of the shown macro, the settings the dialog's toggles, radios
// and loop-count edit show, and the recorder. The dialog drives it from its controls and shows
// what it holds; nothing reaches the store before the dialog closes with OK.
class MacroManager {
 public:
  // `store` is read here and rewritten only by WriteBackStore. `modes` points to the first of the
  // four editing mode records (null: no button uses a macro); their macro buttons are renumbered
  // on OK after deletions. `firstMacro` is the macro to show first, -1 for none.
  MacroManager(settings::tagMACROSTORE* store, settings::tagMODEINFO* modes, int firstMacro,
               MacroListView& names, MacroListView& events, MacroManagerHost& host,
               MacroItemTextFn itemText);

  // Fills the name list, selects the first macro and shows it.
  void Init();

  // --- the dialog's buttons -------------------------------------------------------------------
  // OK: true when the dialog may close with IDOK, the store and the buttons then rewritten.
  // `loopCountText` is the text of the loop-count edit. False (and nothing written) when that
  // text is not a number or the shown name clashes with another.
  bool Ok(std::u16string_view loopCountText);
  // Start recording at the end of a fresh event list.
  void StartRecording();
  void StopRecording();
  void OnNew();
  void OnDelete();
  void ToggleLoop();
  void ToggleDelayRecording();
  // Repeat-mode radio `mode` (0 to 2) clicked.
  void ChooseRepeatMode(int mode);
  // The user selected another row of the name list.
  void OnNameSelectionChanged();
  // The loop-count edit's text changed (by the user or by the program).
  void OnLoopCountEdited(std::u16string_view text);
  // A command of the event list's popup menu (1 to 20).
  void MenuCommand(int command);
  // A key report of the keyboard hook; 1 when it was recorded, 0 when dropped.
  sys::LRESULT OnHookKey(sys::WPARAM wParam, sys::LPARAM lParam);

  // --- the operations behind them -------------------------------------------------------------
  void FillEventList(int index);
  void ShowMacroSettings(int index);
  void SetRepeatMode(int mode);
  void ShowMacro(int index);
  void SaveCurrentMacro();
  void WriteBackStore();
  // Makes every macro button of the four mode records run, after the deletions, the macro it ran
  // before them (one whose macro was deleted runs none), and keeps the deletions for
  // StoreDeletions.
  void RenumberButtons();
  bool IsDuplicateName(std::u16string_view name, int except) const;
  bool CommitMacroName();
  void NewMacro();
  void DeleteMacro();
  bool IsMacroUsed(int index) const;
  void InsertDelay();
  void EditDelay();
  void DeleteEvent();
  void InsertMouseEvent(uint32_t itemData);
  void SetRecording(bool on);

  // --- what the controls show ------------------------------------------------------------------
  int DelayRecordingCheck() const { return delayCheck_; }
  int LoopCheck() const { return loopCheck_; }
  int RepeatModeRadio() const { return repeatRadio_; }
  uint32_t LoopCount() const { return loopCount_; }
  std::u16string LoopCountText() const;
  bool LoopCountEditEnabled() const { return loopEditEnabled_ && !recording_; }
  bool IsRecording() const { return recording_; }
  // The event list's popup menu opens only while not recording.
  bool CanOpenMenu() const { return !recording_; }

  int CurrentMacro() const { return current_; }
  const std::vector<settings::tagMACROINFO>& WorkingList() const { return working_; }
  const MacroRecorder& Recorder() const { return recorder_; }
  // The deletions the store went through at OK, each by the index the macro had when it was
  // deleted: the caller renumbers the buttons it keeps outside the four mode records by them.
  const std::vector<int>& StoreDeletions() const { return storeDeletions_; }

 private:
  bool NamesMacro(int index) const {
    return index >= 0 && static_cast<size_t>(index) < working_.size();
  }
  // The current macro becomes the name list's selection; true when it names a macro.
  bool TakeSelectedMacro();
  // The loop count as the edit takes it: within 1 to 255, and shown.
  void WriteLoopCountToEdit();
  bool StartRecordingAllowed();

  settings::tagMACROSTORE* store_;
  settings::tagMODEINFO* modes_;
  MacroListView& names_;
  MacroListView& events_;
  MacroManagerHost& host_;
  MacroItemTextFn itemText_;

  std::vector<settings::tagMACROINFO> working_;
  // Working-list index of each deleted macro at the time it was deleted, in order.
  std::vector<int> deletions_;
  // The deletions of the last OK.
  std::vector<int> storeDeletions_;
  int current_;
  uint32_t loopCount_ = 1;
  int delayCheck_ = 0;
  int loopCheck_ = 0;
  int repeatRadio_ = 0;
  bool loopEditEnabled_ = true;
  bool recording_ = false;
  MacroRecorder recorder_;
};

}  // namespace pages
