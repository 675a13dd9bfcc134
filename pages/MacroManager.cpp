#include "pages/MacroManager.h"

#include <cstring>
#include <span>
#include <string>
#include <utility>

#include "pages/MacroLoopCount.h"
#include "resources/MenuTextTable.h"
#include "settings/FunctionCodes.h"
#include "settings/MacroRenumbering.h"

namespace pages {

using settings::MAX_MACRO_COUNT;
using settings::MAX_MACRO_EVENTS;
using settings::tagMACROINFO;

namespace {

// Names are unique ignoring the case of A to Z (what the C runtime lowers in its default
// locale); every other character must match exactly.
std::u16string LowerAsciiLetters(std::u16string_view text) {
  std::u16string lowered(text);
  for (char16_t& c : lowered) {
    if (c >= u'A' && c <= u'Z') c = static_cast<char16_t>(c - u'A' + u'a');
  }
  return lowered;
}

// A name as a macro's name field holds it: at most 259 units.
std::u16string_view FitName(std::u16string_view name) {
  return name.substr(0, settings::TEXT_FIELD_LENGTH - 1);
}

}  // namespace

MacroManager::MacroManager(settings::tagMACROSTORE* store, settings::tagMODEINFO* modes,
                           int firstMacro, MacroListView& names, MacroListView& events,
                           MacroManagerHost& host, MacroItemTextFn itemText)
    : store_(store),
      modes_(modes),
      names_(names),
      events_(events),
      host_(host),
      itemText_(itemText),
      current_(firstMacro),
      recorder_(events, itemText) {
  // The store's counts are not trusted: at most 40 macros of at most 50 events are taken.
  const uint32_t count = settings::UsableMacroCount(*store_);
  working_.reserve(MAX_MACRO_COUNT);
  for (uint32_t i = 0; i < count; ++i) {
    working_.push_back(store_->macros[i]);
    working_.back().eventCount = settings::UsableEventCount(working_.back());
  }
}

void MacroManager::Init() {
  names_.Clear();
  for (const tagMACROINFO& macro : working_) {
    names_.Add(MakeItemData(0, MACRO_ITEM_NAME), settings::FieldText(macro.name), false);
  }
  names_.Select(NamesMacro(current_) ? current_ : -1);
  FillEventList(current_);
  ShowMacroSettings(current_);
  WriteLoopCountToEdit();
}

// --- buttons ---------------------------------------------------------------------------------

bool MacroManager::Ok(std::u16string_view loopCountText) {
  if (recording_) return false;
  // The loop count is checked before anything is written, so that a refused OK leaves the store
  // as it was for a Cancel that may follow.
  uint32_t typed = 0;
  if (!ParseLoopCount(loopCountText, &typed)) {
    host_.ShowMessage(kLoopCountNotANumber);
    return false;
  }
  loopCount_ = typed;
  WriteLoopCountToEdit();
  SaveCurrentMacro();
  if (!CommitMacroName()) return false;
  WriteBackStore();
  RenumberButtons();
  return true;
}

bool MacroManager::StartRecordingAllowed() {
  if (host_.HookReady()) return true;
  host_.ShowMessage(kHookMissingMessage);
  return false;
}

void MacroManager::StartRecording() {
  if (recording_) return;
  if (!CommitMacroName()) return;
  if (!StartRecordingAllowed()) return;
  SetRecording(true);
  events_.Clear();
  if (NamesMacro(current_)) recorder_.recordingMode = MacroRecorder::APPEND;
}

void MacroManager::StopRecording() {
  if (recording_) SetRecording(false);
}

void MacroManager::OnNew() {
  if (recording_) return;
  SaveCurrentMacro();
  // A name typed over the shown macro's is taken before another macro is shown, so the list
  // never keeps a name the store does not get; a refused one is back in the list by now.
  CommitMacroName();
  NewMacro();
}

void MacroManager::OnDelete() {
  if (recording_) return;
  SaveCurrentMacro();
  CommitMacroName();  // as for New
  DeleteMacro();
}

void MacroManager::ToggleLoop() {
  if (recording_) return;  // the toggle is disabled while recording
  if (!CommitMacroName()) return;
  loopCheck_ = loopCheck_ ? 0 : 1;
  host_.SettingsChanged();
}

void MacroManager::ToggleDelayRecording() {
  if (!CommitMacroName()) return;
  delayCheck_ = delayCheck_ ? 0 : 1;
  host_.SettingsChanged();
}

void MacroManager::ChooseRepeatMode(int mode) {
  if (mode < 0 || mode > 2) return;
  repeatRadio_ = mode;
  host_.SettingsChanged();
  SaveCurrentMacro();
}

void MacroManager::OnNameSelectionChanged() {
  if (recording_) return;
  SaveCurrentMacro();
  if (!CommitMacroName()) return;  // the list is back on the macro shown
  current_ = names_.Selection();
  ShowMacro(current_);
}

void MacroManager::OnLoopCountEdited(std::u16string_view text) {
  uint32_t typed = 0;
  if (ParseLoopCount(text, &typed)) {
    loopCount_ = typed;
  } else {
    host_.ShowMessage(kLoopCountNotANumber);
  }
  WriteLoopCountToEdit();
}

void MacroManager::MenuCommand(int command) {
  if (recording_) return;  // the menu is closed while recording
  switch (command) {
    case 1:
    case 2:
      if (!StartRecordingAllowed()) return;
      recorder_.recordingMode =
          command == 1 ? MacroRecorder::INSERT_BEFORE : MacroRecorder::INSERT_AFTER;
      recorder_.insertPosition = events_.Selection() + (command == 1 ? 0 : 1);
      SetRecording(true);
      return;
    case 3:
      InsertDelay();
      return;
    case 4:
      EditDelay();
      return;
    case 5:
      DeleteEvent();
      return;
    default:
      break;
  }
  if (command < 6 || command > 20) return;
  const uint32_t code = static_cast<uint32_t>(command);
  switch ((command - 6) % 3) {
    case 0:  // 6, 9, 12, 15, 18: a button goes up
      InsertMouseEvent(MakeItemData(code, MACRO_ITEM_MOUSE_UP));
      break;
    case 1:  // 7, 10, 13, 16, 19: a button goes down
      InsertMouseEvent(MakeItemData(code, MACRO_ITEM_MOUSE_DOWN));
      break;
    default:  // 8, 11, 14, 17, 20: a click, down then up
      InsertMouseEvent(MakeItemData(code - 1, MACRO_ITEM_MOUSE_DOWN));
      InsertMouseEvent(MakeItemData(code - 2, MACRO_ITEM_MOUSE_UP));
      break;
  }
}

sys::LRESULT MacroManager::OnHookKey(sys::WPARAM wParam, sys::LPARAM lParam) {
  // A report queued before the hook was switched off arrives after Stop: it is not recorded.
  if (!recording_) return 0;
  if (!TakeSelectedMacro()) return 0;
  return recorder_.Record(wParam, lParam, delayCheck_ != 0) ? 1 : 0;
}

// --- operations ------------------------------------------------------------------------------

bool MacroManager::TakeSelectedMacro() {
  current_ = names_.Selection();
  return NamesMacro(current_);
}

void MacroManager::WriteLoopCountToEdit() {
  loopCount_ = ClampLoopCount(loopCount_);
  host_.SettingsChanged();
}

std::u16string MacroManager::LoopCountText() const {
  const std::string text = std::to_string(loopCount_);
  return std::u16string(text.begin(), text.end());
}

void MacroManager::FillEventList(int index) {
  events_.Clear();
  if (!NamesMacro(index)) return;
  const tagMACROINFO& macro = working_[static_cast<size_t>(index)];
  const uint32_t count = settings::UsableEventCount(macro);
  for (uint32_t i = 0; i < count; ++i) {
    uint32_t data = 0;
    if (EventToItemData(macro.events[i], &data)) events_.Add(data, itemText_(data), false);
  }
}

void MacroManager::ShowMacroSettings(int index) {
  if (!NamesMacro(index)) return;
  const tagMACROINFO& macro = working_[static_cast<size_t>(index)];
  loopCount_ = static_cast<uint32_t>(macro.loopCount);
  loopCheck_ = macro.loopEnabled;
  delayCheck_ = macro.delayRecording;
  SetRepeatMode(macro.repeatMode);
  WriteLoopCountToEdit();
}

void MacroManager::SetRepeatMode(int mode) {
  switch (mode) {
    case 0:
      repeatRadio_ = 0;
      loopEditEnabled_ = true;
      break;
    case 1:
    case 2:
      repeatRadio_ = mode;
      loopCount_ = 1;
      loopEditEnabled_ = false;
      break;
    default:
      return;
  }
  WriteLoopCountToEdit();
}

void MacroManager::ShowMacro(int index) {
  names_.Select(index);
  FillEventList(index);
  ShowMacroSettings(index);
  WriteLoopCountToEdit();
}

void MacroManager::SaveCurrentMacro() {
  if (!NamesMacro(current_)) return;
  // A macro holds 50 events; rows beyond them are never written past the array.
  const int rows = events_.Count();
  const int n = rows < MAX_MACRO_EVENTS ? rows : MAX_MACRO_EVENTS;
  tagMACROINFO macro = working_[static_cast<size_t>(current_)];
  std::memset(macro.events, 0, sizeof macro.events);
  macro.delayRecording = delayCheck_;
  macro.loopEnabled = loopCheck_;
  const int mode = repeatRadio_;
  macro.repeatMode = mode;
  macro.loopCount = mode == 0 ? static_cast<int32_t>(loopCount_) : 0;
  SetRepeatMode(mode);
  macro.eventCount = static_cast<uint32_t>(n);
  for (int i = 0; i < n; ++i) macro.events[i] = ItemDataToEvent(events_.Data(i));
  working_[static_cast<size_t>(current_)] = macro;
}

void MacroManager::WriteBackStore() {
  std::memset(store_, 0, sizeof *store_);
  const size_t count = working_.size() < static_cast<size_t>(MAX_MACRO_COUNT)
                           ? working_.size()
                           : static_cast<size_t>(MAX_MACRO_COUNT);
  for (size_t i = 0; i < count; ++i) store_->macros[i] = working_[i];
  store_->count = static_cast<uint32_t>(count);
}

void MacroManager::RenumberButtons() {
  if (modes_ != nullptr) {
    settings::RenumberMacroButtons(std::span(modes_, settings::MODE_COUNT), deletions_);
  }
  storeDeletions_ = std::move(deletions_);
  deletions_.clear();
}

bool MacroManager::IsDuplicateName(std::u16string_view name, int except) const {
  const std::u16string wanted = LowerAsciiLetters(name);
  for (size_t i = 0; i < working_.size(); ++i) {
    if (static_cast<int>(i) == except) continue;
    if (LowerAsciiLetters(settings::FieldText(working_[i].name)) == wanted) return true;
  }
  return false;
}

bool MacroManager::CommitMacroName() {
  if (current_ < 0) return true;
  if (!NamesMacro(current_)) return true;
  tagMACROINFO& macro = working_[static_cast<size_t>(current_)];
  const std::u16string typed = names_.Text(current_);
  if (IsDuplicateName(FitName(typed), current_)) {
    host_.ShowRenameWarning();
    names_.Remove(current_);
    names_.Insert(current_, MakeItemData(0, MACRO_ITEM_NAME), settings::FieldText(macro.name));
    names_.Select(current_);
    return false;
  }
  settings::SetFieldText(macro.name, FitName(typed));
  return true;
}

void MacroManager::NewMacro() {
  if (working_.size() >= static_cast<size_t>(MAX_MACRO_COUNT)) {
    WriteLoopCountToEdit();
    return;
  }
  const std::u16string base = MenuText(MenuTextId::MINOR_FUN_MACRO_ITEM);
  const std::string number = std::to_string(working_.size() + 1);
  std::u16string name(FitName(base + std::u16string(number.begin(), number.end())));
  if (IsDuplicateName(name, -1)) name = std::u16string(FitName(name + u"+"));

  names_.Add(MakeItemData(0, MACRO_ITEM_NAME), name, true);
  tagMACROINFO macro{};
  macro.loopCount = 1;
  settings::SetFieldText(macro.name, name);
  working_.push_back(macro);
  loopCount_ = 1;

  current_ = names_.Selection();
  names_.Select(current_);
  FillEventList(current_);
  ShowMacroSettings(current_);
  WriteLoopCountToEdit();
}

void MacroManager::DeleteMacro() {
  current_ = names_.Selection();
  if (IsMacroUsed(current_)) {
    host_.ShowDeleteWarning();
    return;
  }
  if (!NamesMacro(current_)) return;
  working_.erase(working_.begin() + current_);
  names_.Remove(current_);
  deletions_.push_back(current_);
  current_ = current_ - 1;
  names_.Select(current_);
  ShowMacro(current_);
}

bool MacroManager::IsMacroUsed(int index) const {
  if (modes_ == nullptr || index < 0) return false;
  for (int m = 0; m < settings::MODE_COUNT; ++m) {
    for (const settings::tagKEYDEFINEINFO& key : modes_[m].keys) {
      if (key.major == settings::MAJOR_FUN_MACRO &&
          settings::MacroIndexAfterDeletions(key.macroIndex, deletions_) == index) {
        return true;
      }
    }
  }
  return false;
}

void MacroManager::InsertDelay() {
  if (!TakeSelectedMacro()) return;
  const int n = events_.Count();
  const int s = events_.Selection();
  if (n < 1 || n > MAX_MACRO_EVENTS - 2 || s < 1 || s >= n) return;
  if (ItemType(events_.Data(s)) == MACRO_ITEM_DELAY) return;
  if (ItemType(events_.Data(s - 1)) == MACRO_ITEM_DELAY) return;
  const uint32_t data = MakeItemData(1, MACRO_ITEM_DELAY);
  events_.Insert(s, data, itemText_(data));
  events_.Select(s);
}

void MacroManager::EditDelay() {
  if (!TakeSelectedMacro()) return;
  const int n = events_.Count();
  const int s = events_.Selection();
  if (n < 1 || s < 1 || s >= n) return;
  if (ItemType(events_.Data(s)) != MACRO_ITEM_DELAY) return;
  events_.BeginEdit(s);
}

void MacroManager::DeleteEvent() {
  if (!TakeSelectedMacro()) return;
  if (events_.Count() < 1) return;
  const int s = events_.Selection();
  if (s >= 0) events_.Remove(s);
  events_.Select(-1);
}

void MacroManager::InsertMouseEvent(uint32_t itemData) {
  if (!TakeSelectedMacro()) return;
  if (events_.Count() > MAX_MACRO_EVENTS - 2) return;
  events_.Insert(events_.Selection(), itemData, itemText_(itemData));
}

void MacroManager::SetRecording(bool on) {
  current_ = names_.Selection();
  if (current_ < 0) return;
  recorder_.Reset();
  if (host_.HookReady()) host_.SetHookStatus(on ? 1 : 0);
  recording_ = on;
  // Recording locks the edit; stopping unlocks it whatever the repeat mode, until the next
  // repeat mode 1 or 2 is applied.
  loopEditEnabled_ = !on;
  host_.RecordingChanged();
}

}  // namespace pages
